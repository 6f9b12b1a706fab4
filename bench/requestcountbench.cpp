#include "benchmarks.h"

#include "benchsite.h"
#include "resulttable.h"
#include "stationrun.h"

#include <QTest>

namespace {
const QString what = QStringLiteral("Server requests, two cameras of one model updated in turn");
}

// A technician plugs in one camera, updates it, unplugs it and plugs in the next of the
// same model, with one station (one window) all along; the server counts the requests
// for the image.
void benchRequestCount(BenchSite &site, ResultTable &table)
{
    const QString route = site.requestsModel->route;
    const int before = site.requestCount(route);
    BenchStation station(site.source());
    QString why;
    for (int camera = 0; camera < 2 && why.isEmpty(); ++camera) {
        {
            Cards card(site, QStringLiteral("requests-%1").arg(camera + 1));
            if (!card.plug({site.requestsModel}, 0, &why) || !station.findCameras(1, &why))
                break;
            why = station.update(station.cameras()).failure;
        }
        if (why.isEmpty() && !QTest::qWaitFor([&] { return station.cameras().isEmpty(); }, 10000))
            why = QStringLiteral("the pulled card is still listed");
    }
    if (!why.isEmpty()) {
        table.addSkipped(what, "1", why);
        return;
    }
    ResultRow row;
    row.what = what;
    row.updater = QString::number(site.requestCount(route) - before);
    row.reference = QStringLiteral("2 cameras updated");
    row.figure = row.updater;
    row.target = QStringLiteral("1");
    row.met = row.updater == "1";
    table.add(row);
}
