#pragma once

// A bench's day in minutes, for a program that updates each camera as it is plugged in
// (vek-updater-cli watch, the window's automatic mode), run as a process of its own in
// the environment given here: trays of tmpfs cards plugged and pulled and of scripted adb
// devices attached and detached, a third of the updates failing in assorted ways (a full
// card, a card pulled mid-update, a checksum mismatch, a refused push), tiny images and
// no delays. What the program holds is measured from outside, through /proc. Needs a
// private mount namespace, and the program must trust the test server.

#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "testkit.h"

#include <QDirIterator>
#include <QProcessEnvironment>

// What a process holds, as /proc tells it, and the files below some folders of it.
struct Footprint
{
    qint64 residentBytes = 0;
    int descriptors = 0, threads = 0, children = 0, files = 0;

    // No more descriptors, threads, child processes or files than then.
    bool holdsNoMoreThan(const Footprint &then) const
    {
        return descriptors <= then.descriptors && threads <= then.threads && children <= then.children
               && files <= then.files;
    }
};

inline Footprint footprintOf(qint64 pid, const QStringList &folders)
{
    Footprint held;
    const QString proc = QString("/proc/%1/").arg(pid);
    for (const QByteArray &line : fileBytes(proc + "status").split('\n')) {
        if (line.startsWith("VmRSS:"))
            held.residentBytes = line.mid(6).trimmed().split(' ')[0].toLongLong() * 1024;
        else if (line.startsWith("Threads:"))
            held.threads = line.mid(8).trimmed().toInt();
    }
    held.descriptors = QDir(proc + "fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
    for (const QString &process : QDir("/proc").entryList(QDir::Dirs)) {
        // "pid (name) state ppid ...", where the name may hold spaces and parentheses.
        const QByteArray stat = fileBytes("/proc/" + process + "/stat");
        held.children += !stat.isEmpty() && stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(1).toLongLong() == pid;
    }
    for (const QString &folder : folders) {
        for (QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
             files.hasNext(); files.next())
            ++held.files;
    }
    return held;
}

// The least a process held over a while: what it keeps, without what comes and goes (a
// detection pass's threads, an adb process).
inline Footprint leastFootprintOf(qint64 pid, const QStringList &folders, int overMs = 2000)
{
    Footprint least = footprintOf(pid, folders);
    QElapsedTimer clock;
    clock.start();
    while (!clock.hasExpired(overMs)) {
        QTest::qWait(50);
        const Footprint now = footprintOf(pid, folders);
        least = {qMin(least.residentBytes, now.residentBytes), qMin(least.descriptors, now.descriptors),
                 qMin(least.threads, now.threads), qMin(least.children, now.children), qMin(least.files, now.files)};
    }
    return least;
}

class SoakBench
{
public:
    // What a day came to: the program's footprint after the first tray and at the end,
    // its history's lines, and the updates that ended otherwise than their camera's kind
    // makes them end (success for a sound camera, failure for a faulty one).
    struct Day
    {
        int cameras = 0, failed = 0, historyLines = 0;
        QStringList unexpected;
        Footprint start, end;

        QString figures() const
        {
            return QString("%1 cameras, %2 failed, %3 history lines; from the first tray to the end: resident "
                           "%4 -> %5 KiB, descriptors %6 -> %7, threads %8 -> %9, child processes %10 -> %11, "
                           "files %12 -> %13")
                .arg(cameras).arg(failed).arg(historyLines).arg(start.residentBytes / 1024).arg(end.residentBytes / 1024)
                .arg(start.descriptors).arg(end.descriptors).arg(start.threads).arg(end.threads)
                .arg(start.children).arg(end.children).arg(start.files).arg(end.files);
        }
    };

    SoakBench(HttpsServer &server, const QString &scratch) : server(server), scratch(scratch)
    {
        const QByteArray image = firmwareImage(20000, 1), stalled = firmwareImage(20000, 2);
        server.serve("/soak/good.bin", image);
        server.serve("/soak/altered.bin", firmwareImage(20000, 3));
        server.stallAfter("/soak/stalled.bin", stalled, 4096);
        const auto entry = [&](const QString &route, const QByteArray &bytes, bool adb = false) {
            return QJsonObject{{"Version", "5.920"}, {"Link", server.url(route)}, {"Checksum", checksumOf(bytes)},
                               {"ADB_Device", adb}};
        };
        server.serve("/soak/vek-updater-config.txt",
                     QJsonDocument(QJsonObject{{"!", 0},
                                               {"TZ2200", entry("/soak/good.bin", image)},
                                               {"TZ3300", entry("/soak/altered.bin", image)},
                                               {"TZ4400", entry("/soak/stalled.bin", stalled)},
                                               {"TZ7600", entry("/soak/good.bin", image, true)}})
                         .toJson());
        QDir().mkpath(workFolder());
    }

    QString source() const { return server.url("/soak"); }
    // For the program: its history and cache below the scratch folder, the scripted adb.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", scratch + "/data");
        environment.insert("XDG_CONFIG_HOME", scratch + "/config");
        environment.insert("XDG_CACHE_HOME", scratch + "/cache");
        return environment;
    }
    QString workFolder() const { return scratch + "/work"; }

    // Plugs in trays of `tray` cards and a share of the adb devices, until `cards` cards
    // and `adbDevices` devices have come, each tray pulled once the program has recorded
    // an update for each of its cameras. The footprint is taken after the first tray, and
    // at the end, once the program holds no more than then, or after settleMs.
    Day run(qint64 pid, int cards, int adbDevices, int tray = 24, int trayMs = 120000, int settleMs = 60000)
    {
        Day day;
        const QStringList folders{scratch + "/cache", workFolder()};
        const int trays = (cards + tray - 1) / tray;
        for (int t = 0; t < trays && day.unexpected.isEmpty(); ++t) {
            runTray(pid, qMin(tray, cards - t * tray), adbDevices * (t + 1) / trays - adbDevices * t / trays, trayMs, &day);
            if (t == 0)
                day.start = leastFootprintOf(pid, folders);
        }
        static_cast<void>(QTest::qWaitFor([&] { return footprintOf(pid, folders).holdsNoMoreThan(day.start); }, settleMs));
        day.end = leastFootprintOf(pid, folders);
        return day;
    }

private:
    enum class Kind { Sound, Full, PulledMidUpdate, ChecksumMismatch, RefusedPush };
    struct Camera
    {
        QString id, root;
        Kind kind;
    };

    static bool holdsFileBelow(qint64 pid, const QString &folder)
    {
        const QString descriptors = QString("/proc/%1/fd/").arg(pid);
        for (const QString &descriptor : QDir(descriptors).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            if (QFileInfo(descriptors + descriptor).symLinkTarget().startsWith(folder))
                return true;
        return false;
    }
    void runTray(qint64 pid, int cards, int adbDevices, int trayMs, Day *day)
    {
        // Of three cameras, one fails: cards in turn by a full card, a pull, a wrong image.
        static const Kind cardKinds[9] = {Kind::Sound, Kind::Sound, Kind::Full, Kind::Sound, Kind::Sound,
                                          Kind::PulledMidUpdate, Kind::Sound, Kind::Sound, Kind::ChecksumMismatch};
        QVector<Camera> cameras, toPull;
        for (int slot = 0; slot < cards; ++slot) {
            const Kind kind = cardKinds[slot % 9];
            const QString root = scratch + QString("/slot-%1").arg(slot);
            const QString code = kind == Kind::ChecksumMismatch ? "TZ33" : kind == Kind::PulledMidUpdate ? "TZ44" : "TZ22";
            if (!mountCard(root, kind == Kind::Full ? 16 << 10 : 1 << 20) || makeCard(root, code, "5.910\n", true).isEmpty())
                day->unexpected << root + ": cannot plug the card in";
            cameras.append({root, root, kind});
            if (kind == Kind::PulledMidUpdate)
                toPull.append(cameras.last());
        }
        for (int device = 0; device < adbDevices; ++device) {
            const QString serial = QString("SOAK%1").arg(day->cameras + cameras.size(), 5, 10, QChar('0'));
            adb.attach(true, serial);
            makeCard(adb.cardPath(serial), "TZ76", "5.910\n", true);
            if (device % 3 == 2)
                adb.set("devices/" + serial + "/push", "fails");
            cameras.append({"adb:" + serial, QString(), device % 3 == 2 ? Kind::RefusedPush : Kind::Sound});
        }
        const int expected = day->cameras + cameras.size();
        // A card to be pulled mid-update is pulled once the program has a file open there.
        const bool recorded = QTest::qWaitFor([&] {
            for (int i = toPull.size() - 1; i >= 0; --i) {
                if (holdsFileBelow(pid, toPull[i].root + "/DCIM/TZ44LOAD/"))
                    pullCard(toPull.takeAt(i).root);
            }
            return fileBytes(history()).count('\n') >= expected;
        }, trayMs);
        if (!recorded)
            day->unexpected << QString("a tray not done in %1 s").arg(trayMs / 1000);
        const QList<QByteArray> lines = fileBytes(history()).split('\n').mid(day->cameras);
        for (const QByteArray &line : lines) {
            if (line.isEmpty())
                continue;
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            const auto camera = std::find_if(cameras.cbegin(), cameras.cend(),
                                             [&](const Camera &c) { return c.id == record["camera"].toString(); });
            const bool succeeded = record["outcome"] == 0;
            day->failed += !succeeded;
            if (camera == cameras.cend() || succeeded != (camera->kind == Kind::Sound))
                day->unexpected << line;
        }
        day->historyLines = fileBytes(history()).count('\n');
        if (day->historyLines != expected)
            day->unexpected << QString("%1 history lines, where %2 cameras came").arg(day->historyLines).arg(expected);
        day->cameras = expected;
        for (const Camera &camera : qAsConst(cameras))
            camera.root.isEmpty() ? adb.attach(false, camera.id.mid(4)) : void(pullCard(camera.root));
        QTest::qWait(1500); // a detection pass sees the tray gone
    }
    QString history() const { return scratch + "/data/vek-updater/history.jsonl"; }

    HttpsServer &server;
    const QString scratch;
    FakeAdb adb;
};
