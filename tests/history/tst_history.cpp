// The history file as programs share it: torn lines, writers at once, rotation, CSV.

#include "history/updatehistory.h"

#include "testkit.h"

#include <QLockFile>

#include <QtTest>

#include <atomic>
#include <thread>
#include <unistd.h>

namespace {
HistoryRecord record(int number, const QString &brand = "ORVA")
{
    HistoryRecord entry;
    entry.time = QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC).addSecs(number);
    entry.camera = "/media/card" + QString::number(number);
    entry.model = "TZ2200";
    entry.brand = brand;
    entry.from = "5.910";
    entry.to = "5.920";
    entry.outcome = number % 3 == 0 ? "up-to-date" : QString::number(-(number % 2) * 4);
    entry.title = "TZ2200 - Update Successful";
    entry.bytes = number;
    return entry;
}

QStringList cameras(const QVector<HistoryRecord> &records)
{
    QStringList names;
    for (const HistoryRecord &entry : records)
        names << entry.camera;
    return names;
}
}

class HistoryTest : public QObject
{
    Q_OBJECT

private slots:
    // A line torn by a crash is skipped, and the next record starts on a line of its own.
    void tornLine()
    {
        QTemporaryDir folder;
        const UpdateHistory history(folder.path());
        QString why;
        QVERIFY(history.append(record(1), &why));
        QFile file(history.path());
        QVERIFY(file.open(QIODevice::Append) && file.write("{\"time\":\"2026-12-07T10:") > 0);
        file.close();
        QVERIFY(history.append(record(2), &why));
        QCOMPARE(cameras(history.readNewest(1000).records), QStringList({"/media/card1", "/media/card2"}));
        QCOMPARE(fileBytes(history.path()).count('\n'), 3);
    }

    // Programs appending at once leave whole lines only, every record among them.
    void writersAtOnce()
    {
        QTemporaryDir folder;
        std::vector<std::thread> writers;
        for (int writer = 0; writer < 4; ++writer)
            writers.emplace_back([&folder, writer] {
                const UpdateHistory own(folder.path());
                QString why;
                for (int i = 0; i < 40; ++i)
                    own.append(record(writer * 100 + i), &why);
            });
        for (std::thread &writer : writers)
            writer.join();
        const QList<QByteArray> lines = fileBytes(UpdateHistory(folder.path()).path()).split('\n');
        QCOMPARE(lines.size(), 161);
        for (const QByteArray &line : lines.mid(0, 160))
            QVERIFY2(HistoryRecord::fromJson(QJsonDocument::fromJson(line).object()), line.constData());
    }

    // A record waits while another program holds the history's lock, and each is on the
    // medium (flushed) before append() returns: a FUSE card records the flushes.
    void lockedAndFlushed()
    {
        QTemporaryDir backing, folder, logs;
        const QString flushes = logs.filePath("flushes");
        QProcess card;
        if (!mountFuseCard(card, backing.path(), folder.path(), {"log=" + flushes}))
            QSKIP("cannot mount a FUSE file system here");
        const auto unmount = qScopeGuard([&] { card.terminate(), card.waitForFinished(); });
        const UpdateHistory history(folder.path());
        QLockFile otherProgram(history.path() + ".lock");
        QVERIFY(otherProgram.tryLock(0));
        std::atomic<bool> appended{false};
        std::thread writer([&] {
            QString why;
            appended = history.append(record(1), &why);
        });
        QTest::qWait(300);
        const QByteArray whileLocked = fileBytes(history.path());
        otherProgram.unlock();
        writer.join();
        QVERIFY(whileLocked.isEmpty() && appended);
        const QString log = QString::fromUtf8(fileBytes(flushes));
        QVERIFY2(log.split('\n').contains("fsync /history.jsonl"), qPrintable(log));
    }

    // Past its size the file is rotated: the newest records are kept, in order.
    void rotation()
    {
        QTemporaryDir folder;
        const UpdateHistory history(folder.path(), 4096);
        QString why;
        for (int i = 1; i <= 60; ++i)
            QVERIFY(history.append(record(i), &why));
        const QStringList kept = cameras(history.readNewest(1000).records);
        QVERIFY(QFile::exists(folder.filePath("history.1.jsonl")));
        QVERIFY(!kept.contains("/media/card1") && kept.size() > 10);
        QCOMPARE(kept.last(), QString("/media/card60"));
        for (int i = 1; i < kept.size(); ++i)
            QVERIFY(kept[i - 1].mid(11).toInt() < kept[i].mid(11).toInt());
    }

