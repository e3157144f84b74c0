#include "field/main_view.h"

#include "field/celebration.h"
#include "field/field.h"
#include "model/game_state.h"
#include "platform/platform.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QExposeEvent>
#include <QResizeEvent>
#include <QOpenGLContext>
#include <QScreen>
#include <QSurfaceFormat>
#include <QWheelEvent>

#include <QOpenGLFunctions_2_1>

#include <cmath>
#include <cstdlib>
#include <cstdio>

MCMainView* g_MainView = nullptr;

void MainViewSetDefaultFormat()
{
    // 2.1 compatibility: fixed-function drawing. (A 3.x "compatibility"
    // request yields a core context on Mesa.)
    QSurfaceFormat fmt;
    fmt.setVersion(2, 1);
    fmt.setProfile(QSurfaceFormat::CompatibilityProfile);
    fmt.setDepthBufferSize(0);
    fmt.setSwapInterval(1);
    QSurfaceFormat::setDefaultFormat(fmt);
}

int GetShift(Qt::KeyboardModifiers m)
{
    if (m & Qt::ShiftModifier)
        return 1;
    if (m & Qt::AltModifier)
        return 2;
    if (m & Qt::MetaModifier)
        return 4;
    if (m & Qt::ControlModifier)
        return 8;
    return 0;
}

MCMainView::MCMainView(const std::string& resourceDir, QWindow* parent)
    : QWindow(parent), resourceDir_(resourceDir)
{
    g_MainView = this;
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(QSurfaceFormat::defaultFormat());
    setMinimumSize(QSize(200, 150));
    connect(&animationTimer_, &QTimer::timeout, this, &MCMainView::onAnimationTimer);
    bLogFrames_ = qEnvironmentVariableIsSet("ZIVRA_LOG_FRAMES");
}

MCMainView::~MCMainView()
{
    animationTimer_.stop();
    const bool current = context_ && handle() && context_->makeCurrent(this);
    infoStringTex_.reset();
    fpsStringTex_.reset();
    errStringTex_.reset();
    Field_Release();
    FieldGL_Release();
    if (current)
        context_->doneCurrent();
    if (g_MainView == this)
        g_MainView = nullptr;
}

int MCMainView::deviceW() const { return int(std::lround(width() * devicePixelRatio())); }
int MCMainView::deviceH() const { return int(std::lround(height() * devicePixelRatio())); }

TPoint MCMainView::toDevice(const QPointF& p) const
{
    const double r = devicePixelRatio();
    return MakeTPoint(int(std::floor(p.x() * r)), int(std::floor(p.y() * r)));
}

void MCMainView::makeCurrent()
{
    if (context_ && handle())
        context_->makeCurrent(this);
}

void MCMainView::doneCurrent()
{
    if (context_)
        context_->doneCurrent();
}

// ---- Set-up ---------------------------------------------------------------------------------

// Once, at the first exposure: the context, the field's GL state, the largest
// view, the overlay's texts and the timer.
bool MCMainView::initializeGL()
{
    bGLTried_ = true;
    context_ = new QOpenGLContext(this);
    context_->setFormat(requestedFormat());
    if (!context_->create() || !context_->makeCurrent(this) || !FieldGL_Init(context_, this)) {
        bGLFailed = true;
        emit glFailed(QStringLiteral("The OpenGL context offers no fixed-function drawing or framebuffer objects."));
        return false;
    }
    const double r = devicePixelRatio();
    const QSize largest = largestView();
    // Frames, captions, buttons and the overlay follow the screen's pixel
    // ratio; the pieces stay at picture pixels.
    FieldWins_SetScale(r);
    Field_Init(resourceDir_, largest.width(), largest.height());
    QFont f = QGuiApplication::font();
    f.setPixelSize(UiPx(12));
    const QColor box(128, 128, 128, 128), border(204, 204, 204, 204);
    infoStringTex_ = std::make_unique<GLString>(f, Qt::white, box, border);
    fpsStringTex_ = std::make_unique<GLString>(f, Qt::white, box, border);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(UiPx(9));
    errStringTex_ = std::make_unique<GLString>(mono, Qt::white, QColor(255, 0, 0, 77), QColor(255, 0, 0, 204));
    dFPSStartTime = SecondsSinceStart();
    applyViewSize();
    updateFPSString();
    animationTimer_.setTimerType(Qt::PreciseTimer);
    animationTimer_.start(16);
    return true;
}

// The largest view: the screen's work area less what the main window puts
// around the view (its frame and title bar, menu bar, tool bar), at least
// the view as it is now; device pixels.
QSize MCMainView::largestView() const
{
    const double r = devicePixelRatio();
    int maxW = deviceW(), maxH = deviceH();
    if (QScreen* s = screen(); s && bMaxIsScreen) {
        const QSize avail = s->availableGeometry().size();
        QSize chrome;
        QMargins frame;
        if (const QWindow* top = parent(); top && top != this) {
            chrome = top->size() - size();
            frame = top->frameMargins();
        }
        const int w = avail.width() - chrome.width() - frame.left() - frame.right();
        const int h = avail.height() - chrome.height() - frame.top() - frame.bottom();
        maxW = std::max(maxW, int(std::lround(w * r)));
        maxH = std::max(maxH, int(std::lround(h * r)));
    }
    return {maxW, maxH};
}

