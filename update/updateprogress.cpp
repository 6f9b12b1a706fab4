#include "update/updateprogress.h"

#include <QLocale>
#include <QProgressDialog>

namespace {
constexpr int showAfterMs = 500;
constexpr int refreshEveryMs = 100;
constexpr int barSteps = 1000;

QString phaseText(UpdatePhase phase)
{
    switch (phase) {
    case UpdatePhase::Downloading:
        return UpdateProgress::tr("Downloading the firmware");
    case UpdatePhase::Verifying:
        return UpdateProgress::tr("Verifying the firmware");
    case UpdatePhase::Writing:
        return UpdateProgress::tr("Writing the firmware");
    case UpdatePhase::VerifyingCard:
        return UpdateProgress::tr("Verifying the card");
    case UpdatePhase::Pushing:
        return UpdateProgress::tr("Pushing the firmware to the camera");
    }
    return QString();
}

QString amountText(qint64 done, qint64 total)
{
    const QLocale locale;
    if (total < 0)
        return locale.formattedDataSize(done);
    return UpdateProgress::tr("%1 of %2").arg(locale.formattedDataSize(done), locale.formattedDataSize(total));
}
}

UpdateProgress::UpdateProgress(QWidget *window) : window(window)
{
    showDelay.setSingleShot(true);
    showDelay.setInterval(showAfterMs);
    connect(&showDelay, &QTimer::timeout, this, &UpdateProgress::showDialog);
    refreshTimer.setInterval(refreshEveryMs);
    connect(&refreshTimer, &QTimer::timeout, this, &UpdateProgress::refreshDialog);
}

UpdateProgress::~UpdateProgress()
{
    delete dialog;
}

void UpdateProgress::report(UpdatePhase newPhase, qint64 newDone, qint64 newTotal)
{
    // Each phase gets its own half second before the dialog is worth showing.
    if (!dialog && (!started || newPhase != phase))
        showDelay.start();
    started = true;
    phase = newPhase;
    done = newDone;
    total = newTotal;
}

PhaseProgress UpdateProgress::reporterForWorkers()
{
    UpdateProgress *receiver = this;
    return [receiver](UpdatePhase phase, qint64 done, qint64 total) {
        // Posting is safe from any thread, and Qt discards what is still queued for an
        // object when it goes, so the pointer is never followed after that.
        QMetaObject::invokeMethod(
            receiver, [receiver, phase, done, total] { receiver->report(phase, done, total); }, Qt::QueuedConnection);
    };
}

void UpdateProgress::showDialog()
{
    if (dialog || !window)
        return;
    dialog = new QProgressDialog(window);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(tr("Updating"));
    // An update cannot be stopped half way without leaving the camera worse off.
    dialog->setCancelButton(nullptr);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    dialog->setRange(0, barSteps);
    refreshDialog();
    dialog->show();
    refreshTimer.start();
}

void UpdateProgress::refreshDialog()
{
    if (!dialog)
        return;
    dialog->setLabelText(phaseText(phase) + QLatin1Char('\n') + amountText(done, total));
    if (total > 0) {
        dialog->setMaximum(barSteps);
        dialog->setValue(int(qBound(qint64(0), done * barSteps / total, qint64(barSteps))));
    } else {
        // A busy bar while the size is unknown.
        dialog->setMaximum(0);
        dialog->setValue(0);
    }
}
