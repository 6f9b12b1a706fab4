#include "detection/versionfile.h"
#include "detection/versionfileparser.h"

#include "cardlayout.h"

#include <QtTest>

#include <sys/stat.h>

namespace {
const QByteArray stored("5.917\r\nORVA\r\n");
}

class VersionFileTest : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("brand");
        QTest::newRow("trimmed, inner blanks kept, line 3 ignored")
            << QByteArray(" 5.9 beta\t\n O RVA \nPELKA\n") << "5.9 beta" << "O RVA";
        QTest::newRow("CR LF") << stored << "5.917" << "ORVA";
        QTest::newRow("lone CR is no line end") << QByteArray("5.917\rTALM\nORVA") << "5.917\rTALM" << "ORVA";
        QTest::newRow("NUL ends a line") << QByteArray("5.917\0x\nOR\0VA", 13) << "5.917" << "OR";
        QTest::newRow("one line, no LF") << QByteArray("5.917") << "5.917" << "";
        QTest::newRow("empty first line") << QByteArray("\nORVA\n5.917") << "" << "ORVA";
        QTest::newRow("empty") << QByteArray() << "" << "";
        QTest::newRow("UTF-8") << QByteArray("5.9\xc3\xa9\n\xc3\x96RVA") << QString::fromUtf8("5.9\xc3\xa9")
                               << QString::fromUtf8("\xc3\x96RVA");
    }
    void parse()
    {
        QFETCH(QByteArray, contents);
        QTEST(VersionFileParser::instance()->getVersion(contents), "version");
        QTEST(VersionFileParser::instance()->getBrand(contents), "brand");
    }

    // What a card holds at DCIM/100TZ41/.version.
    void readCardVersionFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("read");
        QTest::newRow("read as stored") << "file" << stored;
        QTest::newRow("huge sparse file: its head only") << "huge" << stored + QByteArray(4096 - stored.size(), '\0');
        QTest::newRow("missing") << "none" << QByteArray();
        QTest::newRow("empty") << "empty" << QByteArray();
        QTest::newRow("a folder") << "folder" << QByteArray();
        QTest::newRow("a FIFO, which would wait for a writer") << "fifo" << QByteArray();
        QTest::newRow("a symlink, which may lead off the card") << "link" << QByteArray();
    }
    void readCardVersionFile()
    {
        QFETCH(QString, kind);
        QTemporaryDir card;
        const QString path = card.filePath("DCIM/100TZ41/.version");
        QVERIFY(QDir().mkpath(kind == "folder" ? path : card.filePath("DCIM/100TZ41")));
        if (kind == "file" || kind == "huge" || kind == "empty")
            QVERIFY(writeFile(path, kind == "empty" ? "" : stored));
        if (kind == "huge")
            QVERIFY(QFile::resize(path, qint64(1) << 30));
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        if (kind == "link")
            QVERIFY(writeFile(card.filePath("elsewhere"), stored) && QFile::link(card.filePath("elsewhere"), path));
        QTEST(::readCardVersionFile(card.path(), "TZ41"), "read");
    }
};

QTEST_GUILESS_MAIN(VersionFileTest)
#include "tst_versionfile.moc"
