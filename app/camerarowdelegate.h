#pragma once

#include <QStyledItemDelegate>

// Draws a camera's row: its picture and text as a plain row has them, and under the
// text, smaller, where the camera is and how its update stands, led by a mark that
// tells the state without colour (a check, a cross, a dash...), coloured as well.
class CameraRowDelegate : public QStyledItemDelegate
{
public:
    static constexpr int placeRole = Qt::UserRole + 1; // where the camera is
    static constexpr int stateRole = Qt::UserRole + 2; // how it stands, in words
    static constexpr int markRole = Qt::UserRole + 3;  // RowState::Mark

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The second line as drawn: mark, place and state.
    static QString detailLine(const QModelIndex &index);

private:
    static QFont detailFont(const QFont &rowFont);
};
