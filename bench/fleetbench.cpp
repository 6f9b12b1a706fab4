#include "benchmarks.h"

#include "benchsite.h"
#include "processmemory.h"
#include "resulttable.h"
#include "samples.h"
#include "stationrun.h"

#include <QScopeGuard>
#include <QTextStream>

#include <algorithm>

namespace {
constexpr double cardTargetRatio = 1.3, adbTargetRatio = 1.5;
constexpr qint64 cardBytesPerSecond = 20000000;
constexpr int pushSeconds = 3;

void say(const QString &line)
{
    QTextStream(stderr) << "  " << line << '\n';
}

ResultRow ratioRow(const QString &what, double together, double alone, const QString &aloneText, double target)
{
    ResultRow row;
    row.what = what;
    row.updater = QStringLiteral("%1 s").arg(together, 0, 'f', 2);
    row.reference = QStringLiteral("%1 s %2").arg(alone, 0, 'f', 2).arg(aloneText);
    row.figure = QString::number(together / alone, 'f', 2);
    row.target = QStringLiteral("<= %1").arg(target, 0, 'f', 2);
    row.met = together <= target * alone;
    return row;
}

// The most requests any one image had in one run, against the routes' counts before it.
class RequestTally
{
public:
    RequestTally(const BenchSite &site, QStringList routes) : site(site), routes(std::move(routes)) {}
    void before()
    {
        counts.clear();
        for (const QString &route : qAsConst(routes))
            counts << site.requestCount(route);
    }
    void after()
    {
        for (int i = 0; i < routes.size(); ++i)
            most = std::max(most, site.requestCount(routes[i]) - counts[i]);
    }
    int most = 0;

private:
    const BenchSite &site;
    const QStringList routes;
    QVector<int> counts;
};

// A station of its own finds the cameras plugged in now, then updates them: those that
// `pick` keeps, or all of them (Update All).
BenchStation::Run updateFound(BenchSite &site, int attached, const std::function<bool(const AttachedCamera &)> &pick = {})
{
    BenchStation station(site.source());
    QString why;
    if (!station.findCameras(attached, &why))
        return {0, why};
    QVector<AttachedCamera> chosen;
    for (const AttachedCamera &camera : station.cameras()) {
        if (!pick || pick(camera))
            chosen << camera;
    }
    return station.update(chosen);
}

// Update All over cameras of 4 models (perModel of each), each card taking 20 MB/s,
// against each model's first camera updated alone; the most requests an image had in
// one run are tallied. With more than two cameras a model, the peak memory of Update All
// above what was resident before it is a row too.
void cardFleet(BenchSite &site, ResultTable &table, int repeats, RequestTally &tally, int perModel)
{
    const QString what = QStringLiteral("Update All, %1 cameras of 4 models, 64 MiB images, cards at 20 MB/s (median of %2)")
                             .arg(4 * perModel).arg(repeats);
    QVector<const BenchSite::Model *> models;
    for (const BenchSite::Model *model : site.fleetModels)
        models << QVector<const BenchSite::Model *>(perModel, model);
    qint64 mostAbove = 0, idle = 0;
    Cards cards(site, "fleet");
    QString why;
    cards.plug(models, cardBytesPerSecond, &why);
    QVector<QVector<double>> alone(4);
    QVector<double> together;
    for (int round = 0; round < repeats && why.isEmpty(); ++round) {
        for (int m = 0; m < 4 && why.isEmpty(); ++m) {
            cards.clearImages();
            const QString code = site.fleetModels[m]->code;
            bool first = true;
            const BenchStation::Run run = updateFound(site, models.size(), [&](const AttachedCamera &camera) {
                const bool chosen = first && camera.entry.modelCode == code;
                first = first && !chosen;
                return chosen;
            });
            why = run.failure;
            alone[m] << run.seconds;
            say(QStringLiteral("%1 alone: %2 s").arg(site.fleetModels[m]->name).arg(run.seconds, 0, 'f', 2));
        }
        cards.clearImages();
        tally.before();
        idle = residentBytes();
        resetPeakResident();
        const BenchStation::Run run = updateFound(site, models.size());
        mostAbove = std::max(mostAbove, peakResidentBytes() - idle);
        tally.after();
        why = why.isEmpty() ? run.failure : why;
        together << run.seconds;
        say(QStringLiteral("all %1: %2 s").arg(models.size()).arg(run.seconds, 0, 'f', 2));
    }
    if (!why.isEmpty()) {
        table.addSkipped(what, "<= 1.30", why);
        return;
    }
    int slowest = 0;
    for (int m = 1; m < 4; ++m)
        slowest = median(alone[m]) > median(alone[slowest]) ? m : slowest;
    table.add(ratioRow(what, median(together), median(alone[slowest]),
                       "the slowest camera alone, a " + site.fleetModels[slowest]->name, cardTargetRatio));
    if (perModel > 2) {
        ResultRow memory;
        memory.what = QStringLiteral("Peak memory above idle, Update All of %1 cameras, 64 MiB images, cards at 20 MB/s "
                                     "(VmHWM, the most of %2)").arg(models.size()).arg(repeats);
        memory.updater = QStringLiteral("%1 MiB").arg(double(mostAbove) / (1 << 20), 0, 'f', 1);
        memory.reference = QStringLiteral("resident before the last, %1 MiB").arg(double(idle) / (1 << 20), 0, 'f', 1);
        memory.figure = memory.updater;
        memory.target = QStringLiteral("<= 64 MiB");
        memory.met = mostAbove <= 64 << 20;
        table.add(memory);
    }
}

// The same over 3 scripted adb cameras whose pushes take 3 s, against one alone.
void adbFleet(BenchSite &site, ResultTable &table, int repeats, RequestTally &tally)
{
    const QString what = QStringLiteral("Update All, 3 scripted adb cameras, pushes of %1 s (median of %2)").arg(pushSeconds).arg(repeats);
    const QStringList serials = {"SERIAL1", "SERIAL2", "SERIAL3"};
    const auto detach = qScopeGuard([&] {
        for (const QString &serial : serials)
            site.adb.attach(false, serial);
        site.adb.set("push-seconds", "0");
    });
    QString why;
    for (const QString &serial : serials) {
        if (!site.attachAdbCamera(serial, *site.adbModel))
            why = "cannot lay out the card of " + serial;
    }
    site.adb.set("push-seconds", QByteArray::number(pushSeconds));
    QVector<double> alone, together;
    for (int round = 0; round < repeats && why.isEmpty(); ++round) {
        BenchStation::Run run = updateFound(site, serials.size(),
                                            [&](const AttachedCamera &camera) { return camera.location == serials[0]; });
        alone << run.seconds;
        why = run.failure;
        tally.before();
        run = updateFound(site, serials.size());
        tally.after();
        together << run.seconds;
        why = why.isEmpty() ? run.failure : why;
        say(QStringLiteral("adb: one alone %1 s, all 3 %2 s").arg(alone.last(), 0, 'f', 2).arg(together.last(), 0, 'f', 2));
    }
    if (!why.isEmpty())
        table.addSkipped(what, "<= 1.50", why);
    else
        table.add(ratioRow(what, median(together), median(alone), "one camera alone", adbTargetRatio));
}
}

void benchFleet(BenchSite &site, ResultTable &table, int repeats)
{
    repeats = std::min(repeats, 3);
    QStringList routes;
    for (const BenchSite::Model *model : site.fleetModels)
        routes << model->route;
    RequestTally tally(site, routes << site.adbModel->route);
    cardFleet(site, table, repeats, tally, 2);
    cardFleet(site, table, repeats, tally, 4);
    adbFleet(site, table, repeats, tally);
    ResultRow requests;
    requests.what = QStringLiteral("Server requests per image, Update All of both fleets");
    requests.updater = QString::number(tally.most);
    requests.reference = QStringLiteral("the most any image had in one run; 5 images, 8, 16 and 3 cameras");
    requests.figure = requests.updater;
    requests.target = QStringLiteral("1");
    requests.met = tally.most == 1;
    table.add(requests);
}
