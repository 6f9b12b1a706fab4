#pragma once

// What the window tests share: the list as shown, and the technician's hands on it.

#include "app/mainwindow.h"
#include "testkit.h"

#include <QListWidget>

inline QListWidget *deviceView(const QWidget &w) { return w.findChild<QListWidget *>("lw_DeviceView"); }

inline QStringList rows(const QWidget &w)
{
    QStringList texts;
    for (int row = 0; row < deviceView(w)->count(); ++row)
        texts << deviceView(w)->item(row)->text();
    return texts;
}

// The second line of each row: where the camera is and how it stands.
inline QStringList rowStates(const QWidget &w)
{
    QStringList texts;
    for (int row = 0; row < deviceView(w)->count(); ++row)
        texts << deviceView(w)->item(row)->data(Qt::UserRole + 2).toString();
    return texts;
}

// A double-click on the row, as the technician's mouse makes it: a click, then the
// second press that the system reports as a double-click.
inline void doubleClickRow(QWidget &w, int row)
{
    QListWidget *view = deviceView(w);
    const QPoint centre = view->visualItemRect(view->item(row)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}
