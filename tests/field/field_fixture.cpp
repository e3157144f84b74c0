#include "field_fixture.h"

#include "cutting/cutting.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "support/dialog_wait.h"
#include "support/test_support.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

void BuildFieldGrid(const TGridSpec& s)
{
    BuildGridJigsaw(s);
    miJigs = MyImageCreate(JigP.ImageW, JigP.ImageH);
    std::fill(miJigs->Bitmap.begin(), miJigs->Bitmap.end(), uint8_t(200));
}

void UseRealCut(int w, int h, int level)
{
    TJigParams p;
    p.ImageW = w;
    p.ImageH = h;
    p.BorderStyle = 1;
    p.Rotate = true;
    FillMaskParams(w, h, 0, 1);
    SetJigParamsFromLevel(p, w, h, level);
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    OMyImagePtr masks;
    SRand(12);
    ASSERT_EQ(CreateMasksForVoronoiStyle(p, jigs, masks), TCutStatus::Done);
    JigP = p;
    Jigs = jigs;
    miMasks = std::move(masks);
}

void MakeField(const TGridSpec& spec)
{
    FieldP.sResourceDir = SourcePath("resources");
    iMainViewW = iMaxMainViewW = 800;
    iMainViewH = iMaxMainViewH = 600;
    iMaxMainViewScrollW = 800;
    iMaxMainViewScrollH = 600;
    ViewWins_Create();
    GlassP.init(FieldP.sResourceDir);
    WeightP.init(FieldP.sResourceDir);
    DoFieldResize();
    ChangeSide(0);
    Field_InstallHost();
    BuildFieldGrid(spec);
    FileNames.bOpen = true;
    UpdateWindowsSize(JigP.ImageW, JigP.ImageH);
}

void FieldRecorder::RequestRedraw(int mode)
{
    RecordingPlatform::RequestRedraw(mode);
    RedrawP = uint8_t(mode);
}

FieldHarness::FieldHarness(int w, int h)
{
    SetPlatform(&rec_);
    view_ = std::make_unique<MCMainView>(SourcePath("resources"));
    view_->setMinimumSize(QSize(w, h));
    view_->setMaximumSize(QSize(w, h));
    view_->resize(w, h);
    view_->show();
    if (!QTest::qWaitForWindowExposed(view_.get()))
        std::abort();
    WaitUntil([] { return FieldP.bInitDone; });
}

FieldHarness::~FieldHarness()
{
    view_.reset();
    SetPlatform(nullptr);
    FileNames.bOpen = false;
}

void FieldHarness::Open(const TGridSpec& spec, bool fitView)
{
    view_->makeCurrent();
    if (fitView) {
        iMaxMainViewW = iMainViewW;
        iMaxMainViewH = iMainViewH;
    }
    BuildFieldGrid(spec);
    FileNames.bOpen = true;
    iCurJig = -1;
    DragJigP = TDragJig{};
    bGameSolved = false;
    iMaxMainViewScrollW = std::max(iMaxMainViewW, JigP.ImageW);
    iMaxMainViewScrollH = std::max(iMaxMainViewH, JigP.ImageH);
    Field_GameOpened();
    Frame();
}

QImage FieldHarness::Frame()
{
    if (RedrawP == kRedrawNone)
        RedrawP = kRedrawOverlay;
    QImage img = view_->grabFrame();
    // Events find no context current, as in the game between frames.
    view_->doneCurrent();
    return img.convertToFormat(QImage::Format_RGB32);
}

void FieldHarness::Wait(int ms) { QTest::qWait(ms); }

void FieldHarness::Mouse(QEvent::Type type, QPoint p, Qt::MouseButton b, Qt::MouseButtons held,
                         Qt::KeyboardModifiers m)
{
    QMouseEvent e(type, QPointF(p), view_->mapToGlobal(QPointF(p)), b, held, m);
    QApplication::sendEvent(view_.get(), &e);
}

void FieldHarness::Press(QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers m)
{
    Mouse(QEvent::MouseButtonPress, p, b, b, m);
}

void FieldHarness::Move(QPoint p, Qt::MouseButtons held, Qt::KeyboardModifiers m)
{
    Mouse(QEvent::MouseMove, p, Qt::NoButton, held, m);
}

void FieldHarness::Release(QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers m)
{
    Mouse(QEvent::MouseButtonRelease, p, b, Qt::NoButton, m);
}

void FieldHarness::Click(QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers m)
{
    Press(p, b, m);
    Release(p, b, m);
}

void FieldHarness::Drag(QPoint from, QPoint to, int steps, Qt::MouseButton b, Qt::KeyboardModifiers m)
{
    Press(from, b, m);
    for (int i = 1; i <= steps; ++i)
        Move(from + (to - from) * i / steps, b, m);
    Release(to, b, m);
}

void FieldHarness::Wheel(QPoint p, int deltaY, Qt::KeyboardModifiers m)
{
    // A plain wheel, whatever modifiers are held (the window system leaves Shift to the program).
    QWheelEvent e(QPointF(p), view_->mapToGlobal(QPointF(p)), QPoint(), QPoint(0, deltaY), Qt::NoButton, m,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(view_.get(), &e);
}

void FieldHarness::Key(int key, Qt::KeyboardModifiers m) { QTest::keyClick(view_.get(), Qt::Key(key), m); }

QPoint FieldHarness::ViewPoint(int win, int x, int y)
{
    const OMyWin* w = GetViewWin(win);
    return QPoint(w->mrClient.L - w->iScrollL + x, w->mrClient.T - w->iScrollT + y);
}

QPoint FieldHarness::PieceCentre(int j)
{
    const TPoint p = OpaquePoint(j);
    return ViewPoint(JigAt(j).Win, p.x, p.y);
}

uint32_t Rgb(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
