#include "catalogue/catalogueparser.h"
#include "catalogue/firmwaresource.h"
#include "catalogue/linkfilename.h"
#include "catalogue/versionnumber.h"

#include <QtTest>

class CatalogueTest : public QObject
{
    Q_OBJECT

private slots:
    // Catalogues are written with ' for " to stay readable; each record reads
    // "Model|Model_Code|Version|Brand|Link|Checksum|ADB_Device".
    void parseCatalogue_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("hasMembers");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("first key never read")
            << QByteArray("{'TZ7000':{'Version':'1'},'A':{'Version':'2'},'TZ4100':{}}") << true
            << QStringList{"TZ4100|TZ41|||||0", "TZ7000|TZ7K|1||||0"};
        QTest::newRow("one member: success, no records")
            << QByteArray("{'TZ4100':{'Version':'5'}}") << true << QStringList();
        QTest::newRow("array: one record per element")
            << QByteArray("{'#':0,'vek':[{'Brand':'ORVA'},'text',{'ADB_Device':true}],'TZ22':5}") << true
            << QStringList{"VEK|VEK||ORVA|||0", "VEK|VEK|||||0", "VEK|VEK|||||1"};
        QTest::newRow("fields of their JSON type only")
            << QByteArray("{'#':1,'tz4100':{'Version':5.9,'ADB_Device':'true','Link':'https://h/f.bin',"
                          "'Checksum':'aB12','Pathname':'p','Brand':'ORVA'}}")
            << true << QStringList{"TZ4100|TZ41||ORVA|https://h/f.bin|aB12|0"};
        QTest::newRow("unsafe keys skipped")
            << QByteArray("{'#':1,'TZ22':{},'../x':{},'A B':{},'T\\u0027Z':[{}],'TZ;rm':{},"
                          "'T-Z_9':{},'TZ\xc3\xa9':{}}")
            << true << QStringList{"T-Z_9|T-Z_9|||||0", "TZ22|TZ22|||||0"};
        QTest::newRow("text ends at the first NUL")
            << QByteArray("{'#':1,'TZ5500':{}}") + '\0' + "{garbage" << true << QStringList{"TZ5500|TZ55|||||0"};
        QTest::newRow("model codes: 000 becomes K, 00 goes, a lone 0 stays")
            << QByteArray("{'#':1,'000':{},'TZ10':{},'TZ4100':{},'TZ7000':{}}") << true
            << QStringList{"000|K|||||0", "TZ10|TZ10|||||0", "TZ4100|TZ41|||||0", "TZ7000|TZ7K|||||0"};
        QTest::newRow("malformed") << QByteArray("{'#':1,'TZ22':{") << false << QStringList();
        QTest::newRow("array at the top") << QByteArray("[{'TZ22':{}}]") << false << QStringList();
        QTest::newRow("empty object") << QByteArray("{}") << false << QStringList();
    }
    void parseCatalogue()
    {
        QFETCH(QByteArray, body);
        const CatalogueContents contents = ::parseCatalogue(body.replace('\'', '"'));
        QStringList records;
        for (const CatalogueMember &e : contents.entries) {
            const CatalogueEntry a = makeEntry(e.key, e.entry);
            records << QStringList{a.model,    a.modelCode, a.version,  a.brand,
                                   a.link,     a.checksum,   QString::number(a.overAdb)}
                           .join('|');
        }
        QTEST(contents.hasMembers, "hasMembers");
        QTEST(records, "records");
    }

    // A link's file name becomes a path in a source folder: only a plain name will do.
    void linkFileName_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "https://h/fw/TZ22_5920.bin?x=1" << "TZ22_5920.bin";
        QTest::newRow("escaped blank") << "https://h/fw/TZ%2022.bin" << "TZ 22.bin";
        QTest::newRow("a slash behind %2F leaves only the last part") << "https://h/fw/..%2Fx.bin" << "x.bin";
        QTest::newRow("up a folder") << "https://h/fw/.." << "";
        QTest::newRow("this folder") << "https://h/fw/." << "";
        QTest::newRow("a folder") << "https://h/fw/" << "";
        QTest::newRow("backslash, a separator on Windows") << "https://h/fw/..%5Cx.bin" << "";
        QTest::newRow("drive colon") << "https://h/fw/C%3Ax.bin" << "";
        QTest::newRow("control character") << "https://h/fw/x%0A.bin" << "";
    }
    void linkFileName()
    {
        QFETCH(QString, link);
        QTEST(plainFileNameOfLink(link), "name");
    }

    // Where an image is read from: the link itself from the maker's server; on a mirror,
    // the mirror's copy of whatever the link names in the maker's folder; from a folder,
    // the file of the link's name inside it.
    void imageOrigin_data()
    {
        const QString makers = FirmwareSource().address(), folder = QDir::tempPath();
        QTest::addColumn<QString>("source"); // empty: the maker's server
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("origin"); // empty: refused
        QTest::newRow("maker's server") << "" << makers + "/TZ22.bin" << makers + "/TZ22.bin";
        QTest::newRow("mirror: the maker's folder") << "https://mirror.example/vek/" << makers + "/a/TZ22.bin"
                                                    << "https://mirror.example/vek/a/TZ22.bin";
        QTest::newRow("mirror: another server") << "https://mirror.example/vek" << "https://other.example/TZ22.bin"
                                                << "https://other.example/TZ22.bin";
        QTest::newRow("folder") << folder << makers + "/TZ22.bin" << folder + "/TZ22.bin";
        QTest::newRow("folder: no plain name") << folder << makers + "/.." << "";
    }
    void imageOrigin()
    {
        QFETCH(QString, source);
        QFETCH(QString, link);
        QString why;
        const FirmwareSource from = source.isEmpty() ? FirmwareSource() : *FirmwareSource::fromArgument(source, &why);
        const std::optional<ImageOrigin> origin = from.imageFor(link, &why);
        QTEST(!origin ? QString() : origin->isFile() ? origin->filePath : origin->url.toString(), "origin");
    }

    void updateRequired_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("required");
        QTest::newRow("older device") << "TZ22" << "5.920" << "5.917" << true;
        QTest::newRow("newer device: different, not older") << "TZ55" << "3.1" << "4.0" << true;
        QTest::newRow("same version") << "TZ43" << "5.917" << "5.917" << false;
        QTest::newRow("same digits") << "TZ43" << "1.10" << "1.1.0" << false;
        QTest::newRow("extra zero differs") << "TZ43" << "2.0" << "2.00" << true;
        QTest::newRow("unreadable device") << "TZ55" << "5.920" << "" << true;
        QTest::newRow("TZ41 on 5.917 kept") << "TZ41" << "5.920" << "5.917" << false;
        QTest::newRow("TZ41 holding 5.917 kept") << "TZ41" << "5.920" << "V5.9170" << false;
        QTest::newRow("TZ41 on another version") << "TZ41" << "5.920" << "5.916" << true;
        QTest::newRow("TZ41 rule: exact code") << "TZ41X" << "5.920" << "5.917" << true;
        QTest::newRow("TZ41 rule: case-sensitive") << "tz41" << "5.920" << "5.917" << true;
        // Versions compare as the number all their ASCII digits in a row make.
        QTest::newRow("digits in a row") << "TZ43" << "V1.2.10" << "1210" << false;
        QTest::newRow("signs and spaces dropped") << "TZ43" << " -4 .0+" << "40" << false;
        QTest::newRow("no digits: 0") << "TZ43" << "beta" << "0" << false;
        QTest::newRow("non-ASCII digit: 0") << "TZ43" << QString::fromUtf8("1.\u0663") << "0" << false;
    }
    void updateRequired()
    {
        QFETCH(QString, code);
        QFETCH(QString, catalogue);
        QFETCH(QString, device);
        QTEST(::updateRequired(code, catalogue, device), "required");
    }
};

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
