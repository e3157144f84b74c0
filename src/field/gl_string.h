// A line of text as a texture, for the view's information overlay: text in a
// rounded box with a border, rebuilt only when the text changes.
#pragma once

#include "base/my_image.h"

#include <QColor>
#include <QFont>
#include <string>

class GLString {
public:
    GLString(const QFont& font, QColor text, QColor box, QColor border)
        : font_(font), textColor_(text), boxColor_(box), borderColor_(border) {}

    void setString(const std::string& s);
    const std::string& string() const { return string_; }
    int width() const { return tex_.W; }
    int height() const { return tex_.H; }
    // Rebuilds the texture if needed (GL context current), then draws it with
    // its top-left at (x, y) in view pixels.
    void drawAtPoint(int x, int y);
    // Rebuilds the texture when the text changed since (GL context current),
    // so that width() and height() are the text's.
    void updateTexture();

private:
    QFont font_;
    QColor textColor_, boxColor_, borderColor_;  // alpha 0: not drawn
    std::string string_;
    OMyImage tex_;
    bool requiresUpdate_ = true;
};
