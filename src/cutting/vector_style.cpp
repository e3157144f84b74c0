// The vector styles' figures, the tab atlas and the drawing of one tab. The
// cut itself is in vector_cut.cpp.
#include "cutting/vector_style.h"

#include "platform/platform.h"

#include <algorithm>
#include <cassert>

TRasAtlas RasAtlas;
TVecStyle VecStyleP;

// ---- Figures ------------------------------------------------------------------------

const TFigPoint xyEdgeFig4VectorStyle[25] = {
    {0, 31}, {25, 31}, {32, 47}, {46, 47}, {65, 46}, {66, 40}, {66, 32}, {67, 28}, {63, 20}, {58, 20},
    {54, 20}, {51, 24}, {47, 24}, {41, 25}, {39, 22}, {38, 19}, {37, -3}, {74, -4}, {81, 7}, {86, 14},
    {88, 26}, {98, 29}, {107, 32}, {118, 32}, {127, 31}};
const TFigPoint xyEdgeFig5VectorStyle[28] = {
    {0, 31}, {14, 31}, {29, 34}, {52, 34}, {58, 33}, {60, 31}, {60, 25}, {58, 14}, {40, 16}, {35, 9},
    {33, 5}, {34, 0}, {40, 0}, {47, 0}, {72, 0}, {82, 0}, {88, 2}, {90, 4}, {90, 8}, {90, 14},
    {85, 19}, {85, 24}, {85, 33}, {88, 34}, {96, 34}, {106, 34}, {115, 31}, {127, 31}};
const TFigPoint xyEdgeBony1VectorStyle[31] = {
    {0, 31}, {13, 24}, {47, 29}, {36, 41}, {30, 48}, {29, 59}, {40, 61}, {48, 61}, {45, 55}, {51, 55},
    {58, 55}, {55, 61}, {64, 61}, {74, 59}, {67, 45}, {64, 41}, {61, 36}, {52, 20}, {64, 19}, {73, 19},
    {70, 24}, {76, 24}, {82, 24}, {79, 19}, {89, 19}, {101, 21}, {93, 34}, {89, 41}, {84, 57}, {117, 31},
    {127, 31}};

namespace {

struct TFigSource { const TFigPoint* points; int count; };

const TFigSource kVectorFigs[kVectorFigCount] = {
    {xyEdgeFig0VectorStyle, 25}, {xyEdgeFig1VectorStyle, 13}, {xyEdgeFig2VectorStyle, 31},
    {xyEdgeFig3VectorStyle, 37}, {xyEdgeFig4VectorStyle, 25}, {xyEdgeFig5VectorStyle, 28},
    {xyEdgeBony1VectorStyle, 31},
};

}  // namespace

void InitEdgeFigsForVectorStyle()
{
    for (int f = 0; f < kVectorFigCount; ++f)
        SetEdgeFig(EdgeFigs[size_t(f)], kVectorFigs[f].points, kVectorFigs[f].count);
}

std::vector<int> VectorFigChoice(int style)
{
    switch (style) {
    case 4: return {0};
    case 5: return {0, 1, 2, 3};
    default: return {0, 1, 2, 3, 4, 5};
    }
}

// ---- Atlas ------------------------------------------------------------------------------

namespace {

inline uint8_t AtlasAt(const OMyImage& a, int x, int y) { return *MyImageGetLineXY(a, x, y); }

}  // namespace

int RasStampRows(int k)
{
    assert(k >= 0 && k < kRasBlocks);
    return (kRasMinL + k + 1) / 2 + RasAtlas.iRasTileD[size_t(k)];
}

bool CountRasTileD(std::string* why)
{
    TRasAtlas& r = RasAtlas;
    r.bUsable = false;
    auto fail = [&](const std::string& text) {
        if (why)
            *why = text;
        return false;
    };
    if (!r.miFig0 || !r.miFig0->HasPixels() || r.miFig0->W < 1)
        return fail("no atlas");
    const OMyImage& a = *r.miFig0;
    if (a.W < 5 || a.H < 9 || a.iBPP < 1)
        return fail("too small for its reference levels");
    r.bRasWhite = AtlasAt(a, 4, 5);
    r.bRasGreen = AtlasAt(a, 4, 6);
    r.bRasRed = AtlasAt(a, 4, 7);
    r.bRasBlue = AtlasAt(a, 4, 8);
    const uint8_t lv[4] = {r.bRasWhite, r.bRasGreen, r.bRasRed, r.bRasBlue};
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            if (lv[i] == lv[j])
                return fail("its four reference levels are not distinct");
    const int needW = RasBlockColumn(kRasBlocks - 1) + kRasMaxL + 1;
    if (a.W < needW)
        return fail(StrFormat("%d columns, %d needed", a.W, needW));
    for (int k = 0; k < kRasBlocks; ++k) {
        const int col = RasBlockColumn(k), scan = std::min(20 + k, a.H);
        int d = 0;
        while (d < scan && AtlasAt(a, col, d) == r.bRasWhite)
            ++d;
        r.iRasTileD[size_t(k)] = d == 20 + k ? 0 : d;
        // The last band's mirrored side reads the most rows.
        const int needH = kRasBandRows * (kRasFigures - 1) + 1 + RasStampRows(k);
        if (a.H < needH)
            return fail(StrFormat("%d rows, %d needed by the tabs of length %d", a.H, needH, kRasMinL + k));
    }
    r.bUsable = true;
    return true;
}

