// Picture inserts: loading the pictures, choosing the picture cells and
// setting a picture into each, and the mask operations they use. The edges
// around the pictures are fitted in pic_edges.cpp.
#include "cutting/pic_inserts.h"

#include "cutting/cutting.h"
#include "cutting/pic_inserts_internal.h"
#include "cutting/vector_pics.h"
#include "platform/platform.h"

#include <algorithm>
#include <cassert>
#include <cmath>

TPicSource PicSourceP;

void Cutting_SetPictureFile(const std::string& path)
{
    PicSourceP.sDataPic = path;
    PicSourceP.arData.clear();
}

// ---- Hooks of the classic cut --------------------------------------------------------------

bool PicInserts_Load(TCutWork& w)
{
    const TPicSource& src = PicSourceP;
    if (src.sDataPic.empty() && src.arData.empty()) {
        Platform().Log("vector pictures: no picture file is set; the Figure style cuts without pictures");
        return false;
    }
    const int n = src.arData.empty() ? ReadDataEmf(src.sDataPic) : ReadDataEmfFromData(src.arData.data(), src.arData.size());
    if (n == 0)
        return false;
    w.testPics = MyImageCreateExt(w.jp.ImageW, w.jp.ImageH, true);
    return w.testPics != nullptr;
}

void PicInserts_Place(TCutWork& w)
{
    if (PicFigs.N == 0 || !w.testPics || w.C < 3 || w.R < 3) {
        for (int i = 0; i < w.n; ++i)
            w.jigs[size_t(i)].PicCell = 0;
        return;
    }
    ChoosePicCells(w);
    for (int i = 0; i < w.n; ++i)
        if (w.jigs[size_t(i)].PicCell)
            PlacePicture(w, i);
    FitEdgesNearPictures(w);
}

void PicInserts_FitBoxes(TCutWork& w)
{
    const OMyImage& img = *w.vecField;
    for (int i = 0; i < w.n; ++i) {
        TJig& j = w.jigs[size_t(i)];
        if (!j.PicCell)
            continue;
        // The clean-up moves single pixels: the box grown by one holds them all.
        const uint32_t colour = MaskCodeColor(j.MaskColor);
        const uint8_t cr = uint8_t(colour), cg = uint8_t(colour >> 8), cb = uint8_t(colour >> 16);
        const int x0 = std::max(0, j.HomeX - 1), x1 = std::min(img.W - 1, j.HomeX + j.W);
        TMyRect ext;
        for (int y = std::max(0, j.HomeY - 1); y <= std::min(img.H - 1, j.HomeY + j.H); ++y) {
            const uint8_t* p = MyImageGetLineXY(img, x0, y);
            for (int x = x0; x <= x1; ++x, p += img.iBPP)
                if (p[0] == cr && p[1] == cg && p[2] == cb)
                    MyRectIncScope(ext, x, y, x, y);
        }
        if (!MyRectIsEmpty(ext))
            j.HomeX = ext.L, j.HomeY = ext.T, j.W = ext.W, j.H = ext.H;
    }
}

void PicInserts_Free(TCutWork& w)
{
    FreeDataEmf();
    w.testPics.reset();
}

// ---- Mask operations -------------------------------------------------------------------------

bool AddPicToField(OMyImage& field, const OMyImage& pics, uint32_t colour, const TRect& rect)
{
    assert(rect.left >= 0 && rect.top >= 0 && rect.right < field.W && rect.bottom < field.H);
    assert(field.W == pics.W && field.H == pics.H);
    const uint8_t cr = uint8_t(colour), cg = uint8_t(colour >> 8), cb = uint8_t(colour >> 16);
    for (int pass = 0; pass < 2; ++pass)  // the first pass only looks
        for (int y = rect.top; y <= rect.bottom; ++y) {
            const uint8_t* s = MyImageGetLineXY(pics, rect.left, y);
            uint8_t* d = MyImageGetLineXY(field, rect.left, y);
            for (int x = rect.left; x <= rect.right; ++x, s += pics.iBPP, d += field.iBPP) {
                if (s[0] != cr || s[1] != cg || s[2] != cb)
                    continue;
                if (pass == 1)
                    d[0] = cr, d[1] = cg, d[2] = cb;
                else if (!(d[0] == 255 && d[1] == 255 && d[2] == 255))
                    return false;
            }
        }
    return true;
}

