// The in-view windows of the play field: two sides, four pockets, the
// thumbnail (the window list, indices 0..6) and the glass window (in no list).
// Each OMyWin has a rectangle in view pixels, a frame drawn from a skin, nine
// skinned buttons and its own scroll state.
//
// View pixels: origin at the view's top-left, y downwards; rectangles are
// TMyRect with inclusive right and bottom. "None" is the 1 x 1 rectangle at
// (-1, -1), outside the view.
#pragma once

#include "base/my_image.h"
#include "field/my_button.h"
#include "base/helpers.h"
#include "model/game_state.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Window types (kWinSide ..) and the fixed indices of the window list
// (kSide0 ..) are the model's, beside its window record (model/game_state.h).
// Button slots of arButtons.
enum : int { kBtClose, kBtZoom2, kBtZoom3, kBtHorLeft, kBtHorRight, kBtHorThumb, kBtVerUp, kBtVerDown, kBtVerThumb };
// Gesture codes on window frames and controls (ODragWinP, button actions).
enum : uint8_t {
    kActMove = 1, kActResize = 17, kActHorThumb = 20, kActPageLeft = 21, kActPageRight = 22,
    kActVerThumb = 23, kActPageUp = 24, kActPageDown = 25, kActClose = 26, kActZoom2 = 27, kActZoom3 = 28,
    kActHandScroll = 29,
};
constexpr int kScrollBarS = 17;  // thickness of a scroll bar in the skin (points on screen)

// Device pixels per point of the field's own frames, captions, buttons and
// glass (the screen's pixel ratio: 1 on ordinary screens, 2 on a HiDPI one).
// Pieces stay at picture pixels whatever it is. Per run: set before the
// windows are made (FieldWins_SetScale).
extern double fUiScale;
// n points in device pixels at fUiScale.
int UiPx(int points);
// Thickness of a scroll bar on screen, device pixels.
inline int ScrollBarS() { return UiPx(kScrollBarS); }
void FieldWins_SetScale(double scale);

TMyRect MyRectNone();

class OMyWin {
public:
    OMyWin(const TMyRect& r, uint8_t type);  // initWithRect:type:

    int iHandS = 0;                 // glass: side of one corner hand (93)
    TMyRect mrHorScroll, mrVerScroll;  // scroll tracks between the arrows
    TMyRect mrScrollsCorner;        // square where the bars meet; none without bars
    TMyRect mrResizeSq;             // resize grip; none without one
    TMyRect mrCaptionDest;          // room for the caption text; none without a caption bar
    std::array<TMyRect, 4> mrSrcHand, mrDestHand;  // glass hands: TL, TR, BL, BR
    uint8_t bIndex = 0;             // index in the window list (the glass keeps 0)
    uint8_t bType = 0;              // kWinSide .. kWinGlass
    bool bEnableScrolling = false;
    bool bHorScrollVisible = false, bVerScrollVisible = false;
    bool bVisible = false;
    bool bActive = false;           // the current window
    bool bEnableDragAndMove = false;
    bool bEnableDragAndMoveClient = false;
    bool bEnableDragAndResize = false;
    bool bDrawBkgColor = false;     // the client is filled with its background first
    bool bPropResize = false;       // the client keeps iMaxClientW : iMaxClientH
    int iCaptionS = 0, iBorderS = 0;  // caption bar height, border thickness
    int iMinClientW = 0, iMinClientH = 0, iMaxClientW = 0, iMaxClientH = 0;  // 0 max = unlimited
    int iMinWinW = 0, iMinWinH = 0, iMaxWinW = 0, iMaxWinH = 0;
    int iWinClientDW = 0, iWinClientDH = 0;  // frame overhead
    int iHandMinOfs = 0;            // glass: pixels that must stay in the view
    int iScrollL = 0, iScrollT = 0; // content point at the client's left-top
    int iMaxScrollW = 0, iMaxScrollH = 0;  // content size; W = 0: no scrolling
    int32_t lBkgColor = 0;          // background code: packed colour or picture code
    int Z = 0;                      // position in the z-order list
    int iJigsNum = 0;               // pieces in it (pockets)
    int rgbBkgColor[3] = {0, 0, 0}; // background colour, 0..255 each
    std::array<OMyButton, 9> arButtons;
    OMyButton* curButton = nullptr; // the button last found under the mouse
    std::string sCaption;           // caption text
    std::string sMenuCaption;       // name in menus
    OMyImage miCaption;             // the caption rendered, with texture
    int MenuItem = -1;              // main-menu item index, -1 none
    int ToolbarButton = -1;         // toolbar item index, -1 none
    TMyRect mrWin;                  // whole window
    TMyRect mrClient;               // inside border, caption and bars

