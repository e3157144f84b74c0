// Small helpers every part of the game uses: rectangles, points and sizes,
// packed colours, integer helpers, the game's random generator, time, boxed
// arrays, files and strings.
//
// Geometry is integer: rounding is half away from zero (Round), division
// truncates toward zero (C++'s own).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// ---- Rectangles -------------------------------------------------------------
// Right and bottom are inclusive: R = L + W - 1 and B = T + H - 1 after every
// operation. The empty rectangle has L = T = R = B = -10000 and W = H = 0; an
// edge of -10000 means "not set yet" to MyRectIncScope.
struct TMyRect {
    int32_t L = -10000, T = -10000, R = -10000, B = -10000, W = 0, H = 0;
    bool operator==(const TMyRect&) const = default;
};

struct TPoint { int32_t x = 0, y = 0; bool operator==(const TPoint&) const = default; };
struct TSize  { int32_t cx = 0, cy = 0; bool operator==(const TSize&) const = default; };
struct TRect  { int32_t left = 0, top = 0, right = 0, bottom = 0; bool operator==(const TRect&) const = default; };
static_assert(sizeof(TMyRect) == 24 && sizeof(TRect) == 16);

constexpr int32_t kRectUnset = -10000;

void MyRectInitWH(TMyRect& r, int L, int T, int W, int H);      // sets L,T,W,H; derives R,B
void MyRectInitRB(TMyRect& r, int L, int T, int R, int B);      // sets L,T,R,B; derives W,H
void MyRectChangeLT(TMyRect& r, int L, int T);                  // moves; same W,H
void MyRectChangeWH(TMyRect& r, int W, int H);                  // new W,H; same L,T
void MyRectChangeRB(TMyRect& r, int R, int B);                  // new R,B; same L,T
void MyRectIncLTWH(TMyRect& r, int dL, int dT, int dW, int dH); // adds to L,T,W,H
void MyRectIncLTRB(TMyRect& r, int dL, int dT, int dR, int dB); // adds to L,T,R,B
void MyRectIncScope(TMyRect& r, int L, int T, int R, int B);    // grows to cover the edges
void MyRectSetEmpty(TMyRect& r);                                // the empty rectangle
bool MyRectIsEmpty(const TMyRect& r);                           // W = 0 or H = 0
bool MyRectIsCoordsIn(int x, int y, const TMyRect& r);          // L <= x <= R, T <= y <= B
bool MyRectIntersect(TMyRect* out, const TMyRect& a, const TMyRect& b); // false when apart

// By-value twins of the above.
TMyRect vMyRectInitWH(int L, int T, int W, int H);
TMyRect vMyRectInitRB(int L, int T, int R, int B);
TMyRect vMyRectChangeLT(TMyRect r, int L, int T);
TMyRect vMyRectChangeWH(TMyRect r, int W, int H);
TMyRect vMyRectChangeRB(TMyRect r, int R, int B);
TMyRect vMyRectIncLTWH(TMyRect r, int dL, int dT, int dW, int dH);
TMyRect vMyRectIncLTRB(TMyRect r, int dL, int dT, int dR, int dB);
TMyRect vMyRectIncScope(TMyRect r, int L, int T, int R, int B);
TMyRect vMyRectEmpty();

// A rectangle with a bottom-left origin in a view of height viewH, as
// (x, y, width, height) for the drawing layer.
struct TFlipRect { double x, y, w, h; };
TFlipRect MyRectFlipToNSRect(const TMyRect& r, int viewH);
// From a floating rectangle (x, y, w, h), each truncated toward zero.
TMyRect MyRectFromNSRect(double x, double y, double w, double h);

TPoint MakeTPoint(int x, int y);
TRect  MakeTRect(int left, int top, int right, int bottom);
TSize  MakeTSize(int cx, int cy);
TSize  ZeroTSize();

// ---- Colours ----------------------------------------------------------------
// Packed colour: red in bits 0-7, green 8-15, blue 16-23, bits 24-31 zero.
constexpr uint32_t RGB(uint32_t r, uint32_t g, uint32_t b) { return r + (g << 8) + (b << 16); }
constexpr uint32_t RGBToInt(uint32_t r, uint32_t g, uint32_t b) { return RGB(r, g, b); }
void IntToRGB(uint32_t c, int* r, int* g, int* b);
// Three 16-bit channels in 64 bits: red 0-15, green 16-31, blue 32-47.
uint64_t RetRGB(int r, int g, int b);
uint64_t RetRGBFromInt(uint32_t c);
uint32_t RetIntFromRGB(uint64_t v);   // low byte of each channel
int RetByte(int v);                   // clamped to 0..255

