#include "base/helpers.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

// ---- Rectangles -------------------------------------------------------------

static void DeriveRB(TMyRect& r)
{
    r.R = r.L + r.W - 1;
    r.B = r.T + r.H - 1;
}

static void DeriveWH(TMyRect& r)
{
    r.W = r.R - r.L + 1;
    r.H = r.B - r.T + 1;
}

void MyRectInitWH(TMyRect& r, int L, int T, int W, int H)
{
    r.L = L; r.T = T; r.W = W; r.H = H;
    DeriveRB(r);
}

void MyRectInitRB(TMyRect& r, int L, int T, int R, int B)
{
    r.L = L; r.T = T; r.R = R; r.B = B;
    DeriveWH(r);
}

void MyRectChangeLT(TMyRect& r, int L, int T)
{
    r.L = L; r.T = T;
    DeriveRB(r);
}

void MyRectChangeWH(TMyRect& r, int W, int H)
{
    r.W = W; r.H = H;
    DeriveRB(r);
}

void MyRectChangeRB(TMyRect& r, int R, int B)
{
    r.R = R; r.B = B;
    DeriveWH(r);
}

void MyRectIncLTWH(TMyRect& r, int dL, int dT, int dW, int dH)
{
    r.L += dL; r.T += dT; r.W += dW; r.H += dH;
    DeriveRB(r);
}

void MyRectIncLTRB(TMyRect& r, int dL, int dT, int dR, int dB)
{
    r.L += dL; r.T += dT; r.R += dR; r.B += dB;
    DeriveWH(r);
}

void MyRectIncScope(TMyRect& r, int L, int T, int R, int B)
{
    r.L = r.L == kRectUnset ? L : imin(r.L, L);
    r.T = r.T == kRectUnset ? T : imin(r.T, T);
    r.R = r.R == kRectUnset ? R : imax(r.R, R);
    r.B = r.B == kRectUnset ? B : imax(r.B, B);
    DeriveWH(r);
}

void MyRectSetEmpty(TMyRect& r) { r = TMyRect{}; }

bool MyRectIsEmpty(const TMyRect& r) { return r.W == 0 || r.H == 0; }

bool MyRectIsCoordsIn(int x, int y, const TMyRect& r)
{
    return r.L <= x && x <= r.R && r.T <= y && y <= r.B;
}

bool MyRectIntersect(TMyRect* out, const TMyRect& a, const TMyRect& b)
{
    if (a.R < b.L || a.L > b.R || a.B < b.T || a.T > b.B)
        return false;
    if (out)
        MyRectInitRB(*out, imax(a.L, b.L), imax(a.T, b.T), imin(a.R, b.R), imin(a.B, b.B));
    return true;
}

TMyRect vMyRectInitWH(int L, int T, int W, int H) { TMyRect r; MyRectInitWH(r, L, T, W, H); return r; }
TMyRect vMyRectInitRB(int L, int T, int R, int B) { TMyRect r; MyRectInitRB(r, L, T, R, B); return r; }
TMyRect vMyRectChangeLT(TMyRect r, int L, int T) { MyRectChangeLT(r, L, T); return r; }
TMyRect vMyRectChangeWH(TMyRect r, int W, int H) { MyRectChangeWH(r, W, H); return r; }
TMyRect vMyRectChangeRB(TMyRect r, int R, int B) { MyRectChangeRB(r, R, B); return r; }
TMyRect vMyRectIncLTWH(TMyRect r, int dL, int dT, int dW, int dH) { MyRectIncLTWH(r, dL, dT, dW, dH); return r; }
TMyRect vMyRectIncLTRB(TMyRect r, int dL, int dT, int dR, int dB) { MyRectIncLTRB(r, dL, dT, dR, dB); return r; }
TMyRect vMyRectIncScope(TMyRect r, int L, int T, int R, int B) { MyRectIncScope(r, L, T, R, B); return r; }
TMyRect vMyRectEmpty() { return TMyRect{}; }

