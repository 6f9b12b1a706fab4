#include "app/camerarowdelegate.h"

#include "app/camerarows.h"

#include <QApplication>
#include <QPainter>

namespace {
constexpr int textMargin = 6;
constexpr qreal detailScale = 0.55;

struct MarkLook
{
    QString glyph;
    QColor colour; // an invalid colour: the text's own
};

MarkLook lookOf(RowState::Mark mark)
{
    switch (mark) {
    case RowState::Mark::NeedsUpdate: return {QStringLiteral("\u2191"), QColor(0x80, 0x50, 0x00)};
    case RowState::Mark::UpToDate: return {QStringLiteral("\u2013"), QColor()};
    case RowState::Mark::Updating: return {QStringLiteral("\u27f3"), QColor(0x10, 0x40, 0xa0)};
    case RowState::Mark::Updated: return {QStringLiteral("\u2713"), QColor(0x10, 0x70, 0x20)};
    case RowState::Mark::Failed: return {QStringLiteral("\u2717"), QColor(0xa0, 0x10, 0x10)};
    case RowState::Mark::Stopped: return {QStringLiteral("\u25a0"), QColor(0x80, 0x50, 0x00)};
    case RowState::Mark::Locked: return {QStringLiteral("\u26d4"), QColor(0xa0, 0x10, 0x10)};
    }
    return {};
}
}

QFont CameraRowDelegate::detailFont(const QFont &rowFont)
{
    QFont font = rowFont;
    font.setPointSizeF(rowFont.pointSizeF() * detailScale);
    return font;
}

QString CameraRowDelegate::detailLine(const QModelIndex &index)
{
    const MarkLook look = lookOf(RowState::Mark(index.data(markRole).toInt()));
    return look.glyph + ' ' + index.data(placeRole).toString() + QString::fromUtf8(" \u00b7 ")
           + index.data(stateRole).toString();
}

void CameraRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    if (!index.data(stateRole).isValid())
        return QStyledItemDelegate::paint(painter, option, index);
    // The style draws the background, the selection, the focus and the picture; the two
    // lines of text go right of the picture, as the row's one line would.
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
    const MarkLook look = lookOf(RowState::Mark(index.data(markRole).toInt()));

    painter->save();
    painter->setPen(ink);
    painter->setFont(item.font);
    painter->drawText(top, Qt::AlignLeft | Qt::AlignVCenter, bigMetrics.elidedText(text, Qt::ElideRight, top.width()));
    painter->setFont(small);
    painter->setPen(selected || !look.colour.isValid() ? ink : look.colour);
    painter->drawText(bottom, Qt::AlignLeft | Qt::AlignVCenter,
                      smallMetrics.elidedText(detailLine(index), Qt::ElideRight, bottom.width()));
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
