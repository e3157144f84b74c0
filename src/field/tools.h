// The three tools that live on the play field beside the windows: the
// magnifying glass (a movable, resizable lens over the field, 2x or 3x,
// through which pieces can be handled), the star (a short sparkle where
// pieces joined) and the weight (carried with the mouse and dropped on a
// group, which then stays at the bottom of the draw order).
#pragma once

#include "base/my_image.h"
#include "field/field_gl.h"
#include "field/field_win.h"

#include <cstdint>
#include <memory>
#include <string>

// ---- Glass (per run) ------------------------------------------------------------------
constexpr int kLensS = 480;  // side of the lens buffer and mask

class OGlassP {
public:
    RENDER_BUF rb;              // the lens picture, kLensS square
    int iZoom = 2;              // magnification, 2 or 3
    OMyImage miSkin;            // the four hands and the buttons (pixels kept for hit tests)
    OMyImage miCircle;          // the lens mask
    double dAxisX = 0, dAxisY = 0;  // half axes of the elliptic lens
    std::unique_ptr<OMyWin> win;    // the glass window (type 3)

    // Window, mask and skin; textures and the buffer when GL is ready.
    void init(const std::string& resourceDir);
    // Draws frame and lens onto the view (after the screen buffer was copied there).
    void draw(int viewW, int viewH);
    bool makeLens();  // the lens buffer and mask, made on first use
    // True when (x, y) lies inside the lens; bConvert then replaces it by the
    // field point shown there.
    bool IfMouseUnderGlass(int& x, int& y, bool bConvert) const;
    // Magnification 2 or 3 with the matching zoom button shown.
    void setZoom(int zoom);
    // Axes from the client (after a resize).
    void updateAxes();
};
extern OGlassP GlassP;

// The lens mask: transparent outside radius 241, a two-tone rim, white inside.
OMyImage MakeLensMask();

// ---- Star (per run) ---------------------------------------------------------------------
constexpr int kStarS = 23;        // side of one frame
constexpr int kStarStep = 24;     // distance between frames in the strip
constexpr int kStarIdle = -10000;

class OStarP {
public:
    uint8_t bScr = 0;              // window the star belongs to
    int iPhase = kStarIdle;        // frame 0..5, kStarIdle when idle
    TPoint pDest;                  // top-left, view pixels
    OMyImage miStar;               // the strip of frames, with texture
    double tNextRedraw = 0;        // GetNow() of the next step

    void init(const std::string& resourceDir);
    void setAt(TPoint p, int scr);
    // Every timer tick: asks for a frame when the next step is due.
    void update();
    // Every frame, on the view: the current phase, clipped to its window.
    void draw();
    bool running() const { return iPhase != kStarIdle; }
};
extern OStarP StarP;

// ---- Weight (per run; the weighted piece iWeightJig is the model's) ---------------------------
class OWeightP {
public:
    bool bVisible = false;         // being carried, drawn at the mouse
    uint8_t bScr = 0;              // window it is over
    int iPointX = 0, iPointY = 0;  // mouse point it hangs from
    int L = 0, T = 0, W = 0, H = 0;  // where it is drawn; W, H the picture's size
    OMyImage miWeight;             // with texture

    void init(const std::string& resourceDir);
    void draw();  // while carried, at (L, T)
    void dragTo(TPoint p);
    void moveTo(TPoint p, OMyWin* target);
    // Puts it on the group at p: the field point under the pointer, seen
    // through the lens when over it (not where the weight hangs on screen).
    void drop(TPoint p);
    void updateButton();
};
extern OWeightP WeightP;

// A picture of the resource folder with alpha, or a drawn stand-in (with a
// log line) when it cannot be read.
OMyImage LoadToolPicture(const std::string& resourceDir, const std::string& name, int standInW, int standInH);

void FieldTools_Reset();
