// OMyButton: a skinned button drawn inside the play field (window close and
// zoom buttons, scroll arrows and thumbs). Its frames lie side by side in one
// row of a skin image; it is placed relative to its window's rectangle by an
// anchor of indents.
#pragma once

#include "base/my_image.h"
#include "base/helpers.h"

#include <cstdint>
#include <vector>

// One textured piece of a button as drawn: destination and source rectangles.
struct TSkinQuad {
    TMyRect dst, src;
};

class OMyButton {
public:
    // Source frames in the skin: normal, normal highlighted, active, active
    // highlighted, pressed.
    TMyRect mrSrcNormal, mrSrcNormalHigh, mrSrcActive, mrSrcActiveHigh, mrSrcDown;
    bool bVisible = false;        // drawn and hit-tested only when set
    bool bActive = false;         // drawn in the active style (its window is current)
    bool bHigh = false;           // the mouse is over it
    bool bDown = false;           // the mouse is pressed on it
    bool bHorStretch = false;     // stretched along x: caps kept, one middle column stretched
    bool bVerStretch = false;     // stretched along y likewise
    bool bHasActiveState = false; // the skin holds separate active frames
    uint8_t bOverAction = 0;      // the field action code of this button
    bool bSwitched = false;       // drawn highlighted without the mouse
    int32_t iButIndex = 0;        // the owner's index for it
    int32_t BW = 0, BH = 0;       // size, pixels
    TMyRect MR;                   // rectangle in view pixels
    TMyRect mrIndent;             // anchor indents L, T, R, B; kRectUnset = not set

    // flags: 1 has an active state, 2 stretches horizontally, 4 vertically.
    // Frames are w x h, 3 pixels apart, starting at src. Makes the button visible.
    void initCoords(int flags, TPoint src, TSize size);
    // Places MR inside container by the anchor (left/top indent first).
    void updateCoords(const TMyRect& container);
    void setIndentLT(TPoint p);
    void setIndentRT(TPoint p);
    void setIndentLB(TPoint p);
    void setIndentRB(TPoint p);
    // Size, placement, indents and the flags (not the source frames).
    void copyBoundsFrom(const OMyButton& other);
    bool isCoordsIn(TPoint p) const;

    // The frame for the present state; a zero-width frame draws nothing.
    const TMyRect& currentFrame() const;
    // What draw() puts on screen: one quad, or three for a stretched button.
    std::vector<TSkinQuad> drawQuads() const;
    // Draws from skin's texture.
    void draw(const OMyImage& skin) const;
};
