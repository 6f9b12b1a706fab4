#pragma once

#include "catalogue/assetinformation.h"
#include "detection/adbreading.h"

#include <QObject>

class adbscanner : public QObject
{
    Q_OBJECT
public:
    adbscanner();
    ~adbscanner() override;

signals:
    void resultReady(ASSET_INFORMATION *result, const AdbReading &reading);

public slots:
    void getAdbDevice(ASSET_INFORMATION *asset, const QString &modelCode);
};
