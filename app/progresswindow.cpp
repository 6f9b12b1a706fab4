#include "app/progresswindow.h"

#include "detection/cameranames.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>

namespace {
constexpr int refreshEveryMs = 250;
constexpr int barSteps = 1000;
// Ten cameras fit at 100 %; more, or a larger scale, scroll.
constexpr qreal tallestShareOfScreen = 0.6;
constexpr int keptResults = 20;

QString sizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}
}

ProgressWindow::ProgressWindow(QWidget *window, int giveUpMs) : QDialog(window), giveUpMs(giveUpMs)
{
    setWindowTitle(tr("Updating camera firmware"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto *cameras = new QWidget;
    grid = new QGridLayout(cameras);
    grid->setColumnStretch(0, 1);
    auto *scroll = new QScrollArea;
    scroll->setWidget(cameras);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAccessibleName(tr("Updates under way"));
    summary = new QLabel;
    stopButton = new QPushButton(tr("Stop"));
    stopButton->setAutoDefault(false);
    stopButton->setFocus();
    stopButton->setAccessibleDescription(tr("Stops every update under way; each camera keeps the firmware it had"));
    connect(stopButton, &QPushButton::clicked, this, [this] {
        stopButton->setEnabled(false);
        stopButton->setText(tr("Stopping\u2026"));
        emit stopRequested();
    });
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(summary, 1);
    bottom->addWidget(stopButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addLayout(bottom);
    auto *back = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(back, &QShortcut::activated, this, [this] {
        if (parentWidget())
            parentWidget()->activateWindow();
    });
    refreshTimer.setInterval(refreshEveryMs);
    connect(&refreshTimer, &QTimer::timeout, this, &ProgressWindow::refresh);
    refreshTimer.start();
    clock.start();
}

void ProgressWindow::addCamera(int id, const AttachedCamera &camera)
{
    const int row = 2 * lines.size();
    const QString named = cameraTitle(camera) + QString::fromUtf8(" \u00b7 ") + cameraPlace(camera);
    Line line;
    auto *name = line.name = new QLabel(named);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    line.step = new QLabel;
    line.bar = new QProgressBar;
    line.bar->setRange(0, barSteps);
    line.bar->setTextVisible(false);
    line.bar->setAccessibleName(tr("Progress of %1").arg(named));
    grid->addWidget(name, row, 0);
    grid->addWidget(line.bar, row, 1);
    grid->addWidget(line.step, row + 1, 0, 1, 2);
    // Added to a window that may be showing already: shown by hand.
    for (QWidget *widget : {static_cast<QWidget *>(name), static_cast<QWidget *>(line.step), static_cast<QWidget *>(line.bar)})
        widget->show();
    lines.insert(id, line);
    refresh();
    // As tall as the lines need, up to a share of the screen; the rest scrolls.
    grid->activate();
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const int tallest = int((screen ? screen->availableGeometry().height() : 768) * tallestShareOfScreen);
    const QSize lines = grid->sizeHint();
    const QMargins margins = layout()->contentsMargins();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int chrome = margins.top() + margins.bottom() + layout()->spacing() + stopButton->sizeHint().height();
    resize(qMax(width(), lines.width() + margins.left() + margins.right() + scrollBar),
           qMin(tallest, lines.height() + chrome));
}

void ProgressWindow::takeProgress(int id, const UpdateProgress &progress)
{
    auto line = lines.find(id);
    if (line == lines.end())
        return;
    if (!line->started || progress.phase != line->progress.phase) {
        line->phaseStartMs = clock.elapsed();
        line->rate.reset();
    }
    line->started = true;
    line->progress = progress;
}

void ProgressWindow::takeResult(int id, const UpdateMessage &message, bool succeeded)
{
    auto line = lines.find(id);
    if (line == lines.end())
        return;
    line->finished = true;
    line->succeeded = succeeded;
    line->step->setText(succeeded ? tr("Done: %1").arg(message.brief) : tr("Failed: %1").arg(message.brief));
    line->bar->setAccessibleDescription(line->step->text());
    line->bar->setRange(0, barSteps);
    line->bar->setValue(succeeded ? barSteps : 0);
    dropOldestResults();
    refresh();
}

void ProgressWindow::Tally::add(const Line &line)
{
    ++cameras;
    finished += line.finished;
    failed += line.finished && !line.succeeded;
    done += line.progress.done;
    total += qMax(line.progress.total, line.progress.done);
}

void ProgressWindow::dropOldestResults()
{
    int results = 0;
    for (const Line &line : qAsConst(lines))
        results += line.finished;
    if (results <= keptResults)
        return;
    for (auto line = lines.begin(); line != lines.end() && results > keptResults;) {
        if (!line->finished) {
            ++line;
            continue;
        }
        dropped.add(*line);
        delete line->name, delete line->step, delete line->bar;
        line = lines.erase(line);
        --results;
    }
    // The lines that stay close up, in their order.
    int row = 0;
    for (const Line &line : qAsConst(lines)) {
        for (QWidget *widget : {static_cast<QWidget *>(line.name), static_cast<QWidget *>(line.step), static_cast<QWidget *>(line.bar)})
            grid->removeWidget(widget);
        grid->addWidget(line.name, row, 0);
        grid->addWidget(line.bar, row, 1);
        grid->addWidget(line.step, row + 1, 0, 1, 2);
        row += 2;
    }
}

void ProgressWindow::goToStop()
{
    raise();
    activateWindow();
    stopButton->setFocus(Qt::ShortcutFocusReason);
}

void ProgressWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel))
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void ProgressWindow::closeEvent(QCloseEvent *event)
{
    // Hiding it would leave the updates running out of sight: the close stops them,
    // and the window goes once they have ended.
    event->ignore();
    if (stopButton->isEnabled())
        stopButton->click();
}

void ProgressWindow::refresh()
{
    const qint64 now = clock.elapsed();
    Tally all = dropped;
    for (Line &line : lines) {
        all.add(line);
        if (line.finished)
            continue;
        if (line.started)
            line.rate.sample(now, line.progress.done);
        const QString step = progressStepText(line.progress, line.rate.bytesPerSecond(), now - line.phaseStartMs, giveUpMs);
        line.step->setText(QString(step).replace('\n', QString::fromUtf8(" \u00b7 ")));
        // The step without its figures, which change four times a second.
        const QString phase = step.section('\n', 0, 0);
        if (line.bar->accessibleDescription() != phase)
            line.bar->setAccessibleDescription(phase);
        if (line.progress.total > 0) {
            line.bar->setRange(0, barSteps);
            line.bar->setValue(int(qBound(qint64(0), line.progress.done * barSteps / line.progress.total, qint64(barSteps))));
        } else {
            line.bar->setRange(0, 0); // busy, while the size is unknown and through the push
        }
    }
    QString text = tr("%1 of %n camera(s) done", nullptr, all.cameras).arg(all.finished);
    if (all.failed > 0)
        text += tr(", %n failed", nullptr, all.failed);
    if (all.total > 0)
        text += QString::fromUtf8(" \u00b7 ") + tr("%1 of %2").arg(sizeText(all.done), sizeText(all.total));
    summary->setText(text);
}
