// MCMainView: the one OpenGL view of the play field. It is a native window of
// its own with its own GL context (2.1 compatibility, set as the default
// format before the application object exists) and presents its frames
// straight to the screen: the main form holds it in a window container, so
// that Qt never composes the rest of the main window again for each frame
// (on a software renderer that composition cost more than the frame).
// It runs the 60 Hz frame timer that draws only when RedrawP asks, converts
// mouse, wheel and key events for the field, and draws the information
// overlay.
//
// Sizes: the field works in device pixels (viewport and buffers); Qt gives
// logical sizes and mouse positions, which are scaled by the pixel ratio.
#pragma once

#include "field/gl_string.h"
#include "base/helpers.h"

#include <QImage>
#include <QTimer>
#include <QWindow>

#include <memory>
#include <string>

// Asks Qt for the context the field needs; call before the QApplication.
void MainViewSetDefaultFormat();
// The one-modifier code of the field: 1 Shift, else 2 Alt, else 4 Meta, else
// 8 Control, else 0.
int GetShift(Qt::KeyboardModifiers m);

class QOpenGLContext;

class MCMainView : public QWindow {
    Q_OBJECT
public:
    explicit MCMainView(const std::string& resourceDir, QWindow* parent = nullptr);
    ~MCMainView() override;

    bool fDrawInfo = false;           // the information overlay is shown
    int viewWidth = 0, viewHeight = 0;  // device pixels last applied
    int iFPS = 0, iFPSCounter = 0;    // frames in the last whole second
    double dFPSStartTime = 0;
    int iFramesDrawn = 0;             // frames drawn since start (tests)
    int iMouseX = 0, iMouseY = 0;     // last mouse point, device pixels
    bool bGLFailed = false;           // the context could not serve the field
    bool bMaxIsScreen = true;         // the largest view: the screen's work area (else the view as first shown)

    // Runs one timer tick now (tests).
    void onAnimationTimer();
    // Draws a frame at the next turn of the event loop, whatever RedrawP says.
    void update();
    // Draws a frame now and returns it as shown (screenshots, tests); a null
    // image before the field is ready.
    QImage grabFrame();
    // The field's context, current on this window / released.
    QOpenGLContext* context() const { return context_; }
    void makeCurrent();
    void doneCurrent();
    double devicePixelRatioF() const { return devicePixelRatio(); }
    // The view's size in device pixels.
    int deviceW() const;
    int deviceH() const;
    // A view point in device pixels from a logical one.
    TPoint toDevice(const QPointF& p) const;

signals:
    // After every drawn frame; the first one after start-up completes the window.
    void frameDrawn();
    // The GL context lacks what the field needs.
    void glFailed(const QString& why);

protected:
    bool event(QEvent* e) override;
    void exposeEvent(QExposeEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool initializeGL();
    // Draws one frame into the window's back buffer; false when nothing was
    // drawn (not exposed, no context, the field not ready).
    bool paintGL();
    void renderNow();
    void applyViewSize();
    QSize largestView() const;
    void updateInfoString();
    void updateFPSString();
    void drawInfo();
    void requestFrame();

    std::string resourceDir_;
    QOpenGLContext* context_ = nullptr;  // owned (a child object)
    bool bGLTried_ = false;              // the context was made (or failed) once
    bool bUpdatePending_ = false;        // an update request is on its way
    QTimer animationTimer_;
    std::unique_ptr<GLString> infoStringTex_, fpsStringTex_, errStringTex_;
    int errSerial_ = -1;
    int wheelRest_ = 0;  // wheel units turned one way, short of a whole notch (120)
    bool bGameFrameMarked_ = false;  // the first frame of a game was marked on the timeline
    bool bStillBufAsked_ = false;    // the still buffer's making put after the first game frame
    bool bLogFrames_ = false;  // ZIVRA_LOG_FRAMES: each frame's mode and time to standard error
};

extern MCMainView* g_MainView;  // set while the view lives
