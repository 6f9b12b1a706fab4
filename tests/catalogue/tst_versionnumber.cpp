#include "app/mainwindow.h"

#include <QtTest>

namespace {
// Nothing listens there; these tests never reach the network.
const QString unreachableBase = QStringLiteral("https://127.0.0.1:9");

ASSET_INFORMATION camera(const QString &code, const QString &catalogueVersion, const QString &deviceVersion)
{
    ASSET_INFORMATION asset;
    asset.Model_Code = code;
    asset.Version = catalogueVersion;
    asset.Device_Version = deviceVersion;
    return asset;
}
}

class VersionNumberTest : public QObject
{
    Q_OBJECT

private slots:
    void numberIsAllDigitsInARow_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<double>("number");
        QTest::newRow("dotted") << "5.917" << 5917.0;
        QTest::newRow("prefix and three parts") << "V1.2.10" << 1210.0;
        QTest::newRow("trailing zero part") << "1.1.0" << 110.0;
        QTest::newRow("punctuation only differs a") << "1.2.3" << 123.0;
        QTest::newRow("punctuation only differs b") << "V1.23" << 123.0;
        QTest::newRow("punctuation only differs c") << "12.3" << 123.0;
        QTest::newRow("signs and spaces dropped") << " -4 .0+" << 40.0;
        QTest::newRow("no digits") << "beta" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        // The UTF-8 bytes of an Arabic-Indic digit make the conversion fail.
        QTest::newRow("non-ASCII decimal digit") << QString::fromUtf8("1.\u0663") << 0.0;
        QTest::newRow("fifteen digits exact") << "123456789012345" << 123456789012345.0;
    }
    void numberIsAllDigitsInARow()
    {
        QFETCH(QString, version);
        QFETCH(double, number);
        MainWindow w(nullptr, unreachableBase);
        QCOMPARE(w.getVersionNumber(version), number);
    }

    void longRunsLosePrecision()
    {
        MainWindow w(nullptr, unreachableBase);
        QCOMPARE(w.getVersionNumber("12345678901234567890"), w.getVersionNumber("12345678901234567891"));
    }

    void updateIsRequiredWhenNumbersDiffer_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("required");
        QTest::newRow("older device") << "TZ22" << "5.920" << "5.917" << true;
        QTest::newRow("TZ41 on 5.917 kept") << "TZ41" << "5.920" << "5.917" << false;
        QTest::newRow("TZ41 containing 5.917 kept") << "TZ41" << "5.920" << "V5.9170" << false;
        QTest::newRow("TZ41 on another version") << "TZ41" << "5.920" << "5.916" << true;
        QTest::newRow("same version") << "TZ43" << "5.917" << "5.917" << false;
        QTest::newRow("extra zero differs") << "TZ43" << "2.0" << "2.00" << true;
        QTest::newRow("equal digits") << "TZ43" << "1.10" << "1.1.0" << false;
        QTest::newRow("newer device still updated") << "TZ55" << "3.1" << "4.0" << true;
        QTest::newRow("unreadable device") << "TZ55" << "5.920" << "" << true;
        QTest::newRow("both empty") << "TZ55" << "" << "" << false;
        QTest::newRow("letters ignored") << "TZ7K" << "V3" << "3" << false;
        QTest::newRow("rule needs exact code: suffix") << "TZ41X" << "5.920" << "5.917" << true;
        QTest::newRow("rule needs exact code: longer") << "TZ410" << "5.920" << "5.917" << true;
        QTest::newRow("rule is case-sensitive") << "tz41" << "5.920" << "5.917" << true;
    }
    void updateIsRequiredWhenNumbersDiffer()
    {
        QFETCH(QString, code);
        QFETCH(QString, catalogue);
        QFETCH(QString, device);
        QFETCH(bool, required);
        MainWindow w(nullptr, unreachableBase);
        ASSET_INFORMATION asset = camera(code, catalogue, device);
        QCOMPARE(w.isUpdateRequired(&asset), required);
    }
};

QTEST_MAIN(VersionNumberTest)
#include "tst_versionnumber.moc"
