#pragma once

#include "catalogue/assetinformation.h"
#include "detection/adbreading.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

// Asks a camera attached over USB debugging, through the `adb` tool, for its version
// file and whether its update folder exists. Lives in a worker thread of its own and
// serves one request at a time, because every request blocks on two `adb` runs.
//
// A request names its record only so that the answer can be matched to it: the record
// belongs to the GUI thread and is never touched here. What the query needs comes by
// value (the model code) and what it found goes back by value (the reading).
class adbscanner : public QObject
{
    Q_OBJECT
public:
    // Starts the adb server and waits for it (bounded), so the first request finds it up.
    adbscanner();
    // Stops the adb server; the owner destroys the scanner only when it serves nothing.
    ~adbscanner() override;

signals:
    void resultReady(ASSET_INFORMATION *result, const AdbReading &reading);

public slots:
    void getAdbDevice(ASSET_INFORMATION *asset, const QString &modelCode);

private:
    QByteArray runProcess(const QString &program, const QStringList &arguments);
    QByteArray readAdbVersionFile(const QString &modelCode);
    QString getAdbDestination(const QString &modelCode);
};