bool LineOverlapWithPic(const TCutWork& w, int piece, TPoint A, TPoint B, const TRect& rect, TPoint* P)
{
    const OMyImage& img = *w.vecField;
    const uint32_t colour = MaskCodeColor(w.jigs[size_t(piece)].MaskColor);
    const uint8_t cr = uint8_t(colour), cg = uint8_t(colour >> 8), cb = uint8_t(colour >> 16);
    const TMyRect& f = w.field;
    auto is = [&](int x, int y) {
        const uint8_t* p = MyImageGetLineXY(img, x, y);
        return p[0] == cr && p[1] == cg && p[2] == cb;
    };
    auto hit = [&](int x, int y) {
        if (x < rect.left || x > rect.right || y < rect.top || y > rect.bottom)
            return false;
        if (A == B)
            return x >= 0 && y >= 0 && x < img.W && y < img.H && is(x, y);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if ((dx || dy) && nx >= f.L && nx <= f.R && ny >= f.T && ny <= f.B && is(nx, ny))
                    return true;
            }
        return false;
    };
    return WalkLine(A, B, [&](int x, int y) {
        if (!hit(x, y))
            return false;
        *P = {x, y};
        return true;
    });
}

int FindFreeEdgePoint(const TCutWork& w, TPoint A, TPoint B, TPoint* P)
{
    const OMyImage& img = *w.vecField;
    if (IsWhitePixel(img, A.x, A.y)) {
        *P = A;
        return 0;
    }
    const bool found = WalkLine(A, B, [&](int x, int y) {
        if (!IsWhitePixel(img, x, y))
            return false;
        *P = {x, y};
        return true;
    });
    return found ? 1 : -1;
}

// ---- Choosing the picture cells -----------------------------------------------------------------

namespace {

struct TCellLook {
    int flaggedNeighbours = 0;
    bool border = false;
};

TCellLook LookAround(const TCutWork& w, int i)
{
    TCellLook l;
    const TCutCell& c = w.cut[size_t(i)];
    for (int e = 0; e < c.edgeNum; ++e) {
        const int nb = c.edges[size_t(e)].nb;
        if (nb < 0)
            l.border = true;
        else
            l.flaggedNeighbours += w.jigs[size_t(nb)].PicCell != 0;
    }
    return l;
}

void ChoosePass(TCutWork& w, int threshold)
{
    for (int r = 1; r <= w.R - 2; ++r)
        for (int c = 1; c <= w.C - 2; ++c) {
            const int i = r * w.C + c;
            if (!w.jigs[size_t(i)].PicCell)
                continue;
            const TCellLook l = LookAround(w, i);
            if (l.flaggedNeighbours <= threshold && !l.border)
                continue;
            w.jigs[size_t(i)].PicCell = 0;
            // The first cell around it that may take the picture instead.
            bool moved = false;
            for (int rr = std::max(1, r - 2); rr <= std::min(w.R - 2, r + 2) && !moved; ++rr)
                for (int cc = std::max(1, c - 2); cc <= std::min(w.C - 2, c + 2) && !moved; ++cc) {
                    const int j = rr * w.C + cc;
                    if (j == i || w.jigs[size_t(j)].PicCell)
                        continue;
                    const TCellLook lj = LookAround(w, j);
                    if (!lj.border && lj.flaggedNeighbours == 0)
                        w.jigs[size_t(j)].PicCell = 1, moved = true;
                }
        }
}

}  // namespace

void ChoosePicCells(TCutWork& w)
{
    if (w.C < 3 || w.R < 3)
        return;
    ChoosePass(w, 1);
    ChoosePass(w, 0);
}

// ---- Setting a picture into a cell ---------------------------------------------------------------

