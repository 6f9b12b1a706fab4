#pragma once

#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

// Lets the window's fixed form be enlarged: the device list grows with the window,
// the button and the version label keep their distance from the right edge (the label
// from the bottom too), and the banner stays centred. Below the form's own size the
// window does not go, and at that size everything is where the form puts it.
class FormGrowth : public QObject
{
public:
    explicit FormGrowth(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *central;
    QSize formSize;
    QWidget *banner, *list, *button, *label;
    QRect bannerAt, listAt, buttonAt, labelAt;
};
