#include "app/adbrouting.h"

#include <QtTest>

namespace {
const AdbReading found{"5.917", "ORVA", "/work/TZ76UPDT.BIN"};
const AdbReading nothing{};

ASSET_INFORMATION adbCamera()
{
    ASSET_INFORMATION record;
    record.Model_Code = "TZ76";
    record.ADB_Device = true;
    return record;
}

// Passes until the routing asks about the record again, or -1 when it never does.
int passesUntilAsked(AdbRouting &routing, const ASSET_INFORMATION &record, int limit = 50)
{
    for (int passes = 1; passes <= limit; ++passes) {
        routing.beginPass();
        if (routing.takeRequest(&record))
            return passes;
    }
    return -1;
}
} // namespace

class AdbRoutingTest : public QObject
{
    Q_OBJECT

private slots:
    void aRecordHasOneRequestOutstandingAtMost()
    {
        AdbRouting routing;
        ASSET_INFORMATION camera = adbCamera(), other = adbCamera();
        routing.beginPass();
        QVERIFY(routing.takeRequest(&camera));
        QVERIFY(routing.takeRequest(&other));
        for (int pass = 0; pass < 5; ++pass) {
            routing.beginPass();
            QVERIFY(!routing.takeRequest(&camera));
        }
        QCOMPARE(routing.takeAnswer(&camera, found), AdbRouting::AnswerUse::Attach);
        QVERIFY(camera.ADB_Device);
        QCOMPARE(passesUntilAsked(routing, camera), 1);
        QVERIFY(routing.isOutstanding(&other));
    }

    void aCameraThatAdbMissesIsStillAskedAboutLessOften()
    {
        AdbRouting routing;
        ASSET_INFORMATION camera = adbCamera();
        QCOMPARE(passesUntilAsked(routing, camera), 1);
        QCOMPARE(routing.takeAnswer(&camera, nothing), AdbRouting::AnswerUse::FallBack);
        QVERIFY(!camera.ADB_Device);

        QCOMPARE(passesUntilAsked(routing, camera), AdbRouting::fallBackRetryPasses);
        // Nothing again: the storage route keeps the record, the answer changes nothing.
        QCOMPARE(routing.takeAnswer(&camera, nothing), AdbRouting::AnswerUse::Ignore);
        QVERIFY(!camera.ADB_Device);
        // A half answer (no update folder) is no answer either.
        QCOMPARE(passesUntilAsked(routing, camera), AdbRouting::fallBackRetryPasses);
        QCOMPARE(routing.takeAnswer(&camera, {"5.917", "ORVA", ""}), AdbRouting::AnswerUse::Ignore);

        QCOMPARE(passesUntilAsked(routing, camera), AdbRouting::fallBackRetryPasses);
        QCOMPARE(routing.takeAnswer(&camera, found), AdbRouting::AnswerUse::Attach);
        QVERIFY(camera.ADB_Device);
        QCOMPARE(passesUntilAsked(routing, camera), 1);
    }

    void aStorageCameraIsNeverAskedAbout()
    {
        AdbRouting routing;
        ASSET_INFORMATION card;
        card.Model_Code = "TZ41";
        QCOMPARE(passesUntilAsked(routing, card), -1);
    }
};

QTEST_GUILESS_MAIN(AdbRoutingTest)
#include "tst_adbrouting.moc"