namespace {

// The picture's size fitted into the cell's box, enlarged by a fifth, and
// the scale from its nominal size.
void FitPicture(const TPicEntry& e, const TJig& j, int* w, int* h, double* k)
{
    double fw = e.Width, fh = e.Height;
    if (e.Width > j.W || e.Height > j.H) {
        fw = std::trunc(double(j.H) * e.Width / e.Height);
        fh = j.H;
        if (fw > j.W) {
            fw = j.W;
            fh = std::trunc(double(j.W) * e.Height / e.Width);
        }
    }
    *w = Round(fw * 1.2);
    *h = Round(fh * 1.2);
    *k = double(std::max(*w, *h)) / (*w > *h ? e.Width : e.Height);
}

// A neighbour's site under the picture (cells in the 5 x 5 around i that
// are not picture cells), looked up in the scratch image.
bool CoversNeighbourSite(const TCutWork& w, int i, const TRect& rect, uint32_t colour)
{
    const int r = i / w.C, c = i % w.C;
    for (int rr = std::max(0, r - 2); rr <= std::min(w.R - 1, r + 2); ++rr)
        for (int cc = std::max(0, c - 2); cc <= std::min(w.C - 1, c + 2); ++cc) {
            const int j = rr * w.C + cc;
            if (j == i || w.jigs[size_t(j)].PicCell)
                continue;
            const TCutCell& s = w.cut[size_t(j)];
            if (s.x >= rect.left && s.x <= rect.right && s.y >= rect.top && s.y <= rect.bottom &&
                MyImageGetPixel(*w.testPics, s.x, s.y) == colour)
                return true;
        }
    return false;
}

}  // namespace

void PlacePicture(TCutWork& w, int i)
{
    TJig& j = w.jigs[size_t(i)];
    const int pic = MyRandom(PicFigs.N);
    ReadDataEmfImage(pic);
    const TPicEntry& e = PicFigs.Cur.Entry;
    int fw = 0, fh = 0;
    double k = 1;
    FitPicture(e, j, &fw, &fh, &k);
    const int angle = MyRandom(60) - 30;
    const bool mirrorX = e.bMirrorLR && MyRandom(2) != 0;
    const bool mirrorY = e.bMirrorTB && MyRandom(2) != 0;
    FlipEmf(PicFigs.Cur.Emf, mirrorX, mirrorY);
    RotateEmf(angle, PicFigs.Cur.Emf);
    const TCutCell& c = w.cut[size_t(i)];
    const int cellW = j.W, cellH = j.H;
    const int wr = Round(std::min(RotVec.RotW * k, 1e6)), hr = Round(std::min(RotVec.RotH * k, 1e6));
    const int left = Round(c.dx) - wr / 2, top = Round(c.dy) - hr / 2;
    j.HomeX = left, j.HomeY = top, j.W = wr, j.H = hr;
    const uint32_t colour = MaskCodeColor(j.MaskColor);
    const TRect rect = MakeTRect(std::max(0, left - 1), std::max(0, top - 1), std::min(w.jp.ImageW - 1, left + wr + 1),
                                 std::min(w.jp.ImageH - 1, top + hr + 1));
    // A picture whose bounds do not match its nominal size (only a broken
    // data file has one) could come out a speck or cover half the puzzle.
    bool placed = rect.left <= rect.right && rect.top <= rect.bottom && wr >= 4 && hr >= 4 && wr <= 4 * cellW &&
                  hr <= 4 * cellH;
    if (placed) {
        MyImageFillRect(*w.testPics, rect.left, rect.top, rect.right - rect.left + 1, rect.bottom - rect.top + 1,
                        kMaskWhite);
        StretchDrawEmf(*w.testPics, PicFigs.Cur.Emf, {left, top}, {left + wr, top + hr}, colour);
        placed = !CoversNeighbourSite(w, i, rect, colour) && AddPicToField(*w.vecField, *w.testPics, colour, rect);
    }
    if (!placed)
        j.PicCell = 0;
    PicFigs.Cur = {};
    PicFigs.iCur = -1;
}
