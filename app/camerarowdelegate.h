#pragma once

#include <QStyledItemDelegate>

// Draws a camera's row: its picture and text as a plain row has them, and under the
// text, smaller, where the camera is and how its update stands.
class CameraRowDelegate : public QStyledItemDelegate
{
public:
    // The line under the row's text, and whether it tells of a failure.
    static constexpr int detailRole = Qt::UserRole + 1;
    static constexpr int failedRole = Qt::UserRole + 2;

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    static QFont detailFont(const QFont &rowFont);
};
