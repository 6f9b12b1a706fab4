#pragma once

#include <QObject>

class QAbstractItemView;
class QMenu;
class QPoint;

// A view's actions (QWidget::actions()) as its context menu, for the mouse and the
// keyboard alike: the right button opens it where the pointer is; the Menu key and
// Shift+F10 open it under the current row, where the keyboard's focus is, never where
// a pointer nobody looks at happens to rest.
class ItemContextMenu : public QObject
{
public:
    explicit ItemContextMenu(QAbstractItemView *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void popUp(const QPoint &globalPosition);
    void popUpAtCurrentRow();

    QAbstractItemView *view;
    QMenu *menu;
};