void MCMainView::applyViewSize()
{
    const int w = deviceW(), h = deviceH();
    if (w == viewWidth && h == viewHeight)
        return;
    viewWidth = w;
    viewHeight = h;
    iMainViewW = w;
    iMainViewH = h;
    Field_EnsureBuffers(w, h);
    DoFieldResize();
    updateInfoString();
    RedrawP = kRedrawFull;
}

void MCMainView::exposeEvent(QExposeEvent*)
{
    if (isExposed())
        renderNow();
}

void MCMainView::resizeEvent(QResizeEvent*)
{
    // Until a game opens, the window manager may still be placing the window
    // (maximising it, adding its title bar): the sides' content is sized
    // from the largest view when a game opens, so keep it to the final area
    // rather than to a guess made before the window was placed.
    if (FieldP.bInitDone && bMaxIsScreen && !IsGameOpen()) {
        const QSize largest = largestView();
        iMaxMainViewW = largest.width();
        iMaxMainViewH = largest.height();
    }
    if (isExposed())
        renderNow();
}

bool MCMainView::event(QEvent* e)
{
    if (e->type() == QEvent::UpdateRequest) {
        bUpdatePending_ = false;
        renderNow();
        return true;
    }
    return QWindow::event(e);
}

// ---- Frames ------------------------------------------------------------------------------------

void MCMainView::onAnimationTimer()
{
    StarP.update();
    CelebrationP.update(SecondsSinceStart());
    if (RedrawP != kRedrawNone)
        renderNow();
}

void MCMainView::update()
{
    if (!bUpdatePending_) {
        bUpdatePending_ = true;
        requestUpdate();
    }
}

void MCMainView::requestFrame()
{
    if (RedrawP != kRedrawNone)
        update();
}

void MCMainView::renderNow()
{
    if (!isExposed() || bGLFailed)
        return;
    if (!bGLTried_ && !initializeGL())
        return;
    if (!context_->makeCurrent(this))
        return;
    paintGL();
    context_->swapBuffers(this);
}

QImage MCMainView::grabFrame()
{
    if (!isExposed() || bGLFailed || (!bGLTried_ && !initializeGL()) || !context_->makeCurrent(this))
        return {};
    if (!paintGL())
        return {};
    // The back buffer holds the frame until the swap: read it first.
    const std::vector<uint8_t> px = GLReadPixels(0, 0, viewWidth, viewHeight, viewHeight);
    QImage img(px.data(), viewWidth, viewHeight, viewWidth * 4, QImage::Format_RGBA8888_Premultiplied);
    img = img.copy();
    img.setDevicePixelRatio(devicePixelRatio());
    context_->swapBuffers(this);
    return img;
}

bool MCMainView::paintGL()
{
    FieldGL.defaultFbo = context_->defaultFramebufferObject();
    if (!FieldGL_Ready())
        return false;
    if (!FieldP.bInitDone) {
        GLClearTarget();
        return false;
    }
    applyViewSize();
    const double now = SecondsSinceStart();
    if (now - dFPSStartTime >= 1.0) {
        dFPSStartTime = now;
        iFPS = iFPSCounter;
        iFPSCounter = 0;
        updateFPSString();
    } else {
        ++iFPSCounter;
    }
    const int vw = viewWidth, vh = viewHeight;
    const int mode = RedrawP;
    const double t0 = bLogFrames_ ? SecondsSinceStart() : 0;
    if (RedrawP == kRedrawFull)
        DrawToScrBuf(rbScr, kComposeAll);
    else
        ScrBufUpdate();
    BeginViewTarget(vw, vh);
    RenderBufCopyToView(rbScr, vw, vh);
    RedrawP = kRedrawNone;
    StarP.draw();
    CelebrationP.draw(SecondsSinceStart());
    GlassP.draw(vw, vh);
    if (fDrawInfo)
        drawInfo();
    GLBatch_Flush();
    glReportError();
    if (bLogFrames_) {
        FieldGL.gl->glFinish();
        std::fprintf(stderr, "frame %d: %.1f ms at %.3f s\n", mode, (SecondsSinceStart() - t0) * 1000.0, t0);
    }
    if (TimelineP.bOn && !bGameFrameMarked_ && IsGameOpen()) {
        FieldGL.gl->glFinish();
        TimelineMark("first-game-frame");
        bGameFrameMarked_ = true;
    }
    if (!bStillBufAsked_ && IsGameOpen()) {
        // Made once the game is on the screen, before anyone can move a piece.
        bStillBufAsked_ = true;
        QTimer::singleShot(0, this, [] { Field_EnsureStillBuf(); });
    }
    ++iFramesDrawn;
    emit frameDrawn();
    return true;
}

