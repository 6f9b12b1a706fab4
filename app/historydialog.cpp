#include "app/historydialog.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {
// The newest updates only: a table of millions of rows would hold up the window.
constexpr int shownAtMost = 10000;

enum class Outcome { All, Succeeded, Failed, UpToDate };

bool matches(const HistoryRecord &record, Outcome wanted)
{
    switch (wanted) {
    case Outcome::All: return true;
    case Outcome::Succeeded: return record.outcome == QLatin1String("0");
    case Outcome::UpToDate: return record.outcome == QLatin1String("up-to-date");
    case Outcome::Failed: return record.outcome != QLatin1String("0") && record.outcome != QLatin1String("up-to-date");
    }
    return true;
}
}

HistoryDialog::HistoryDialog(QWidget *parent, const UpdateHistory &history) : QDialog(parent)
{
    setWindowTitle(tr("Update history"));
    models = new QComboBox;
    models->addItem(tr("All models"));
    outcomes = new QComboBox;
    outcomes->addItems({tr("All outcomes"), tr("Successful"), tr("Failed"), tr("Up to date")});
    exportButton = new QPushButton(tr("Export CSV\u2026"));
    // Labels that name the filters to a screen reader and give each a key (Alt+M, Alt+O).
    auto *modelLabel = new QLabel(tr("&Model:"));
    modelLabel->setBuddy(models);
    auto *outcomeLabel = new QLabel(tr("&Outcome:"));
    outcomeLabel->setBuddy(outcomes);
    models->setAccessibleName(tr("Model"));
    outcomes->setAccessibleName(tr("Outcome"));
    auto *filters = new QHBoxLayout;
    filters->addWidget(modelLabel);
    filters->addWidget(models);
    filters->addWidget(outcomeLabel);
    filters->addWidget(outcomes);
    filters->addStretch();
    filters->addWidget(exportButton);
    table = new QTableWidget(0, 7);
    table->setHorizontalHeaderLabels({tr("Time"), tr("Camera"), tr("Model"), tr("From"), tr("To"), tr("Outcome"),
                                      tr("Program")});
    table->setAccessibleName(tr("Updates"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    status = new QLabel(tr("Reading the history\u2026"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(table, 1);
    layout->addWidget(status);
    resize(760, 420);
    connect(models, &QComboBox::currentTextChanged, this, &HistoryDialog::showFiltered);
    connect(outcomes, qOverload<int>(&QComboBox::currentIndexChanged), this, &HistoryDialog::showFiltered);
    connect(exportButton, &QPushButton::clicked, this, &HistoryDialog::exportCsv);
    runInBackground([history, reply = mailbox.address(), this] {
        const UpdateHistory::Read read = history.readNewest(shownAtMost);
        reply.post([this, read] { take(read); });
    });
}

void HistoryDialog::take(const UpdateHistory::Read &read)
{
    records = read.records;
    olderNotShown = read.olderNotKept;
    std::reverse(records.begin(), records.end());
    QStringList names;
    for (const HistoryRecord &record : qAsConst(records))
        names << record.model;
    names.removeDuplicates();
    names.sort();
    models->addItems(names);
    showFiltered();
    if (!read.problem.isEmpty())
        status->setText(tr("No history: %1").arg(read.problem));
}

QVector<HistoryRecord> HistoryDialog::filtered() const
{
    QVector<HistoryRecord> shown;
    const Outcome wanted = Outcome(outcomes->currentIndex());
    for (const HistoryRecord &record : records) {
        if ((models->currentIndex() == 0 || record.model == models->currentText()) && matches(record, wanted))
            shown << record;
    }
    return shown;
}

void HistoryDialog::showFiltered()
{
    const QVector<HistoryRecord> shown = filtered();
    table->setRowCount(shown.size());
    for (int row = 0; row < shown.size(); ++row) {
        const HistoryRecord &record = shown.at(row);
        const QStringList cells{record.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                record.camera, record.model, record.from, record.to, record.title, record.program};
        for (int column = 0; column < cells.size(); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    table->resizeColumnsToContents();
    exportButton->setEnabled(!shown.isEmpty());
    QString counted = records.isEmpty() ? tr("No update has been recorded yet.")
                                        : tr("%1 of %n update(s)", nullptr, records.size()).arg(shown.size());
    if (olderNotShown > 0)
        counted += tr("; %n older ones are not shown (vek-updater-cli history lists them all)", nullptr,
                      int(qMin<qint64>(olderNotShown, std::numeric_limits<int>::max())));
    status->setText(counted);
}

void HistoryDialog::exportCsv()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Export CSV"), QStringLiteral("vek-updater-history.csv"),
                                                      tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QVector<HistoryRecord> oldestFirst = filtered();
    std::reverse(oldestFirst.begin(), oldestFirst.end());
    QFile file(path);
    const QByteArray csv = historyCsv(oldestFirst);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(csv) != csv.size())
        status->setText(tr("Cannot write %1: %2").arg(path, file.errorString()));
    else
        status->setText(tr("Exported %n update(s) to %1", nullptr, oldestFirst.size()).arg(path));
}