// ---- Numbers ----------------------------------------------------------------
inline int imin(int a, int b) { return a < b ? a : b; }
inline int imax(int a, int b) { return a > b ? a : b; }
inline double dmin(double a, double b) { return a < b ? a : b; }
// Rounds to the nearest integer, halves away from zero.
int Round(double v);
// sqrt(dx*dx + dy*dy) with integer squares.
double CalcDist(int x1, int y1, int x2, int y2);
// Shrinks w x h in proportion to fit maxW x maxH; leaves a size that fits alone.
void PropReduceWH(int* w, int* h, int maxW, int maxH);

// ---- Random -----------------------------------------------------------------
// The game's own generator, the same on every machine and compiler, so that a
// seed always gives the same cut. It is PCG32 (XSH-RR, the reference
// multiplier and increment) with the low bit of each 32-bit output dropped:
// results lie in 0..kRandMax. SRand(seed) sets the state as PCG's reference
// seeding does with initstate = seed.
constexpr int32_t kRandMax = 2147483647;
void SRand(uint32_t seed);
// The generator back to the state it has when the program starts (per run;
// Records_ResetAll calls it).
void Helpers_Reset();
int32_t Rand();
// Seeds from the system (time and the kernel's random source).
void SRandDev();
// trunc(Rand() * n / kRandMax), in 0..n-1 (clamped where the formula gives n).
// n <= 0 gives 0.
int MyRandom(int n);

// ---- Time -------------------------------------------------------------------
double GetNow();                 // seconds since 2001-01-01 00:00 UTC
double GetTimePassed(double t0); // GetNow() - t0
// The steps of start-up and opening a game, for the open benchmark: with
// bOn, TimelineMark writes "mark NAME at T cpu C" to standard error, T in
// seconds of the monotonic clock (the benchmark's own clock too), C the
// calling thread's CPU time in seconds (on a busy machine the CPU a step
// took tells more than the time it took). Per run; the game sets bOn from
// ZIVRA_LOG_OPEN.
struct TTimelineP {
    bool bOn = false;
};
extern TTimelineP TimelineP;
void TimelineMark(const char* name);

// ---- Boxed arrays -------------------------------------------------------------
using BoolArray = std::vector<bool>;
using IntArray = std::vector<int32_t>;
void BoolArray_AddVal(BoolArray& a, bool v);
void BoolArray_SetVal(BoolArray& a, int i, bool v);
bool BoolArray_GetVal(const BoolArray& a, int i);
void BoolArray_Clear(BoolArray& a);     // every entry false, same length
void IntArray_AddVal(IntArray& a, int32_t v);
int32_t IntArray_GetVal(const IntArray& a, int i);

// ---- Files --------------------------------------------------------------------
// Paths are UTF-8 strings; each answers true on success.
bool FileExists(const std::string& path);                    // false for ""
bool RenameFile(const std::string& dst, const std::string& src); // atomic replace of dst
bool CopyFile(const std::string& dst, const std::string& src);   // replaces dst
bool DeleteFile(const std::string& path);
bool CreateDir(const std::string& path);                     // true when it exists already
int64_t GetFileSize(const std::string& path);                // 0 when unreadable
std::string FileNameOf(const std::string& path);             // last path component
std::string FileNameWithoutExt(const std::string& path);     // last component, extension removed
std::string FileExtLower(const std::string& path);           // extension without the dot, lower-cased

// ---- Strings ------------------------------------------------------------------
// The text in 7-bit ASCII; false (and out untouched) when it has other bytes.
bool StringToAscii(const std::string& s, std::string* out);
// Removes leading and trailing bytes whose signed value is below 33 (blanks,
// control characters and every byte of 128 and above).
void CSTrim(std::string& s);
bool StrEmpty(const std::string& s);
bool TrimStrEmpty(const std::string& s);   // empty after trimming blanks
bool StrEqual(const std::string& a, const std::string& b);
bool StrEqualNoCase(const std::string& a, const std::string& b); // ASCII case folded
std::string StrLower(std::string s);                              // ASCII lower case
// printf-style formatting into a std::string.
std::string StrFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
