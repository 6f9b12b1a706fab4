#include "app/itemcontextmenu.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>

ItemContextMenu::ItemContextMenu(QAbstractItemView *view) : QObject(view), view(view), menu(new QMenu(view))
{
    view->setContextMenuPolicy(Qt::PreventContextMenu);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto *shortcut = new QShortcut(keys, view);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, &ItemContextMenu::popUpAtCurrentRow);
    }
}

bool ItemContextMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ContextMenu)
        return QObject::eventFilter(watched, event);
    // Some platforms turn the Menu key into a context menu event of their own besides
    // the key itself (at the pointer, on X11): the key's shortcut has opened the menu.
    const auto *asked = static_cast<QContextMenuEvent *>(event);
    if (asked->reason() != QContextMenuEvent::Keyboard)
        popUp(asked->globalPos());
    return true;
}

void ItemContextMenu::popUp(const QPoint &globalPosition)
{
    menu->clear();
    menu->addActions(view->actions());
    menu->popup(globalPosition);
}

void ItemContextMenu::popUpAtCurrentRow()
{
    const QRect row = view->visualRect(view->currentIndex());
    const QPoint inView = row.isValid() ? row.center() : QPoint(0, 0);
    popUp(view->viewport()->mapToGlobal(inView));
}
