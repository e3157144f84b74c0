// A play field on screen for the GUI tests: a main view under Xvfb with a
// small hand-made jigsaw whose pieces have plain, distinct colours, and mouse
// events sent straight to the view.
#pragma once

#include "field/field.h"
#include "field/main_view.h"
#include "platform/platform.h"
#include "support/grid_jigsaw.h"

#include <QEvent>
#include <QImage>
#include <QPoint>

#include <memory>

// The grid jigsaw the GUI tests open: 3 by 2, small margins, near the top left.
struct TGridSpec : TGridJigsaw {
    TGridSpec() : TGridJigsaw{.cols = 3, .rows = 2, .ofs = 8, .originX = 60, .originY = 60} {}
};

// The grid jigsaw as the game's picture too: fills what BuildGridJigsaw does
// and a plain grey miJigs.
void BuildFieldGrid(const TGridSpec& spec);
// The window list and the tools as start-up makes them, without a view, over
// an 800 x 600 view with the grid jigsaw open.
void MakeField(const TGridSpec& spec = {});
// A real cut of a w x h picture (round style, frame, rotation, `level`,
// seed 12) as the game's pieces and mask: JigP, Jigs and miMasks.
void UseRealCut(int w, int h, int level);

// The recorder of the GUI tests: it also passes redraw requests to the field,
// as the window's platform does.
class FieldRecorder : public RecordingPlatform {
public:
    void RequestRedraw(int mode) override;
};

class FieldHarness {
public:
    explicit FieldHarness(int w = 640, int h = 480);
    ~FieldHarness();
    FieldHarness(const FieldHarness&) = delete;
    FieldHarness& operator=(const FieldHarness&) = delete;

    MCMainView* view() const { return view_.get(); }
    FieldRecorder& Rec() { return rec_; }
    // Builds the grid and opens it as the game on the field. fitView: the
    // sides' content is the view itself (no scroll bars); otherwise the
    // largest view stays the screen's and the sides scroll.
    void Open(const TGridSpec& spec, bool fitView = true);
    // Draws a frame (as the timer would) and returns the view's picture.
    QImage Frame();
    int FramesDrawn() const { return view_->iFramesDrawn; }
    // Lets the event loop run (timer ticks, paints) for ms milliseconds.
    void Wait(int ms);

    // Mouse events carry the keyboard modifiers held, as the window system reports them.
    void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier);
    void Move(QPoint p, Qt::MouseButtons held = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier);
    void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier);
    // Press and release at one point.
    void Click(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier);
    // Press, moves in `steps` steps, release.
    void Drag(QPoint from, QPoint to, int steps = 6, Qt::MouseButton b = Qt::LeftButton,
              Qt::KeyboardModifiers m = Qt::NoModifier);
    void Wheel(QPoint p, int deltaY, Qt::KeyboardModifiers m = Qt::NoModifier);
    void Key(int key, Qt::KeyboardModifiers m = Qt::NoModifier);

    // The view point of content point (x, y) of window win.
    static QPoint ViewPoint(int win, int x, int y);
    // The view point at the middle of piece j's opaque cell.
    static QPoint PieceCentre(int j);

private:
    void Mouse(QEvent::Type type, QPoint p, Qt::MouseButton b, Qt::MouseButtons held, Qt::KeyboardModifiers m);
    FieldRecorder rec_;
    std::unique_ptr<MCMainView> view_;
};

// Colour of a frame pixel as packed 0xRRGGBB.
uint32_t Rgb(const QImage& img, int x, int y);
