#include "app/camerarowdelegate.h"

#include <QApplication>
#include <QPainter>

namespace {
constexpr int textMargin = 6;
constexpr qreal detailScale = 0.55;
const QColor failedColour(0xa0, 0x10, 0x10);
}

QFont CameraRowDelegate::detailFont(const QFont &rowFont)
{
    QFont font = rowFont;
    font.setPointSizeF(rowFont.pointSizeF() * detailScale);
    return font;
}

void CameraRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString detail = index.data(detailRole).toString();
    if (detail.isEmpty())
        return QStyledItemDelegate::paint(painter, option, index);
    // The style draws the background, the selection and the picture; the two lines of
    // text go right of the picture, as the row's one line would.
    const QString text = item.text;
    item.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    const QRect picture = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &item, widget);
    QRect textArea = item.rect;
    textArea.setLeft(picture.right() + textMargin);
    textArea.setRight(textArea.right() - textMargin);

    const QFont small = detailFont(item.font);
    const QFontMetrics bigMetrics(item.font), smallMetrics(small);
    const int both = bigMetrics.height() + smallMetrics.height();
    const QRect top(textArea.left(), textArea.center().y() - both / 2, textArea.width(), bigMetrics.height());
    const QRect bottom(textArea.left(), top.bottom() + 1, textArea.width(), smallMetrics.height());
    const bool selected = item.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    const QColor ink = item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);

    painter->save();
    painter->setPen(ink);
    painter->setFont(item.font);
    painter->drawText(top, Qt::AlignLeft | Qt::AlignVCenter, bigMetrics.elidedText(text, Qt::ElideRight, top.width()));
    painter->setFont(small);
    painter->setPen(selected || !index.data(failedRole).toBool() ? ink : failedColour);
    painter->drawText(bottom, Qt::AlignLeft | Qt::AlignVCenter,
                      smallMetrics.elidedText(detail, Qt::ElideRight, bottom.width()));
    painter->restore();
}

QSize CameraRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const int both = QFontMetrics(item.font).height() + QFontMetrics(detailFont(item.font)).height() + 2 * textMargin;
    size.setHeight(qMax(size.height(), both));
    return size;
}