TFlipRect MyRectFlipToNSRect(const TMyRect& r, int viewH)
{
    return {double(r.L), double(viewH - (r.T + r.H)), double(r.W), double(r.H)};
}

TMyRect MyRectFromNSRect(double x, double y, double w, double h)
{
    return vMyRectInitWH(int(std::trunc(x)), int(std::trunc(y)), int(std::trunc(w)), int(std::trunc(h)));
}

TPoint MakeTPoint(int x, int y) { return {x, y}; }
TRect MakeTRect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
TSize MakeTSize(int cx, int cy) { return {cx, cy}; }
TSize ZeroTSize() { return {0, 0}; }

// ---- Colours ----------------------------------------------------------------

void IntToRGB(uint32_t c, int* r, int* g, int* b)
{
    *r = int(c & 255);
    *g = int((c >> 8) & 255);
    *b = int((c >> 16) & 255);
}

uint64_t RetRGB(int r, int g, int b)
{
    return uint64_t(uint16_t(r)) | (uint64_t(uint16_t(g)) << 16) | (uint64_t(uint16_t(b)) << 32);
}

uint64_t RetRGBFromInt(uint32_t c) { return RetRGB(int(c & 255), int((c >> 8) & 255), int((c >> 16) & 255)); }

uint32_t RetIntFromRGB(uint64_t v)
{
    return uint32_t(v & 255) | (uint32_t((v >> 16) & 255) << 8) | (uint32_t((v >> 32) & 255) << 16);
}

int RetByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// ---- Numbers ----------------------------------------------------------------

int Round(double v) { return int(std::round(v)); }

double CalcDist(int x1, int y1, int x2, int y2)
{
    // Squares in 64 bits: the same value wherever 32 bits do not overflow.
    const int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
    return std::sqrt(double(dx * dx + dy * dy));
}

void PropReduceWH(int* w, int* h, int maxW, int maxH)
{
    if (*w <= maxW && *h <= maxH)
        return;
    if (double(*w) / double(*h) >= double(maxW) / double(maxH)) {
        *h = int(int64_t(*h) * maxW / *w);
        *w = maxW;
    } else {
        *w = int(int64_t(*w) * maxH / *h);
        *h = maxH;
    }
}

// ---- Random -----------------------------------------------------------------
// PCG32 (M. E. O'Neill, pcg-random.org), XSH-RR output; one stream, fixed
// increment. Output >> 1 keeps 31 bits, the C library's range.

namespace {
constexpr uint64_t kPcgMul = 6364136223846793005ULL;
constexpr uint64_t kPcgInc = 1442695040888963407ULL;
constexpr uint64_t kPcgStart = 0x853c49e6748fea9bULL;  // the state before any SRand
uint64_t g_randState = kPcgStart;  // per run; SRand sets it
}  // namespace

void Helpers_Reset() { g_randState = kPcgStart; }

