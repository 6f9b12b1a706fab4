#include "detection/versionfile.h"
#include "detection/versionfileparser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {
bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
} // namespace

class VersionFileTest : public QObject
{
    Q_OBJECT

private slots:
    void extractsVersionAndBrand_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("brand");

        QTest::newRow("LF") << QByteArray("5.917\nORVA\n") << "5.917" << "ORVA";
        QTest::newRow("CR LF") << QByteArray("5.917\r\nORVA\r\n") << "5.917" << "ORVA";
        QTest::newRow("no LF") << QByteArray("  5.917 \t") << "5.917" << "";
        QTest::newRow("leading LF") << QByteArray("\nORVA\n5.917") << "" << "ORVA";
        QTest::newRow("three lines") << QByteArray("5.917\nORVA\nPELKA\n") << "5.917" << "ORVA";
        QTest::newRow("inner spaces") << QByteArray(" 5.9 beta 2 \n O RVA \n") << "5.9 beta 2" << "O RVA";
        QTest::newRow("lone CR") << QByteArray("5.917\rTALM\nORVA") << "5.917\rTALM" << "ORVA";
        QTest::newRow("NUL in line") << QByteArray("5.917\0garbage\nOR\0VA", 19) << "5.917" << "OR";
        QTest::newRow("empty") << QByteArray("") << "" << "";
        QTest::newRow("blank brand line") << QByteArray("5.917\n   \nORVA") << "5.917" << "";
        QTest::newRow("UTF-8") << QByteArray("5.9\xc3\xa9\n\xc3\x96RVA") << QString::fromUtf8("5.9\xc3\xa9")
                               << QString::fromUtf8("\xc3\x96RVA");
    }

    void extractsVersionAndBrand()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, version);
        QFETCH(QString, brand);
        const VersionFileParser *parser = VersionFileParser::instance();
        QCOMPARE(parser->getVersion(contents), version);
        QCOMPARE(parser->getBrand(contents), brand);
        QCOMPARE(VersionFileParser::instance(), parser);
    }

    void invalidUtf8IsDecodedNotRejected()
    {
        const QString version = VersionFileParser::instance()->getVersion("5.9\xff\n");
        QCOMPARE(version, QString("5.9") + QChar(QChar::ReplacementCharacter));
    }

    void cardPathsJoinOntoEitherKindOfRoot()
    {
        QCOMPARE(CardLayout::onVolume("E:/", CardLayout::versionFile("TZ41")), QString("E:/DCIM/100TZ41/.version"));
        QCOMPARE(CardLayout::onVolume("/media/card", CardLayout::updateImage("TZ7K")),
                 QString("/media/card/DCIM/TZ7KLOAD/TZ7KUPDT.BIN"));
        QCOMPARE(CardLayout::onVolume("/", CardLayout::deviceFolder("VEK")), QString("/DCIM/100VEK"));
    }

    void readsTheFileAsStored()
    {
        QTemporaryDir card;
        QVERIFY(card.isValid());
        const QByteArray bytes("5.917\r\nORVA\r\n");
        QVERIFY(writeFile(card.path() + "/DCIM/100TZ41/.version", bytes));

        QCOMPARE(readCardVersionFile(card.path(), "TZ41"), bytes);
        QCOMPARE(readCardVersionFile(card.path() + "/", "TZ41"), bytes);
        // 1 GiB, sparse: only its head is read, never the whole.
        QFile huge(card.path() + "/DCIM/100TZ41/.version");
        QVERIFY(huge.resize(qint64(1) << 30));
        QCOMPARE(readCardVersionFile(card.path(), "TZ41").left(bytes.size()), bytes);
        QVERIFY(readCardVersionFile(card.path(), "TZ41").size() <= 64 * 1024);
    }

    void unreadableFilesReadAsNothing()
    {
        QTemporaryDir card;
        QVERIFY(card.isValid());
        QVERIFY(writeFile(card.path() + "/DCIM/100EMPT/.version", QByteArray()));
        QVERIFY(QDir().mkpath(card.path() + "/DCIM/100FOLD/.version"));
        QVERIFY(QDir().mkpath(card.path() + "/DCIM/100NONE"));
        // A FIFO would wait for a writer; a link may lead off the card.
        QVERIFY(QDir().mkpath(card.path() + "/DCIM/100FIFO") && QDir().mkpath(card.path() + "/DCIM/100LINK"));
        QCOMPARE(::mkfifo(QFile::encodeName(card.path() + "/DCIM/100FIFO/.version").constData(), 0644), 0);
        QVERIFY(writeFile(card.path() + "/elsewhere", "5.917\nORVA\n"));
        QVERIFY(QFile::link(card.path() + "/elsewhere", card.path() + "/DCIM/100LINK/.version"));

        for (const QString code : {"EMPT", "FOLD", "NONE", "GONE", "FIFO", "LINK"}) {
            const QByteArray bytes = readCardVersionFile(card.path(), code);
            QVERIFY2(bytes.isEmpty(), qPrintable(code));
            QCOMPARE(VersionFileParser::instance()->getVersion(bytes), QString());
            QCOMPARE(VersionFileParser::instance()->getBrand(bytes), QString());
        }
    }
};

QTEST_GUILESS_MAIN(VersionFileTest)
#include "tst_versionfile.moc"
