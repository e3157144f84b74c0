// The bridge between OMyImage and QImage, for the Qt-side code (decoding,
// encoding, the window's drawing of platform pictures).
#pragma once

#include "base/my_image.h"

#include <QImage>

// A copy of a QImage: keepAlphaLayout gives 3 bytes a pixel for an opaque
// picture and 4 for one with alpha; otherwise always 4. Null for a null image
// or one beyond the size limits.
OMyImagePtr MyImageFromQImage(const QImage& src, bool keepAlphaLayout);
// A detached QImage copy of the pixels (RGBA8888 or RGB888); null without pixels.
QImage MyImageToQImage(const OMyImage& img);