static uint32_t Pcg32Next()
{
    const uint64_t old = g_randState;
    g_randState = old * kPcgMul + kPcgInc;
    const uint32_t xorshifted = uint32_t(((old >> 18u) ^ old) >> 27u);
    const uint32_t rot = uint32_t(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

void SRand(uint32_t seed)
{
    g_randState = 0;
    Pcg32Next();
    g_randState += seed;
    Pcg32Next();
}

int32_t Rand() { return int32_t(Pcg32Next() >> 1); }

void SRandDev()
{
    std::random_device dev;
    const uint64_t t = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    SRand(uint32_t(dev()) ^ uint32_t(t) ^ uint32_t(t >> 32) ^ uint32_t(getpid()));
}

int MyRandom(int n)
{
    if (n <= 0)
        return 0;
    const int r = int(std::trunc(double(Rand()) * double(n) / 2147483647.0));
    return r >= n ? n - 1 : r;
}

// ---- Time -------------------------------------------------------------------

double GetNow()
{
    using namespace std::chrono;
    constexpr double kUnixTo2001 = 978307200.0;
    return duration<double>(system_clock::now().time_since_epoch()).count() - kUnixTo2001;
}

TTimelineP TimelineP;

void TimelineMark(const char* name)
{
    if (!TimelineP.bOn)
        return;
    timespec ts{}, cpu{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    std::fprintf(stderr, "mark %s at %.4f cpu %.4f\n", name, double(ts.tv_sec) + double(ts.tv_nsec) / 1e9,
                 double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9);
}

double GetTimePassed(double t0) { return GetNow() - t0; }

// ---- Boxed arrays -------------------------------------------------------------

void BoolArray_AddVal(BoolArray& a, bool v) { a.push_back(v); }
void BoolArray_SetVal(BoolArray& a, int i, bool v) { a.at(size_t(i)) = v; }
bool BoolArray_GetVal(const BoolArray& a, int i) { return a.at(size_t(i)); }
void BoolArray_Clear(BoolArray& a) { a.assign(a.size(), false); }
void IntArray_AddVal(IntArray& a, int32_t v) { a.push_back(v); }
int32_t IntArray_GetVal(const IntArray& a, int i) { return a.at(size_t(i)); }

// ---- Files --------------------------------------------------------------------

bool FileExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool RenameFile(const std::string& dst, const std::string& src)
{
    // rename(2) replaces dst atomically: there is never a moment without one of
    // the two files, so dst is not removed first.
    return ::rename(src.c_str(), dst.c_str()) == 0;
}

static std::string DirOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

static bool WriteAll(int fd, const char* p, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= size_t(w);
    }
    return true;
}

bool CopyFile(const std::string& dst, const std::string& src)
{
    // Copies into a side file in dst's folder, syncs it and renames it over
    // dst, so a failed copy leaves dst as it was.
    const int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const std::string tmp = dst + ".copy-tmp";
    const int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        ::close(in);
        return false;
    }
    std::vector<char> buf(1 << 16);
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) { ok = false; break; }
        if (n == 0)
            break;
        if (!WriteAll(out, buf.data(), size_t(n))) { ok = false; break; }
    }
    ok = ok && ::fsync(out) == 0;
    ok = (::close(out) == 0) && ok;
    ::close(in);
    ok = ok && ::rename(tmp.c_str(), dst.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    const int dir = ::open(DirOf(dst).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool DeleteFile(const std::string& path) { return ::remove(path.c_str()) == 0; }

bool CreateDir(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        return true;
    return ::mkdir(path.c_str(), 0755) == 0;
}

int64_t GetFileSize(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    return int64_t(st.st_size);
}

std::string FileNameOf(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    const size_t slash = p.find_last_of('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string FileNameWithoutExt(const std::string& path)
{
    const std::string name = FileNameOf(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string FileExtLower(const std::string& path)
{
    const std::string name = FileNameOf(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? std::string() : StrLower(name.substr(dot + 1));
}

// ---- Strings ------------------------------------------------------------------

bool StringToAscii(const std::string& s, std::string* out)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) > 127)
            return false;
    *out = s;
    return true;
}

void CSTrim(std::string& s)
{
    auto keep = [](char c) { return static_cast<signed char>(c) >= 33; };
    size_t b = 0, e = s.size();
    while (b < e && !keep(s[b]))
        ++b;
    while (e > b && !keep(s[e - 1]))
        --e;
    s = s.substr(b, e - b);
}

bool StrEmpty(const std::string& s) { return s.empty(); }

bool TrimStrEmpty(const std::string& s)
{
    for (char c : s)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            return false;
    return true;
}

bool StrEqual(const std::string& a, const std::string& b) { return a == b; }

std::string StrLower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

bool StrEqualNoCase(const std::string& a, const std::string& b) { return StrLower(a) == StrLower(b); }

std::string StrFormat(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    const int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0) {
        out.resize(size_t(n));
        std::vsnprintf(out.data(), size_t(n) + 1, fmt, ap2);
    }
    va_end(ap2);
    return out;
}
