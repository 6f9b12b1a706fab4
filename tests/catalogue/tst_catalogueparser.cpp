#include "catalogue/catalogueparser.h"
#include "catalogue/modelcode.h"

#include <QtTest>

namespace {
// Test catalogues are written with single quotes to keep them readable.
QByteArray json(const char *text)
{
    return QByteArray(text).replace('\'', '"');
}

QStringList modelsOf(const CatalogueContents &contents)
{
    QStringList models;
    for (const CatalogueEntry &e : contents.entries)
        models << makeAsset(e.key, e.entry).Model;
    return models;
}
} // namespace

class CatalogueParserTest : public QObject
{
    Q_OBJECT

private slots:
    void firstKeyInKeyOrderIsNeverRead()
    {
        // "A" sorts first and is skipped even though it looks like a model entry.
        const auto c = parseCatalogue(json("{'TZ7000':{'Version':'1'},'A':{'Version':'2'},'TZ4100':{}}"));
        QVERIFY(c.hasMembers);
        QCOMPARE(modelsOf(c), QStringList({"TZ4100", "TZ7000"}));
    }

    void singleMemberIsSuccessWithoutRecords()
    {
        const auto c = parseCatalogue(json("{'TZ4100':{'Version':'5.917'}}"));
        QVERIFY(c.hasMembers);
        QVERIFY(c.entries.isEmpty());
    }

    void arraysGiveOneRecordPerElementInOrder()
    {
        const auto c = parseCatalogue(
            json("{'#about':0,'vek':[{'Brand':'ORVA'},'text',{'Brand':'TALM','ADB_Device':true}],'TZ22':5}"));
        QCOMPARE(c.entries.size(), 3);
        const ASSET_INFORMATION first = makeAsset(c.entries[0].key, c.entries[0].entry);
        const ASSET_INFORMATION fromString = makeAsset(c.entries[1].key, c.entries[1].entry);
        const ASSET_INFORMATION third = makeAsset(c.entries[2].key, c.entries[2].entry);
        QCOMPARE(first.Model, QString("VEK"));
        QCOMPARE(first.Model_Code, QString("VEK"));
        QCOMPARE(first.Brand, QString("ORVA"));
        QVERIFY(fromString.Brand.isEmpty() && fromString.Version.isEmpty() && !fromString.ADB_Device);
        QCOMPARE(third.Brand, QString("TALM"));
        QVERIFY(third.ADB_Device);
    }

    void fieldsTakeOnlyTheirJsonType()
    {
        const auto c = parseCatalogue(json("{'#about':1,'tz4100':{'Version':5.917,'ADB_Device':'true','Link':'https://h/f.bin',"
                                         "'Checksum':'ab12','Pathname':'p','Brand':'ORVA','Other':1}}"));
        QCOMPARE(c.entries.size(), 1);
        const ASSET_INFORMATION a = makeAsset(c.entries[0].key, c.entries[0].entry);
        QCOMPARE(a.Model, QString("TZ4100"));
        QCOMPARE(a.Model_Code, QString("TZ41"));
        QVERIFY(a.Version.isEmpty());
        QVERIFY(!a.ADB_Device);
        QCOMPARE(a.Link, QString("https://h/f.bin"));
        QCOMPARE(a.Checksum, QString("ab12")); // kept exactly as written
        QCOMPARE(a.Pathname, QString("p"));
        QVERIFY(a.Device_Version.isEmpty() && a.Update_Path.isEmpty() && !a.Attached && a.Error_Count == 0);
    }

    void textEndsAtTheFirstNulByte()
    {
        QByteArray body = json("{'#about':1,'TZ5500':{'Version':'2'}}");
        body.append('\0').append("garbage that is not JSON");
        const auto c = parseCatalogue(body);
        QCOMPARE(modelsOf(c), QStringList({"TZ5500"}));
    }

    void notAnObjectMeansNoCatalogue_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("malformed") << QByteArray(json("{'#about':1,'TZ22':{"));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("array") << QByteArray(json("[{'TZ22':{}}]"));
        QTest::newRow("empty object") << QByteArray("{}");
        QTest::newRow("nul first") << QByteArray("\0{\"#\":1,\"TZ22\":{}}", 18);
    }
    void notAnObjectMeansNoCatalogue()
    {
        QFETCH(QByteArray, body);
        const auto c = parseCatalogue(body);
        QVERIFY(!c.hasMembers);
        QVERIFY(c.entries.isEmpty());
    }

    void keysThatAreNotPlainModelNamesAreSkipped()
    {
        const auto c = parseCatalogue(
            json("{'#about':1,'TZ22':{},'../x':{},'A B':{},'T\\u0027Z':[{}],'TZ;rm':{},'T-Z_9':{},'TZé':{}}"));
        QCOMPARE(modelsOf(c), QStringList({"T-Z_9", "TZ22"}));
    }

    void shortModelCodes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("code");
        const QList<QPair<QString, QString>> table = {
            {"TZ2200", "TZ22"}, {"TZ4100", "TZ41"}, {"TZ4300", "TZ43"}, {"TZ5500", "TZ55"}, {"TZ7000", "TZ7K"},
            {"TZ7600", "TZ76"}, {"VEK", "VEK"},     {"TZ100", "TZ1"},   {"000", "K"},       {"00", ""},
            {"TZ10", "TZ10"},   {"tz7000", "tz7K"}};
        for (const auto &row : table)
            QTest::newRow(qPrintable(row.first)) << row.first << row.second;
    }
    void shortModelCodes()
    {
        QFETCH(QString, name);
        QFETCH(QString, code);
        QCOMPARE(shortModelCode(name), code);
    }
};

QTEST_GUILESS_MAIN(CatalogueParserTest)
#include "tst_catalogueparser.moc"
