#include "app/formgrowth.h"

#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>

FormGrowth::FormGrowth(QWidget *window)
    : QObject(window),
      central(static_cast<QMainWindow *>(window)->centralWidget()),
      formSize(window->size()),
      banner(central->findChild<QLabel *>("lbl_brandlogo")),
      list(central->findChild<QListWidget *>("lw_DeviceView")),
      button(central->findChild<QPushButton *>("pushButton")),
      label(central->findChild<QLabel *>("label")),
      bannerAt(banner->geometry()),
      listAt(list->geometry()),
      buttonAt(button->geometry()),
      labelAt(label->geometry())
{
    // The form is laid out for the window it fills, with no bars.
    window->setMinimumSize(formSize);
    central->installEventFilter(this);
}

bool FormGrowth::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == central && event->type() == QEvent::Resize) {
        const int wider = qMax(0, central->width() - formSize.width());
        const int taller = qMax(0, central->height() - formSize.height());
        banner->setGeometry(bannerAt.translated(wider / 2, 0));
        list->setGeometry(listAt.adjusted(0, 0, wider, taller));
        button->setGeometry(buttonAt.translated(wider, 0));
        label->setGeometry(labelAt.translated(wider, taller));
    }
    return QObject::eventFilter(watched, event);
}
