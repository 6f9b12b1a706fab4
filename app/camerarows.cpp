#include "app/camerarows.h"

#include "app/camerarowdelegate.h"
#include "detection/cameranames.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QIcon>
#include <QListWidget>
#include <QPixmap>

namespace {
// The state in words that stay put while an update runs: the percent is the progress
// window's to tell.
QString spokenState(const RowState &state)
{
    return state.mark == RowState::Mark::Updating ? CameraRows::tr("updating") : state.text;
}

// ":/" + model (+ "_" + reported brand) + ".png": cameras sold under several brands
// have one picture per brand.
QString pictureName(const AttachedCamera &camera)
{
    const QString brandSuffix = camera.reportedBrand.isEmpty() ? QString() : "_" + camera.reportedBrand;
    return ":/" + camera.entry.model + brandSuffix + ".png";
}

bool sameRow(const AttachedCamera &a, const AttachedCamera &b)
{
    return a.key() == b.key() && a.installedVersion == b.installedVersion && a.reportedBrand == b.reportedBrand
           && a.imagePath == b.imagePath && a.writable == b.writable && a.slotName == b.slotName;
}
}

CameraRows::CameraRows(QListWidget *view) : view(view)
{
    view->setItemDelegate(new CameraRowDelegate(view));
}

void CameraRows::show(const QVector<AttachedCamera> &cameras, const QVector<bool> &needsUpdate)
{
    QStringList keys;
    for (const AttachedCamera &camera : cameras)
        keys << camera.key();
    // Rows whose camera went leave, with what was said of it (said before or after it
    // went); the others keep their place.
    for (auto it = states.begin(); it != states.end();)
        it = keys.contains(it.key()) ? std::next(it) : states.erase(it);
    for (int row = shown.size() - 1; row >= 0; --row) {
        if (!keys.contains(shown.at(row).camera.key())) {
            shown.removeAt(row);
            delete view->takeItem(row);
        }
    }
    for (int i = 0; i < cameras.size(); ++i) {
        const int row = rowOf(keys.at(i));
        const Shown now{cameras.at(i), needsUpdate.value(i)};
        if (row < 0) {
            shown.append(now);
            view->addItem(new QListWidgetItem);
            draw(shown.size() - 1);
        } else if (!sameRow(shown.at(row).camera, now.camera) || shown.at(row).needsUpdate != now.needsUpdate) {
            shown[row] = now;
            draw(row);
        }
    }
    // In the order given (by slot name, when asked for), the items moved, not made anew.
    for (int i = 0; i < cameras.size(); ++i) {
        const int row = rowOf(keys.at(i));
        if (row == i)
            continue;
        const bool current = view->currentRow() == row;
        QListWidgetItem *item = view->takeItem(row);
        view->insertItem(i, item);
        shown.move(row, i);
        if (current)
            view->setCurrentRow(i);
    }
}

void CameraRows::setState(const QString &cameraKey, const RowState &state)
{
    // Progress comes many times a second; most of it leaves the row's text as it was.
    const auto known = states.constFind(cameraKey);
    if (known != states.cend() && *known == state)
        return;
    states.insert(cameraKey, state);
    const int row = rowOf(cameraKey);
    if (row >= 0)
        drawState(row);
}

std::optional<AttachedCamera> CameraRows::cameraAt(int row) const
{
    if (row < 0 || row >= shown.size())
        return std::nullopt;
    return shown.at(row).camera;
}

int CameraRows::rowOf(const QString &cameraKey) const
{
    for (int row = 0; row < shown.size(); ++row) {
        if (shown.at(row).camera.key() == cameraKey)
            return row;
    }
    return -1;
}

RowState CameraRows::stateOf(const Shown &entry) const
{
    const AttachedCamera &camera = entry.camera;
    if (states.contains(camera.key()))
        return states.value(camera.key());
    if (!camera.writable)
        return {RowState::Mark::Locked, tr("write-protected \u2014 slide the card's lock switch")};
    if (entry.needsUpdate)
        return {RowState::Mark::NeedsUpdate, tr("needs %1").arg(camera.entry.version)};
    return {RowState::Mark::UpToDate, tr("up to date")};
}

void CameraRows::draw(int row)
{
    const AttachedCamera &camera = shown.at(row).camera;
    QListWidgetItem *item = view->item(row);
    // A brand without a picture in the bundle gives no icon: a row without one. An
    // icon made from the name, not from a pixmap, also takes the "@2x" file.
    const QString picture = pictureName(camera);
    item->setIcon(QPixmap(picture).isNull() ? QIcon() : QIcon(picture));
    item->setText(cameraRowText(camera));
    drawState(row);
}

void CameraRows::drawState(int row)
{
    const Shown &entry = shown.at(row);
    const AttachedCamera &camera = entry.camera;
    QListWidgetItem *item = view->item(row);
    const RowState state = stateOf(entry);
    item->setData(CameraRowDelegate::placeRole, cameraPlace(camera));
    item->setData(CameraRowDelegate::stateRole, state.text);
    item->setData(CameraRowDelegate::markRole, int(state.mark));
    // The whole of what the row says, for a row too narrow to show it.
    const QString brand = camera.reportedBrand.isEmpty() ? tr("none") : camera.reportedBrand;
    const QString where = camera.route == CameraRoute::Adb ? tr("USB debugging, serial %1").arg(camera.location)
                                                           : cameraPlace(camera);
    item->setToolTip(tr("%1\nCatalogue version: %2\nBrand reported: %3\nFound on: %4")
                         .arg(state.text, camera.entry.version, brand, where));
    item->setData(Qt::AccessibleDescriptionRole, item->toolTip());
    const QString model = camera.reportedBrand.isEmpty() ? camera.entry.model
                                                         : camera.entry.model + ' ' + camera.reportedBrand;
    const QString place = camera.slotName.isEmpty() ? cameraPlace(camera) : tr("slot %1").arg(camera.slotName);
    tellAssistiveTechnology(row, tr("%1, %2, %3, %4").arg(model, camera.installedVersion, place, spokenState(state)));
}

void CameraRows::tellAssistiveTechnology(int row, const QString &spoken)
{
    QListWidgetItem *item = view->item(row);
    if (item->data(Qt::AccessibleTextRole).toString() == spoken)
        return;
    const bool wasSpoken = item->data(Qt::AccessibleTextRole).isValid();
    item->setData(Qt::AccessibleTextRole, spoken);
    // The row is the list's child at its row: a screen reader that has it in focus
    // says its new name.
    if (wasSpoken) {
        QAccessibleEvent changed(view, QAccessible::NameChanged);
        changed.setChild(row);
        QAccessible::updateAccessibility(&changed);
    }
}
