#include "base/thumb_cell_qt.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QPen>

void PaintThumbCell(QPainter& p, const QPalette& pal, const QFontMetrics& fm, const TThumbCell& c)
{
    const bool hasPic = c.image && !c.image->isNull();
    if (c.selected)
        p.fillRect(ToQRect(c.cell), pal.color(QPalette::Highlight));
    if (!(c.selected && hasPic)) {
        p.setPen(QPen(hasPic ? pal.color(QPalette::Mid) : QColor(Qt::black), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(ToQRect(c.thumb).adjusted(0, 0, -1, -1));
    }
    if (hasPic)
        p.drawImage(ToQRect(c.thumb), *c.image);
    if (c.mark && !c.mark->isNull())
        p.drawImage(QPoint(c.thumb.L, c.thumb.T), *c.mark);
    // Black, but light on the selection's highlight.
    p.setPen(c.selected ? pal.color(QPalette::HighlightedText) : QColor(Qt::black));
    const QRect label = ToQRect(c.label);
    p.drawText(label, Qt::AlignHCenter | Qt::AlignVCenter, fm.elidedText(c.name, Qt::ElideRight, label.width()));
}
