#include "detection/versionfile.h"
#include "detection/versionfileparser.h"

#include "cardlayout.h"

#include <QtTest>

#include <sys/stat.h>

static const QByteArray stored("5.917\r\nORVA\r\n");

class VersionFileTest : public QObject
{
    Q_OBJECT

private slots:
    // A card's DCIM/100TZ41/.version, read and parsed: a file holding the contents, or a
    // huge sparse file that starts with them, or no file, a folder, a FIFO (which would
    // wait for a writer) or a symlink (which may lead off the card) in its place.
    void versionFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("brand");
        QTest::newRow("trimmed, inner blanks kept, line 3 ignored")
            << "file" << QByteArray(" 5.9 beta\t\n O RVA \nPELKA\n") << "5.9 beta" << "O RVA";
        QTest::newRow("CR LF") << "file" << stored << "5.917" << "ORVA";
        QTest::newRow("lone CR is no line end") << "file" << QByteArray("5.917\rTALM\nORVA") << "5.917\rTALM" << "ORVA";
        QTest::newRow("NUL ends a line") << "file" << QByteArray("5.917\0x\nOR\0VA", 13) << "5.917" << "OR";
        QTest::newRow("one line, no LF") << "file" << QByteArray("5.917") << "5.917" << "";
        QTest::newRow("empty first line") << "file" << QByteArray("\nORVA\n5.917") << "" << "ORVA";
        QTest::newRow("empty") << "file" << QByteArray("") << "" << "";
        QTest::newRow("UTF-8") << "file" << QByteArray("5.9\xc3\xa9\n\xc3\x96RVA") << QString::fromUtf8("5.9\xc3\xa9")
                               << QString::fromUtf8("\xc3\x96RVA");
        QTest::newRow("huge sparse file: its head only") << "huge" << stored << "5.917" << "ORVA";
        for (const char *kind : {"missing", "folder", "fifo", "link"})
            QTest::newRow(kind) << kind << stored << "" << "";
    }
    void versionFile()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, contents);
        QTemporaryDir card;
        const QString path = card.filePath("DCIM/100TZ41/.version");
        QVERIFY(QDir().mkpath(kind == "folder" ? path : card.filePath("DCIM/100TZ41")));
        if (kind == "file" || kind == "huge")
            QVERIFY(writeFile(path, contents));
        if (kind == "huge")
            QVERIFY(QFile::resize(path, qint64(1) << 30));
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        if (kind == "link")
            QVERIFY(writeFile(card.filePath("elsewhere"), contents) && QFile::link(card.filePath("elsewhere"), path));
        const QByteArray read = ::readCardVersionFile(card.path(), "TZ41");
        QCOMPARE(read, kind == "file" ? contents : kind == "huge" ? contents.leftJustified(4096, '\0') : QByteArray());
        QTEST(VersionFileParser::instance()->getVersion(read), "version");
        QTEST(VersionFileParser::instance()->getBrand(read), "brand");
    }
};

QTEST_GUILESS_MAIN(VersionFileTest)
#include "tst_versionfile.moc"
