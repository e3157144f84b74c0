// Table backgrounds: the client of each side and pocket is a plain colour or
// one of eight table pictures. Codes 10..17 name the pictures; any other code
// is a packed colour. Only one picture can be in use at a time: it is loaded
// at the size of the sides' content and scrolls with it.
#pragma once

#include "base/my_image.h"
#include "field/field_gl.h"
#include "model/game_state.h"

#include <cstdint>
#include <string>
#include <vector>

class OMyWin;

extern const char* const sBkgPics[kBkgPicCount];  // "parquet", "stucco1", ...

struct TBkgP {
    OMyImage miBkgPic;           // the table picture in use: its size; pixels only without a GL context
    RENDER_BUF rbBkgPic;         // the same picture, copied from onto the tables
    int32_t lBkgPicTag = 0;      // its code; 0 none
    int iColorForWin = 0;        // window the "current" background command edits
    std::vector<OMyImagePtr> arBkgPicsSamples;  // the dialog's samples, in code order
    OMyImagePtr miGamma;         // the palette picture's pixels, unconverted
};
extern TBkgP BkgP;  // per run

bool IsPicBkg(int32_t code);  // 10 <= code < 18
// "<resources>/<name>-1600.jpg" and "<resources>/<name>-but.png" of a picture code.
std::string BkgPicPath(int32_t code);
std::string BkgSamplePath(int32_t code);
// Makes the picture of code the one in use, sized to the sides' content.
// False for a colour code or a picture that cannot be read.
bool LoadBkgPic(int32_t code);
// Gives window win (0..5) the background code; kBkgAllWins gives it to all
// six and keeps it as the code for all. An unreadable picture becomes the default grey.
void SetScrBkgColor(int win, int32_t code);
// Applies WinP's codes to windows 0..5, keeping only the first picture found.
void UpdateScrBkgs();
// The window the "current" commands act on: the first active side or pocket,
// else the visible side.
OMyWin* RetWinForBkgCur();
// Retitles the two "current window" commands and notes iColorForWin.
void UpdateMenuBkgCur();
// The dialog's sample pictures and the palette.
void InitBkgPicsSamples();
void FreeBkgPicsSamples();
// The place of a colour on the palette picture of InitBkgPicsSamples; false
// when the picture is not loaded or no pixel is within 5 of the colour.
bool ColorToCoord(uint32_t colour, int* x, int* y);

void Backgrounds_Reset();