// ---- Overlay -------------------------------------------------------------------------------------

void MCMainView::updateInfoString()
{
    if (infoStringTex_)
        infoStringTex_->setString(StrFormat("(%0.0f x %0.0f, %d, %d)", double(viewWidth), double(viewHeight),
                                            iMouseX, iMouseY));
}

void MCMainView::updateFPSString()
{
    if (fpsStringTex_)
        fpsStringTex_->setString(StrFormat("FPS = %d", iFPS));
}

void MCMainView::drawInfo()
{
    if (!infoStringTex_)
        return;
    if (infoStringTex_->string().empty())
        updateInfoString();
    infoStringTex_->updateTexture();  // its height places it
    const int infoY = viewHeight - infoStringTex_->height() - 10;
    infoStringTex_->drawAtPoint(10, infoY);
    fpsStringTex_->updateTexture();
    fpsStringTex_->drawAtPoint(10, infoY - (fpsStringTex_->height() + 3));
    if (SecondsSinceStart() - GLErrorsP.gErrorTime < gMsgPresistance) {
        if (errSerial_ != GLErrorsP.iErrorSerial) {
            errSerial_ = GLErrorsP.iErrorSerial;
            errStringTex_->setString(GLErrorsP.sLastError);
        }
        errStringTex_->drawAtPoint(10, 10);
    }
}

// ---- Events --------------------------------------------------------------------------------------

void MCMainView::mousePressEvent(QMouseEvent* e)
{
    const TPoint p = toDevice(e->position());
    iMouseX = p.x;
    iMouseY = p.y;
    DoFieldMouseDown(e->button() == Qt::LeftButton ? 0 : 1, GetShift(e->modifiers()), p.x, p.y);
    requestFrame();
}

void MCMainView::mouseReleaseEvent(QMouseEvent* e)
{
    const TPoint p = toDevice(e->position());
    DoFieldMouseUp(e->button() == Qt::LeftButton ? 0 : 1, GetShift(e->modifiers()), p.x, p.y);
    requestFrame();
}

void MCMainView::mouseMoveEvent(QMouseEvent* e)
{
    const TPoint p = toDevice(e->position());
    iMouseX = p.x;
    iMouseY = p.y;
    const Qt::MouseButtons b = e->buttons();
    const int button = (b & Qt::LeftButton) ? 0 : (b != Qt::NoButton ? 1 : 2);
    if (button != 2 && fDrawInfo) {
        updateInfoString();
        if (RedrawP == kRedrawNone)
            RedrawP = kRedrawOverlay;
    }
    const double t0 = bLogFrames_ ? SecondsSinceStart() : 0;
    DoFieldMouseMove(button, GetShift(e->modifiers()), p.x, p.y);
    if (bLogFrames_ && button != 2) {
        FieldGL.gl->glFinish();
        std::fprintf(stderr, "move: %.1f ms at %.3f s\n", (SecondsSinceStart() - t0) * 1000.0, t0);
    }
}

void MCMainView::wheelEvent(QWheelEvent* e)
{
    // Touchpads and fine wheels send many small deltas: a piece turns once
    // per whole notch (120 units) turned one way.
    const QPoint d = e->angleDelta();
    const int delta = d.x() + d.y();
    if ((delta > 0 && wheelRest_ < 0) || (delta < 0 && wheelRest_ > 0))
        wheelRest_ = 0;
    wheelRest_ += delta;
    const TPoint p = toDevice(e->position());
    // Shift + wheel, or a wheel that turns sideways, scrolls across.
    const bool sideways = (e->modifiers() & Qt::ShiftModifier) || std::abs(d.x()) > std::abs(d.y());
    for (; wheelRest_ >= 120; wheelRest_ -= 120)
        DoFieldWheel(1, p.x, p.y, sideways);
    for (; wheelRest_ <= -120; wheelRest_ += 120)
        DoFieldWheel(-1, p.x, p.y, sideways);
    e->accept();
    requestFrame();
}

void MCMainView::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Space && !e->isAutoRepeat()) {
        DoFieldSpaceKey();
    } else if (e->key() == Qt::Key_Escape) {
        DoFieldEscapeKey();
    } else if (e->key() >= Qt::Key_Left && e->key() <= Qt::Key_Down) {
        // Left, Up, Right, Down follow one another.
        const int k = e->key() - Qt::Key_Left;
        DoFieldArrowKey(k == 0 ? -1 : k == 2 ? 1 : 0, k == 1 ? -1 : k == 3 ? 1 : 0);
    } else if (e->key() == Qt::Key_I && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        fDrawInfo = !fDrawInfo;
        updateInfoString();
        if (RedrawP == kRedrawNone)
            RedrawP = kRedrawOverlay;
    } else {
        e->ignore();
        return;
    }
    requestFrame();
}
