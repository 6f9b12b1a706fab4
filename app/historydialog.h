#pragma once

#include "history/updatehistory.h"
#include "outside/background.h"

#include <QDialog>
#include <QVector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// The record of the updates made on this workstation, newest first (the newest ten
// thousand, saying how many older ones are left out): filtered by model
// and outcome, and exported as CSV. Read in the background, so that a long history
// never holds up the window; when it cannot be read, the view says why it is empty.
class HistoryDialog : public QDialog
{
    Q_OBJECT
public:
    HistoryDialog(QWidget *parent, const UpdateHistory &history);

private:
    void take(const UpdateHistory::Read &read);
    void showFiltered();
    QVector<HistoryRecord> filtered() const;
    void exportCsv();

    QComboBox *models = nullptr;
    QComboBox *outcomes = nullptr;
    QTableWidget *table = nullptr;
    QLabel *status = nullptr;
    QPushButton *exportButton = nullptr;
    QVector<HistoryRecord> records; // newest first
    qint64 olderNotShown = 0;
    Mailbox mailbox{this};
};