    OMyButton& mbClose() { return arButtons[kBtClose]; }
    OMyButton& mbZoom2() { return arButtons[kBtZoom2]; }
    OMyButton& mbZoom3() { return arButtons[kBtZoom3]; }
    OMyButton& mbHorThumb() { return arButtons[kBtHorThumb]; }
    OMyButton& mbVerThumb() { return arButtons[kBtVerThumb]; }

    // ---- Geometry --------------------------------------------------------------
    // bClient: size is the wanted client; else the client comes from mrWin.
    // Applies proportion and limits, decides the bars, keeps the left-top corner.
    void resizeWithClient(bool bClient, TSize size);
    void resizeNoClient();
    void resizeNoCheck();  // as resizeNoClient without proportion and limits
    // Limits a wanted size (a window size unless bClient) as a grip drag does.
    TSize calcPropSizeByClientSize(bool bClient, TSize size, bool bWChanged) const;
    void move();  // lays the window out at mrWin
    void changeLT(TPoint p);
    void copyBoundsFrom(const OMyWin& other);
    void moveToFront();
    void setVisible(bool show);
    void updateScrollButtonsVisible();
    void updateMinMaxWinSize();

    // ---- Hit testing and scrolling -----------------------------------------------
    bool hasMouseOnFrame(TPoint p) const;
    // The action code of the control under p (0 none); highlights the button,
    // presses it when bDown.
    uint8_t updateOverActionWithMousePos(TPoint p, bool bDown);
    bool isMouseOnScrollControls(TPoint p) const;
    // Scrolls by the gesture in DragWinP (page, thumb or hand).
    void scroll(TPoint p);
    // Scrolls by (dx, dy) content pixels along the shown bars, within the
    // content; true when the scroll position changed.
    bool scrollBy(int dx, int dy);
    void clearHightlightStatus();
    void setButtonsActiveStatus(bool active);

    // ---- Captions and drawing ------------------------------------------------------
    void setCaption(const std::string& text);
    void freeCaption();
    void setMenuCaption(const std::string& text);
    void freeMenuCaption();
    // Frame, background (unless the caller has cleared to it already), buttons.
    void draw(bool bkgDone = false);

private:
    void applyClientSize(int cw, int ch);
    void placeHorThumb();
    void placeVerThumb();
    void limitScroll();
};

// A gesture on a window frame or control.
struct ODragWinP {
    uint8_t bDragAction = 0;  // action in progress, 0 none
    uint8_t bOverAction = 0;  // action under the mouse while no button is held
    int iDragOX = 0, iDragOY = 0;  // offset between the mouse and the dragged thing
    OMyWin* win = nullptr;
    OMyButton* but = nullptr;
    bool bPutDownPress = false;  // click-to-drag: a plain left press while carrying; its release puts down
    void clear() { *this = ODragWinP{}; }
};

// ---- The window list (per run; ViewWins_Create .. ViewWins_Free) -------------------
extern std::vector<std::unique_ptr<OMyWin>> arViewWins;  // index = bIndex
extern std::vector<OMyWin*> arSortedViewWins;            // z-order, the end is the front
extern OMyWin* CaptureWin;                               // current window, or null
extern ODragWinP DragWinP;
extern OMyImage miWinSkin;                               // the frames' skin, with texture

OMyWin* GetViewWin(int i);
OMyWin* GetSortedViewWin(int i);
void ViewWins_Create();
void ViewWins_Free();
void SetCaptureWin(OMyWin* win);
// The thumbnail's caption in the current language.
void ThumbUpdateCaption();

// The skin of field windows: "win-skin.tif" of the resource folder, or a
// plain drawn stand-in (with a log line) when that cannot be read.
void LoadWinSkin(const std::string& resourceDir);
// Pixel size of caption text (the platform's label font at 13 points).
constexpr int kCaptionFontPx = 13;
// White text on transparency, cropped to the text's extent, with a texture.
OMyImage MyImageCreateText(const std::string& text, int pixelSize, bool bold = false);

void FieldWins_Reset();
