#include "field/gl_string.h"

#include "base/my_image_qt.h"
#include "field/field_gl.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

void GLString::setString(const std::string& s)
{
    if (s == string_)
        return;
    string_ = s;
    requiresUpdate_ = true;
}

void GLString::updateTexture()
{
    if (!requiresUpdate_)
        return;
    requiresUpdate_ = false;
    tex_ = OMyImage{};
    if (string_.empty())
        return;
    const QString text = QString::fromStdString(string_);
    const QFontMetrics fm(font_);
    const int mx = 4, my = 2;
    const int w = fm.horizontalAdvance(text) + 2 * mx, h = fm.height() + 2 * my;
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF box(0.5, 0.5, w - 1, h - 1);
        p.setPen(borderColor_.alpha() ? QPen(borderColor_, 1) : QPen(Qt::NoPen));
        p.setBrush(boxColor_.alpha() ? QBrush(boxColor_) : QBrush(Qt::NoBrush));
        p.drawRoundedRect(box, 4, 4);
        p.setFont(font_);
        p.setPen(textColor_);
        p.drawText(QRect(mx, my, w - 2 * mx, h - 2 * my), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    OMyImagePtr mi = MyImageFromQImage(img.convertToFormat(QImage::Format_RGBA8888), false);
    if (!mi)
        return;
    tex_ = std::move(*mi);
    MyImageCreateTexture(tex_, false, TexFilter::Nearest);
}

void GLString::drawAtPoint(int x, int y)
{
    updateTexture();
    if (tex_.Texture != 0)
        MyImageDrawTexture(tex_, x, y, tex_.W, tex_.H, 0, 0, tex_.W, tex_.H);
}