bool LoadRasAtlas(const std::string& path)
{
    std::string error;
    RasAtlas = {};
    RasAtlas.sLoadedFrom = path;
    RasAtlas.miFig0 = MyImageCreateFromFile(path, false, &error);
    if (!RasAtlas.miFig0) {
        Platform().Log("tab atlas: cannot read " + path + " (" + error + "); tabs are drawn as curves");
        return false;
    }
    if (!CountRasTileD(&error)) {
        Platform().Log("tab atlas: " + path + " is unusable: " + error + "; tabs are drawn as curves");
        return false;
    }
    return true;
}

void Cutting_LoadStyleData(const std::string& resourceFolder)
{
    Cutting_SetPictureFile(resourceFolder + "/pic_zivra.dat");
    const std::string atlas = resourceFolder + "/fig0-gray.gif";
    if (RasAtlas.sLoadedFrom != atlas)
        LoadRasAtlas(atlas);
}

// ---- One tab ------------------------------------------------------------------------------

void ChooseRandomCurve(TEdgeFig* figure, int* number, bool* flip, bool randomFlip)
{
    const std::vector<int>& choice = VecStyleP.iFigChoise;
    assert(!choice.empty());
    *number = choice[size_t(MyRandom(int(choice.size())))];
    if (randomFlip)
        *flip = MyRandom(2) != 0;
    *figure = EdgeFigs[size_t(*number)];
    if (*flip) {
        const TEdgeFig& src = EdgeFigs[size_t(*number)];
        const int n = src.pointCount;
        for (int i = 0; i < n; ++i) {
            const TFigPoint& q = src.points[size_t(n - 1 - i)];
            figure->points[size_t(i)] = {float(src.width) - q.x, q.y};
        }
    }
}

// Along the edge the stamp runs from P; stamp row s lies off(s) pixels across
// the edge line: D - s for side 1, s - D for side 0 (rows for a horizontal
// edge, columns for a vertical one).
void RasStampTab(OMyImage& img, int L, int fig, bool side, bool flip, bool flat, TPoint P, uint32_t colour)
{
    assert(RasAtlas.bUsable && L >= kRasMinL && L <= kRasMaxL && fig >= 0 && fig < kRasFigures);
    const int k = L - kRasMinL;
    const TRasAtlas& r = RasAtlas;
    const OMyImage& a = *r.miFig0;
    const int D = r.iRasTileD[size_t(k)];
    const int col0 = RasBlockColumn(k) + (flip ? L : 0), step = flip ? -a.iBPP : a.iBPP;
    const int row0 = kRasBandRows * fig + (side ? 1 : 0);
    const uint8_t match = side ? r.bRasRed : r.bRasGreen;
    const uint8_t cr = uint8_t(colour), cg = uint8_t(colour >> 8), cb = uint8_t(colour >> 16);
    const int rows = RasStampRows(k);
    for (int s = 0; s < rows; ++s) {
        const uint8_t* src = MyImageGetLineXY(a, col0, row0 + s);
        if (*src == r.bRasBlue)
            break;
        const int off = side ? D - s : s - D;
        for (int x = 0; x <= L; ++x, src += step) {
            if (*src != match)
                continue;
            const int px = flat ? P.x + x : P.x + off, py = flat ? P.y + off : P.y + x;
            if (px < 0 || py < 0 || px >= img.W || py >= img.H)
                continue;
            uint8_t* d = MyImageGetLineXY(img, px, py);
            d[0] = cr, d[1] = cg, d[2] = cb;
        }
    }
}

void DrawVectorTabBezier(OMyImage& img, const TEdgeFig& fig, const TCurveFrame& f, double h, uint32_t colour)
{
    TDPoint pts[kEdgeFigMaxPoints];
    int n = 0;
    TransformFigure(fig, false, f, h, pts, &n);
    DrawBezier(img, pts, n, colour);
    MyImageSetPixel(img, f.P.x, f.P.y, colour);
}

TTabDraw DrawRotCurveForVectorStyle(const TCurveField& cf, bool roomLimit, bool side, TPoint A, TPoint B,
                                    uint32_t colour)
{
    assert(!roomLimit && cf.img && cf.img->pMem);
    (void)roomLimit;
    const TCurveFrame f = CurveFrame(A, B, side);
    TEdgeFig fig;
    int number = 0;
    bool flip = false;
    ChooseRandomCurve(&fig, &number, &flip, true);
    if (f.len == 0)
        return TTabDraw::None;
    const double h0 = cf.maskOfs;
    const double h = LimitApexToImage(f, h0, side, cf.img->W, cf.img->H);
    const bool flat = f.P.y == f.Q.y, upright = f.P.x == f.Q.x;
    const int L = Round(f.len);
    if (h == h0 && number < kRasFigures && (flat || upright) && L >= kRasMinL && L <= kRasMaxL &&
        RasAtlas.bUsable) {
        RasStampTab(*cf.img, L, number, side, flip, flat, f.P, colour);
        return TTabDraw::Stamped;
    }
    DrawVectorTabBezier(*cf.img, fig, f, h, colour);
    return TTabDraw::Drawn;
}
