#include "station/stationmetrics.h"

#include <QStringList>

#include <utility>
#include <vector>

namespace {
// A label value in the text format: backslash, double quote and line feed escaped.
QString escapedLabelValue(QString value)
{
    return value.replace('\\', QLatin1String("\\\\")).replace('"', QLatin1String("\\\"")).replace('\n', QLatin1String("\\n"));
}

using Labels = std::vector<std::pair<QString, QString>>;

class MetricsText
{
public:
    explicit MetricsText(const StationMetrics &metrics)
        : common{{"station", metrics.station}, {"program", metrics.program}}
    {
    }

    // One metric: its HELP and TYPE lines and its series; nothing without a series.
    void metric(const char *name, const char *type, const char *help, const std::vector<std::pair<Labels, QString>> &series)
    {
        if (series.empty())
            return;
        text += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n").arg(QLatin1String(name), QLatin1String(help), QLatin1String(type));
        for (const auto &[labels, value] : series) {
            QStringList pairs;
            for (const auto &[label, labelValue] : common)
                pairs << label + "=\"" + escapedLabelValue(labelValue) + '"';
            for (const auto &[label, labelValue] : labels)
                pairs << label + "=\"" + escapedLabelValue(labelValue) + '"';
            text += QLatin1String(name) + '{' + pairs.join(',') + "} " + value + '\n';
        }
    }
    void metric(const char *name, const char *type, const char *help, const QString &value)
    {
        metric(name, type, help, {{Labels{}, value}});
    }
    void counts(const char *name, const char *type, const char *help, const UpdateCounts &counts)
    {
        std::vector<std::pair<Labels, QString>> series;
        for (const auto &[key, count] : counts)
            series.push_back({Labels{{"outcome", key.outcome}, {"model", key.model}}, QString::number(count)});
        metric(name, type, help, series);
    }

    QByteArray utf8() const { return text.toUtf8(); }

private:
    const Labels common;
    QString text;
};
}

QByteArray metricsText(const StationMetrics &metrics)
{
    MetricsText text(metrics);
    text.metric("vek_updater_up", "gauge", "1 while the updater runs on the station; its version as a label.",
                {{Labels{{"version", metrics.version}}, QStringLiteral("1")}});
    text.counts("vek_updater_updates_total", "counter",
                "Updates finished since the program started, by outcome (the history's code) and model.",
                metrics.sinceStart);
    text.counts("vek_updater_updates_today", "gauge",
                "Updates the station's history holds for today (local time) from this program, by outcome and model.",
                metrics.today);
    text.metric("vek_updater_cameras_attached", "gauge", "Cameras attached to the station now.", QString::number(metrics.camerasAttached));
    text.metric("vek_updater_cameras_updating", "gauge", "Cameras being updated now.", QString::number(metrics.camerasUpdating));
    text.metric("vek_updater_written_bytes_total", "counter",
                "Bytes of firmware written to cameras since the program started.",
                QString::number(metrics.bytesWrittenSinceStart));
    if (metrics.lastUpdate)
        text.metric("vek_updater_last_update_timestamp_seconds", "gauge",
                    "When the last update from this program finished, in Unix time.",
                    QString::number(double(metrics.lastUpdate->toMSecsSinceEpoch()) / 1000, 'f', 3));
    return text.utf8();
}
