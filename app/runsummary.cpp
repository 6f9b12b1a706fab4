#include "app/runsummary.h"

#include "detection/cameranames.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum Column { CameraColumn, PlaceColumn, OutcomeColumn };

QString outcomeText(const RunSummary::Line &line)
{
    const QString mark = line.outcome.succeeded()                 ? QStringLiteral("\u2713 ")
                         : line.outcome.end == UpdateEnd::Stopped ? QStringLiteral("\u25a0 ")
                                                                  : QStringLiteral("\u2717 ");
    if (!line.started && line.outcome.end == UpdateEnd::Stopped)
        return mark + RunSummary::tr("stopped before it started");
    return mark + (line.outcome.succeeded() ? line.message.brief : RunSummary::tr("failed: %1").arg(line.message.brief));
}
}

RunSummary::RunSummary(QWidget *window, const QVector<Line> &lines) : QDialog(window), lines(lines)
{
    setWindowTitle(tr("Update summary"));
    setAttribute(Qt::WA_DeleteOnClose);
    int updated = 0, upToDate = 0, stopped = 0, failed = 0;
    for (const Line &line : lines) {
        updated += line.outcome.end == UpdateEnd::Installed;
        upToDate += line.outcome.end == UpdateEnd::UpToDate;
        stopped += line.outcome.end == UpdateEnd::Stopped;
        failed += !line.outcome.succeeded() && line.outcome.end != UpdateEnd::Stopped;
    }
    QStringList counts{tr("%n updated", nullptr, updated), tr("%n up to date", nullptr, upToDate),
                       tr("%n failed", nullptr, failed)};
    if (stopped > 0)
        counts << tr("%n stopped", nullptr, stopped);
    auto *heading = new QLabel(counts.join(QStringLiteral(", ")));
    table = new QTreeWidget;
    table->setAccessibleName(tr("Cameras of the run"));
    table->setAccessibleDescription(heading->text());
    table->setRootIsDecorated(false);
    table->setHeaderLabels({tr("Camera"), tr("Where"), tr("Outcome")});
    for (const Line &line : lines) {
        auto *item = new QTreeWidgetItem(table, {cameraTitle(line.camera), cameraPlace(line.camera), outcomeText(line)});
        // The box this camera would have had.
        const QString box = line.message.title + '\n' + line.message.text;
        for (int column = CameraColumn; column <= OutcomeColumn; ++column)
            item->setToolTip(column, box);
        item->setData(OutcomeColumn, Qt::AccessibleTextRole, outcomeText(line) + ". " + box);
        if (!line.outcome.succeeded() && line.outcome.end != UpdateEnd::Stopped)
            item->setForeground(OutcomeColumn, QColor(0xa0, 0x10, 0x10));
    }
    table->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->header()->setStretchLastSection(false);
    auto *buttons = new QDialogButtonBox;
    again = buttons->addButton(tr("Update failed again"), QDialogButtonBox::ActionRole);
    again->setEnabled(updated + upToDate < lines.size());
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    close->setDefault(true);
    connect(again, &QPushButton::clicked, this, [this] {
        emit updateAgainRequested(failedCameras());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(table, 1);
    layout->addWidget(buttons);
    // Wide enough for every column, as far as the screen allows.
    int wide = table->frameWidth() * 2 + layout->contentsMargins().left() + layout->contentsMargins().right();
    for (int column = CameraColumn; column <= OutcomeColumn; ++column)
        wide += table->header()->sectionSize(column) + 8;
    resize(qMax(560, wide), 160 + 28 * qMin(int(lines.size()), 12));
}

QVector<AttachedCamera> RunSummary::failedCameras() const
{
    QVector<AttachedCamera> failed;
    for (const Line &line : lines) {
        if (!line.outcome.succeeded())
            failed << line.camera;
    }
    return failed;
}
