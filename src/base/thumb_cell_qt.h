// One cell of a thumbnail list (the open dialog's and the download dialog's):
// the selection's highlight, the picture or its empty frame, an optional mark
// at the picture's top left, and the name under it.
#pragma once

#include "base/helpers.h"

#include <QImage>
#include <QRect>
#include <QString>

class QFontMetrics;
class QPainter;
class QPalette;

inline QRect ToQRect(const TMyRect& r) { return QRect(r.L, r.T, r.W, r.H); }

struct TThumbCell {
    TMyRect cell, thumb, label;
    const QImage* image = nullptr;  // null or a null image: the frame alone
    const QImage* mark = nullptr;   // drawn over the picture's top left when given
    QString name;
    bool selected = false;
};

// Paints with p's font (fm its metrics); the name is elided to the label's width.
void PaintThumbCell(QPainter& p, const QPalette& pal, const QFontMetrics& fm, const TThumbCell& c);
