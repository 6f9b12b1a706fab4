// Signed folders and mirrors: the real vek-updater-cli, with a trust list of its own,
// against the maker's server at the address built into it (played on loopback, in this
// test's own network), mirrors of it, folders and a tmpfs card.

#include "catalogue/catalogueload.h"
#include "cliprogram.h"
#include "catalogue/cataloguesigning.h"
#include "outside/programidentity.h"
#include "testkit.h"

#include <QHostAddress>
#include <QtTest>

#include <sched.h>

class SigningTest : public QObject
{
    Q_OBJECT
    QTemporaryDir scratch;
    QProcess server;
    const QByteArray image = firmwareImage(200000, 3);
    const QUrl makers{FirmwareSource().address()};

    QString path(const QString &name) const { return scratch.filePath(name); }
    QString signedFolder() const { return path("signed"); }
    QString catalogueIn(const QString &folder) const { return folder + "/" + catalogueFileName; }
    QString mirror(const QString &name) const { return makers.resolved(QUrl("/" + name)).toString(); }

    // The trust list is the one in config-NAME: "bench" trusts Bench A, "none" no key.
    CliRun cli(const QStringList &arguments, const QString &config = "bench")
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", path("config-" + config));
        return runCli(arguments, {}, environment);
    }
    // The key files, and the trust list's copy of the public one.
    QStringList readOnlyFolders() const { return {path("keys"), path("config-bench/vek-updater/trusted-keys")}; }
    // A copy of the signed folder without the files named.
    QString copyOfSigned(const QString &to, const QStringList &leftOut = {})
    {
        QDir().mkpath(to);
        for (const QString &file : filesIn(signedFolder()))
            if (!leftOut.contains(file))
                QFile::copy(signedFolder() + "/" + file, to + "/" + file);
        return to;
    }
    // The signed folder's statement, signed again once changed.
    QString resigned(const QString &to, const QString &keyFile, qint64 serialChange, int expiresInDays)
    {
        CatalogueStatement statement = *parseStatement(fileBytes(catalogueIn(signedFolder()) + statementSuffix));
        statement.serial += serialChange;
        statement.expires = QDateTime::currentDateTimeUtc().addDays(expiresInDays);
        QString why;
        const std::optional<SignerKey> key = readSignerKey(keyFile, &why);
        return key && writeSignedStatement(catalogueIn(copyOfSigned(to)), statement, *key, &why) ? to : why;
    }