    // Read in pieces of any size, every record comes whole, a line far too long for one
    // is passed over, and the newest are kept with a count of the older ones.
    void readInPieces_data()
    {
        QTest::addColumn<qint64>("pieceBytes");
        QTest::newRow("a byte") << qint64(1);
        QTest::newRow("7 bytes") << qint64(7);
        QTest::newRow("the product's") << UpdateHistory::defaultPieceBytes;
    }
    void readInPieces()
    {
        QFETCH(qint64, pieceBytes);
        QTemporaryDir folder;
        const UpdateHistory history(folder.path());
        QString why;
        for (int i = 1; i <= 8; ++i) {
            QVERIFY(history.append(record(i), &why));
            if (i == 5)
                QVERIFY(writeFile(history.path(), fileBytes(history.path()) + QByteArray(3 << 20, 'x') + '\n'));
        }
        QVector<HistoryRecord> read;
        QVERIFY(history.forEachRecord([&read](const HistoryRecord &entry) { read << entry; }, pieceBytes).isEmpty());
        QStringList all;
        for (int i = 1; i <= 8; ++i)
            all << "/media/card" + QString::number(i);
        QCOMPARE(cameras(read), all);
        const UpdateHistory::Read newest = history.readNewest(3);
        QCOMPARE(cameras(newest.records), all.mid(5));
        QCOMPARE(newest.olderNotKept, qint64(5));
    }

    // A history file, its older file or its lock that is a link, or another user's file,
    // is neither written through nor read.
    void refusedFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("link");
        QTest::newRow("history.jsonl a link") << "history.jsonl" << true;
        QTest::newRow("history.1.jsonl a link") << "history.1.jsonl" << true;
        QTest::newRow("the lock a link") << "history.jsonl.lock" << true;
        QTest::newRow("history.jsonl another user's") << "history.jsonl" << false;
    }
    void refusedFiles()
    {
        QFETCH(QString, name);
        QFETCH(bool, link);
        QTemporaryDir folder, elsewhere;
        const UpdateHistory history(folder.path());
        QString why;
        QVERIFY(history.append(record(1), &why) && writeFile(elsewhere.filePath("target"), "kept\n"));
        const QString path = folder.filePath(name);
        QFile::remove(path);
        if (link)
            QVERIFY(QFile::link(elsewhere.filePath("target"), path));
        else if (::geteuid() != 0 || !writeFile(path, "{}\n") || ::chown(QFile::encodeName(path).constData(), 65534, 65534) != 0)
            QSKIP("making another user's file takes root");
        QVERIFY(!history.append(record(2), &why));
        QVERIFY2(why.contains(path), qPrintable(why));
        QCOMPARE(fileBytes(elsewhere.filePath("target")), QByteArray("kept\n"));
        if (!name.endsWith(".lock"))
            QVERIFY(history.readNewest(10).records.isEmpty() && !history.readNewest(10).problem.isEmpty());
    }

    // Lines whose fields have the wrong type are no records.
    void malformedRecords_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("record");
        QTest::newRow("whole") << QByteArray(R"({"time":"2026-12-07T10:00:00Z","camera":"/m/a","outcome":0})") << true;
        QTest::newRow("camera a number") << QByteArray(R"({"time":"2026-12-07T10:00:00Z","camera":5,"outcome":0})") << false;
        QTest::newRow("camera null") << QByteArray(R"({"time":"2026-12-07T10:00:00Z","camera":null,"outcome":0})") << false;
        QTest::newRow("outcome true") << QByteArray(R"({"time":"2026-12-07T10:00:00Z","camera":"/m/a","outcome":true})") << false;
        QTest::newRow("outcome a list") << QByteArray(R"({"time":"2026-12-07T10:00:00Z","camera":"/m/a","outcome":[]})") << false;
    }
    void malformedRecords()
    {
        QFETCH(QByteArray, line);
        QTEST(HistoryRecord::fromJson(QJsonDocument::fromJson(line).object()).has_value(), "record");
    }

    // A spreadsheet-shaped CSV: a header, a row per record, fields quoted where they
    // hold commas or quotes, and a camera's text never taken for a formula.
    void csv()
    {
        const QByteArray csv = historyCsv({record(1, "OR,VA \"x\""), record(2, "=HYPERLINK(\"x\")")});
        const QList<QByteArray> rows = csv.split('\n');
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0], QByteArray("time,camera,model,brand,location,from,to,sha256,outcome,title,durationMs,bytes,"
                                     "program,workstation,user,reason,signer\r"));
        QVERIFY(rows[1].startsWith("2026-12-07T10:00:01.000Z,/media/card1,TZ2200,\"OR,VA \"\"x\"\"\",,5.910,5.920,,-4,"));
        QVERIFY(rows[2].contains(",\"'=HYPERLINK(\"\"x\"\")\","));
        QVERIFY(rows[2].contains(",0,TZ2200 - Update Successful,0,2,"));
    }
};

QTEST_GUILESS_MAIN(HistoryTest)
#include "tst_history.moc"