private slots:
    void initTestCase()
    {
        setProgramIdentity();
        // The maker's server at the built-in address: its host leads to loopback, port 443
        // of a network of this test's own, under a certificate the program trusts.
        const auto tool = [](const QString &program, const QStringList &arguments) {
            QProcess process;
            process.start(program, arguments);
            const bool ran = process.waitForFinished(programMs) && process.exitCode() == 0;
            return ran ? std::optional<QByteArray>(process.readAll().trimmed()) : std::nullopt;
        };
        if (::unshare(CLONE_NEWNET) != 0 || !tool("ip", {"link", "set", "lo", "up"}))
            QSKIP("no network of its own here, where the maker's server could be played");
        const QString host = makers.host(), store = path("ca-store"), certificate = store + "/makers.pem";
        const QString name = (QHostAddress(host).isNull() ? "subjectAltName=DNS:" : "subjectAltName=IP:") + host;
        QVERIFY(QDir().mkpath(store));
        QVERIFY(tool("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
                                 "-days", "2", "-subj", "/CN=" + host, "-addext", name, "-keyout", path("makers.key"),
                                 "-out", certificate}));
        const auto hash = tool("openssl", {"x509", "-subject_hash", "-noout", "-in", certificate});
        QVERIFY(hash && QFile::link("makers.pem", store + "/" + *hash + ".0"));
        QVERIFY(::mount(QFile::encodeName(store).constData(), "/etc/ssl/certs", nullptr, MS_BIND, nullptr) == 0);
        QVERIFY(writeFile(path("hosts"), fileBytes("/etc/hosts") + "\n127.0.0.1 " + host.toLatin1() + "\n"));
        QVERIFY(::mount(QFile::encodeName(path("hosts")).constData(), "/etc/hosts", nullptr, MS_BIND, nullptr) == 0);
        // A system-wide key of this workstation's would ask every row for a signature.
        const QByteArray systemKeys = QFile::encodeName(TrustStore::defaultSystemFolder());
        QVERIFY(!QFileInfo::exists(systemKeys) || ::mount("none", systemKeys, "tmpfs", 0, nullptr) == 0);

        const QString folder = path("www") + makers.path();
        const QJsonObject entry{
            {"Version", "5.920"}, {"Link", makers.toString() + "/tz22.bin"}, {"Checksum", checksumOf(image)}};
        QVERIFY(QDir().mkpath(folder) && writeFile(folder + "/tz22.bin", image)
                && writeFile(catalogueIn(folder),
                             QJsonDocument(QJsonObject{{"!", "note"}, {"TZ2200", entry}}).toJson()));
        server.start("python3", {VEK_TEST_SUPPORT_DIR "/https-server.py", "--root", path("www"), "--cert", certificate,
                                 "--key", path("makers.key"), "--port", QString::number(makers.port(443))});
        QVERIFY(server.waitForReadyRead(10000));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(path("cache")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));

        QVERIFY(QDir().mkpath(path("keys")));
        QCOMPARE(cli({"keys", "generate", path("keys/bench.key"), "--name", "Bench A"}).exitCode, 0);
        QCOMPARE(cli({"keys", "generate", path("keys/stranger.key")}).exitCode, 0);
        QCOMPARE(cli({"keys", "trust", path("keys/bench.key.pub")}).exitCode, 0);
        // Fetched from the maker's server while a key is trusted: it needs no statement.
        QCOMPARE(cli({"fetch", signedFolder(), "--sign", path("keys/bench.key")}).exitCode, 0);
        QCOMPARE(cli({"--source", signedFolder(), "list"}).exitCode, 2); // its serial is accepted
    }
    void cleanupTestCase()
    {
        server.kill(), server.waitForFinished();
        for (const QString &folder : readOnlyFolders())
            ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    }
    void cleanup() { pullCard(path("card")); }

    void sources_data()
    {
        QTest::addColumn<QString>("source"); // empty: the maker's server
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("reason"); // empty: the card is updated
        const QString statement = catalogueFileName + statementSuffix, signature = catalogueFileName + signatureSuffix;
        const QString bench = path("keys/bench.key"), stranger = path("keys/stranger.key");
        copyOfSigned(path("www/mirror"));
        copyOfSigned(path("www/bare"), {statement});
        const QString altered = copyOfSigned(path("altered"));
        QVERIFY(writeFile(catalogueIn(altered), fileBytes(catalogueIn(altered)).replace("note", "nott")));

        QTest::newRow("signed by a trusted key") << signedFolder() << "bench" << "";
        QTest::newRow("one byte of the catalogue changed") << altered << "bench" << "altered";
        QTest::newRow("serial below one accepted") << resigned(path("older"), bench, -1, 90) << "bench"
                                                   << "rolled back";
        QTest::newRow("expired") << resigned(path("expired"), bench, 0, -1) << "bench" << "expired";
        QTest::newRow("signed by an untrusted key") << resigned(path("stranger"), stranger, 0, 90) << "bench"
                                                    << "wrong signer";
        QTest::newRow("signature missing") << copyOfSigned(path("nosig"), {signature}) << "bench" << "unsigned";
        QTest::newRow("mirror, signed") << mirror("mirror") << "bench" << "";
        QTest::newRow("mirror, unsigned") << mirror("bare") << "bench" << "unsigned";
        QTest::newRow("no key trusted, unsigned folder") << copyOfSigned(path("bare"), {statement, signature}) << "none"
                                                         << "";
        QTest::newRow("maker's server, unsigned") << "" << "bench" << "";
        // Last: the folder it fetches has a later serial than the rows above.
        QTest::newRow("key files made read-only") << path("readonly") << "bench" << "";
    }
    // A source the trust list refuses updates nothing and says why.
    void sources()
    {
        QFETCH(QString, source);
        QFETCH(QString, config);
        QFETCH(QString, reason);
        if (QTest::currentDataTag() == QLatin1String("key files made read-only")) {
            for (const QString &folder : readOnlyFolders())
                QVERIFY(bindReadOnly(folder));
            QCOMPARE(cli({"fetch", source, "--sign", path("keys/bench.key")}).exitCode, 0);
        }
        const QString card = path("card");
        QVERIFY(mountCard(card, 4 << 20) && !makeCard(card, "TZ22", "5.910\n", true).isEmpty());
        const QStringList from = source.isEmpty() ? QStringList() : QStringList{"--source", source};
        const CliRun run = cli(from + QStringList{"update", card}, config);
        QCOMPARE(run.exitCode, reason.isEmpty() ? 0 : 3);
        QVERIFY2(run.err.contains(reason.toLatin1()), run.err.constData());
        QCOMPARE(fileBytes(card + "/DCIM/TZ22LOAD/TZ22UPDT.BIN") == image, reason.isEmpty());
    }

    // A key trusted system-wide (a package's) asks for signatures as the user's do, and
    // names the signer by its file there.
    void systemWideKey()
    {
        const QString system = path("system-keys");
        QVERIFY(QDir().mkpath(system) && QFile::copy(path("keys/bench.key.pub"), system + "/Maker.pub"));
        const TrustStore trust(path("config-system/trusted-keys"), system);
        const auto load = [&](const QString &folder) {
            return loadCatalogue(*FirmwareSource::fromArgument(folder, nullptr), catalogueLimits(), StopFlag(), trust);
        };
        const QString unsigned_ = copyOfSigned(path("unsigned"), {catalogueFileName + statementSuffix});
        QCOMPARE(load(unsigned_).signatureProblem, SignatureProblem::Unsigned);
        const LoadedCatalogue signedOne = load(signedFolder());
        QVERIFY(signedOne.loaded);
        QCOMPARE(signedOne.signer, QString("Maker"));
    }
};

QTEST_MAIN(SigningTest)
#include "tst_signing.moc"
