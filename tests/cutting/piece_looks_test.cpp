// How pieces show on the table: the eased outline and the baked shadow.
#include "cutting/piece_looks.h"

#include "cutting/cut_test_support.h"
#include "cutting/piece_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// An RGBA image opaque where `mask` has '#', one row per string.
OMyImage FromRows(const std::vector<std::string>& rows, uint8_t grey = 200)
{
    OMyImage img(int(rows[0].size()), int(rows.size()), true);
    for (int y = 0; y < img.H; ++y)
        for (int x = 0; x < img.W; ++x) {
            uint8_t* p = MyImageGetLineXY(img, x, y);
            const bool on = rows[size_t(y)][size_t(x)] == '#';
            p[0] = p[1] = p[2] = on ? grey : 0;
            p[3] = on ? 255 : 0;
        }
    return img;
}

}  // namespace

TEST(EasedOutline, EdgesCornersAndSquaresOfAStripEaseAsTheReferenceSays)
{
    // Two squares of a strip side by side, each filled to its edge: the
    // squares must not see each other's pixels.
    const OMyImage img = FromRows({
        "######..", "######..", "##.###..", "######..",
    });
    std::vector<uint8_t> row(size_t(img.W) * 4);
    for (int cellW : {img.W, 4}) {
        for (int y = 0; y < img.H; ++y) {
            EasedPremultipliedRow(img, cellW, y, row.data());
            for (int x = 0; x < img.W; ++x) {
                const int want = EasedAlphaAt(img, cellW, x, y);
                ASSERT_EQ(row[size_t(x) * 4 + 3], want) << cellW << " " << x << "," << y;
                const bool opaque = MyImageGetLineXY(img, x, y)[3] != 0;
                EXPECT_EQ(want > 0, opaque) << "opaque pixels stay visible, clear ones clear";
                EXPECT_EQ(row[size_t(x) * 4], (200 * want + 127) / 255) << "premultiplied";
            }
        }
    }
    // The table of the legend: a corner, an edge, the inside.
    const OMyImage big = FromRows({"#####", "#####", "#####", "#####", "#####"});
    EXPECT_EQ(EasedAlphaAt(big, 5, 0, 0), 143);
    EXPECT_EQ(EasedAlphaAt(big, 5, 2, 0), 191);
    EXPECT_EQ(EasedAlphaAt(big, 5, 2, 2), 255);
    // In a strip of squares 4 wide, column 3 is a square's right edge: the
    // next square's pixels do not count (11 of 16, beside the hole at (2, 2)).
    EXPECT_EQ(EasedAlphaAt(img, 4, 3, 1), 175);
    EXPECT_EQ(EasedAlphaAt(img, img.W, 3, 1), 239);
    // A lone pixel is faint but there.
    EXPECT_EQ(EasedAlphaAt(FromRows({"...", ".#.", "..."}), 3, 1, 1), 64);
}

TEST(BakedShadow, FallsToTheLowerRightOfEveryTurnAndNeverUnderTheOpaquePiece)
{
    // An L-shaped piece, 6 x 4, so that every turn differs.
    const OMyImage upright = FromRows({"######", "######", "##....", "##...."}, 180);
    const int w = 6, h = 4;
    // The rotation strip: squares of side 6, each turn at its square's top left.
    OMyImage strip(24, 6, true);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = MyImageGetLineXY(upright, x, y);
            const int pos[4][2] = {{x, y}, {6 + h - 1 - y, x}, {12 + w - 1 - x, h - 1 - y}, {18 + y, w - 1 - x}};
            for (const auto& p : pos)
                std::memcpy(MyImageGetLineXY(strip, p[0], p[1]), s, 4);
        }
    const TShadowLook& look = kShadowLook;
    std::vector<uint8_t> shadow;
    MakeShadowAlpha(upright, w, h, look, shadow);
    ASSERT_EQ(shadow.size(), size_t(w + 2 * look.Margin()) * size_t(h + 2 * look.Margin()));
    for (int r = 0; r < 4; ++r) {
        const bool odd = r % 2 == 1;
        const int dw = odd ? h : w, dh = odd ? w : h;
        const int cw = dw + look.ExtraW(), ch = dh + look.ExtraH();
        std::vector<uint8_t> cell(size_t(cw) * size_t(ch) * 4);
        BakeShadowedCell(strip, 6, r, w, h, shadow, nullptr, look, cell.data(), size_t(cw) * 4);
        auto at = [&](int u, int v) { return cell.data() + (size_t(v) * size_t(cw) + size_t(u)) * 4; };
        for (int v = 0; v < ch; ++v)
            for (int u = 0; u < cw; ++u) {
                const bool inside = u < dw && v < dh && MyImageGetLineXY(strip, r * 6 + u, v)[3] != 0;
                const uint8_t* p = at(u, v);
                if (inside && EasedAlphaAt(strip, 6, r * 6 + u, v) == 255) {
                    ASSERT_EQ(p[0], 180) << "the piece's own colour, untouched";
                    ASSERT_EQ(p[3], 255);
                } else if (!inside) {
                    ASSERT_EQ(p[0], 0) << "a shadow is black";
                }
            }
        // Just past the bottom-right corner of the turned box the shadow
        // shows; as far to the top left outside the box it does not.
        int lastU = 0;
        for (int u = 0; u < dw; ++u)
            if (MyImageGetLineXY(strip, r * 6 + u, 0)[3] != 0)
                lastU = u;
        EXPECT_GT(at(lastU + look.offsetX, look.offsetY)[3], 0) << "turn " << r;
        EXPECT_EQ(at(cw - 1, 0)[3], 0) << "turn " << r;
        // Where the shadow may not fall, nothing of it is left.
        std::vector<uint8_t> none(size_t(cw) * size_t(ch), 0), bare(cell.size());
        BakeShadowedCell(strip, 6, r, w, h, shadow, none.data(), look, bare.data(), size_t(cw) * 4);
        for (int v = 0; v < ch; ++v)
            for (int u = 0; u < cw; ++u) {
                const bool inside = u < dw && v < dh;
                const uint8_t a = bare[(size_t(v) * size_t(cw) + size_t(u)) * 4 + 3];
                ASSERT_EQ(a, inside ? EasedAlphaAt(strip, 6, r * 6 + u, v) : 0) << u << "," << v;
            }
    }
}

namespace {

// The reference's cell: BakeShadowedCell over MakeShadowAlpha's shadow, the
// allowed map spelled out pixel by pixel.
std::vector<uint8_t> ReferenceCell(const OMyImage& img, int cellW, int r, int w, int h, const TShadowLook& look,
                                   bool shadows, const TShadowBlockers* blockers)
{
    std::vector<uint8_t> shadow, allowed;
    if (shadows)
        MakeShadowAlpha(img, w, h, look, shadow);
    const int cw = (r % 2 ? h : w) + look.ExtraW(), ch = (r % 2 ? w : h) + look.ExtraH();
    allowed.resize(size_t(cw) * size_t(ch));
    for (int v = 0; v < ch; ++v)
        for (int u = 0; u < cw; ++u)
            allowed[size_t(v) * size_t(cw) + size_t(u)] = !blockers || blockers->Allows(r, u, v);
    std::vector<uint8_t> cell(size_t(cw) * size_t(ch) * 4);
    BakeShadowedCell(img, cellW, r, w, h, shadow, allowed.data(), look, cell.data(), size_t(cw) * 4);
    return cell;
}

// The baker's cell, written over garbage (every byte must be its own), in
// a wider buffer so that a stray write beyond the cell shows.
std::vector<uint8_t> BakedCell(OCellBaker& baker, int r, int w, int h, const TShadowLook& look,
                               const TShadowBlockers* blockers)
{
    const int cw = (r % 2 ? h : w) + look.ExtraW(), ch = (r % 2 ? w : h) + look.ExtraH();
    const size_t stride = size_t(cw + 3) * 4;
    std::vector<uint8_t> wide(stride * size_t(ch), 0xAB), cell;
    baker.Bake(r, blockers, wide.data(), stride);
    for (int v = 0; v < ch; ++v) {
        const uint8_t* row = wide.data() + size_t(v) * stride;
        cell.insert(cell.end(), row, row + size_t(cw) * 4);
        for (size_t k = size_t(cw) * 4; k < stride; ++k)
            EXPECT_EQ(row[k], 0xAB) << "written past the cell in row " << v;
    }
    return cell;
}

// The first byte where two cells differ, -1 none (vectors of bytes print too long).
long FirstDiff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size())
        return 0;
    const auto d = std::mismatch(a.begin(), a.end(), b.begin());
    return d.first == a.end() ? -1 : long(d.first - a.begin());
}

TShadowLook LookFor(bool shadows)
{
    TShadowLook look = kShadowLook;
    if (!shadows)
        look.offsetX = look.offsetY = look.blur1 = look.blur2 = 0;
    return look;
}

// A rotation strip as the cutter makes one: the w x h box of square 0 from
// `pixel` (called once per box pixel, RGBA), squares 1 .. 3 its quarter
// turns clockwise, each at its square's top left, clear everywhere else.
template <typename PixelFn>
void FillTurnedStrip(OMyImage& strip, int s, int w, int h, PixelFn pixel)
{
    std::memset(strip.pMem, 0, strip.ByteCount());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixel(MyImageGetLineXY(strip, x, y));
    for (int r = 1; r < 4; ++r) {
        const int dw = r % 2 ? h : w, dh = r % 2 ? w : h;
        for (int v = 0; v < dh; ++v)
            for (int u = 0; u < dw; ++u) {
                int x = u, y = v;  // the upright pixel turned copy r shows at (u, v)
                switch (r) {
                case 1: x = v, y = h - 1 - u; break;
                case 2: x = w - 1 - u, y = h - 1 - v; break;
                default: x = w - 1 - v, y = u; break;
                }
                std::memcpy(MyImageGetLineXY(strip, r * s + u, v), MyImageGetLineXY(strip, x, y), 4);
            }
    }
}

}  // namespace

// The atlas bakes with OCellBaker: every byte must be the reference's, for
// pieces the cutter really makes (strips of four turns, the wide frame) and
// for noise that puts outline pixels everywhere, word and chunk edges included.
TEST(AtlasBake, GivesTheReferenceBytesForRealPiecesInEveryTurnWithAndWithoutShadows)
{
    struct Case { int w, h, level, style, border; };
    for (const Case c : {Case{480, 360, 13, 0, 1}, Case{640, 480, 6, 1, 0}, Case{400, 300, 9, 2, 0}}) {
        TJigParams p = CutParams(c.w, c.h, c.level, c.style, c.border, true);
        std::vector<TJig> jigs;
        OMyImagePtr masks;
        ASSERT_EQ(RunCut(p, jigs, masks, 31u + uint32_t(c.level)), TCutStatus::Done);
        const OMyImagePtr picture = MakeTestPicture(c.w, c.h, 7);
        std::vector<OMyImage> images;
        BuildPieceImages(*picture, *masks, jigs, p.TotalTileNum, true, 1, true, images);
        TCodePlane plane;
        plane.From(*masks);
        OCellBaker baker;
        for (int i = 0; i < p.TotalTileNum; ++i) {
            const TJig& j = jigs[size_t(i)];
            const OMyImage& img = images[size_t(i)];
            const int w = std::min(j.W, img.W), h = std::min(j.H, img.H);
            const bool strip = PieceHasStrip(j, true);
            const int cellW = strip ? img.H : img.W;
            for (bool shadows : {true, false}) {
                const TShadowLook look = LookFor(shadows);
                baker.SetPiece(img, cellW, w, h, look, shadows);
                for (int r = 0; r < (strip ? 4 : 1); ++r) {
                    // Turn by turn and piece by piece: the neighbours of odd
                    // index keep the shadow off their pixels (a few codes), or
                    // every code but the piece's own does (more than a few),
                    // or nothing keeps it off.
                    TShadowBlockers b;
                    b.plane = &plane;
                    b.homeX = j.HomeX, b.homeY = j.HomeY, b.boxW = j.W, b.boxH = j.H;
                    const int kind = (i + r) % 3;
                    if (kind == 0) {
                        for (int16_t nb : j.Nb)
                            if (nb >= 0 && (nb + r) % 2 == 1)
                                b.blocks[jigs[size_t(nb)].MaskColor] = 1;
                    } else {
                        b.blocks.fill(1);
                        b.blocks[j.MaskColor] = 0;
                    }
                    const TShadowBlockers* blockers = kind == 2 ? nullptr : &b;
                    ASSERT_EQ(FirstDiff(BakedCell(baker, r, w, h, look, blockers),
                                        ReferenceCell(img, cellW, r, w, h, look, shadows, blockers)), -1)
                        << "level " << c.level << " piece " << i << " turn " << r << " shadows " << shadows;
                }
            }
        }
    }
    std::mt19937 rng(5);
    // Any nonzero alpha counts as opaque.
    const auto noise = [&rng](uint8_t* px) {
        const unsigned k = rng() % 8;
        px[0] = uint8_t(rng()), px[1] = uint8_t(rng()), px[2] = uint8_t(rng());
        px[3] = k < 2 ? 0 : k == 2 ? uint8_t(1 + rng() % 254) : 255;
    };
    for (const auto& [w, h] : {std::pair{1, 1}, {2, 3}, {15, 17}, {16, 16}, {63, 5}, {64, 9}, {65, 66}, {130, 40}}) {
        // A single picture larger than its box: the pixels outside the box too are neighbours.
        OMyImage single(w + 3, h + 2, true);
        for (int y = 0; y < single.H; ++y)
            for (int x = 0; x < single.W; ++x)
                noise(MyImageGetLineXY(single, x, y));
        for (bool shadows : {true, false}) {
            OCellBaker baker;
            const TShadowLook look = LookFor(shadows);
            baker.SetPiece(single, single.W, w, h, look, shadows);
            ASSERT_EQ(FirstDiff(BakedCell(baker, 0, w, h, look, nullptr),
                                ReferenceCell(single, single.W, 0, w, h, look, shadows, nullptr)), -1)
                << w << "x" << h << " single picture, shadows " << shadows;
        }
        const int s = std::max(w, h);
        OMyImage strip(4 * s, s, true);
        FillTurnedStrip(strip, s, w, h, noise);
        // The atlas's pages keep their texels BGRA: the same bytes, red and blue swapped.
        OCellBaker baker, bgraBaker(TTexelOrder::Bgra);
        for (bool shadows : {true, false}) {
            const TShadowLook look = LookFor(shadows);
            baker.SetPiece(strip, s, w, h, look, shadows);
            bgraBaker.SetPiece(strip, s, w, h, look, shadows);
            std::vector<uint8_t> shadow;
            if (shadows)
                MakeShadowAlpha(strip, w, h, look, shadow);
            EXPECT_EQ(baker.Shadow(), shadow) << w << "x" << h;
            for (int r = 0; r < 4; ++r) {
                std::vector<uint8_t> want = ReferenceCell(strip, s, r, w, h, look, shadows, nullptr);
                ASSERT_EQ(FirstDiff(BakedCell(baker, r, w, h, look, nullptr), want), -1)
                    << w << "x" << h << " turn " << r << " shadows " << shadows;
                for (size_t k = 0; k < want.size(); k += 4)
                    std::swap(want[k], want[k + 2]);
                ASSERT_EQ(FirstDiff(BakedCell(bgraBaker, r, w, h, look, nullptr), want), -1)
                    << w << "x" << h << " turn " << r << " shadows " << shadows << " BGRA";
            }
        }
    }
}

TEST(AtlasBake, TheCodePlaneHoldsEachMaskPixelsCodeOnAnyNumberOfThreads)
{
    // 21 columns: one block of sixteen and a tail; rows for bands of 64 and a tail.
    OMyImage masks(21, 150, true);
    for (int y = 0; y < masks.H; ++y)
        for (int x = 0; x < masks.W; ++x) {
            uint8_t* p = MyImageGetLineXY(masks, x, y);
            p[0] = 128, p[1] = uint8_t(x), p[2] = uint8_t(7 * x + 50 * y), p[3] = 255;
        }
    for (int threads : {1, 2, 5}) {
        TCodePlane plane;
        plane.codes.assign(size_t(21 * 150), 0xEE);  // a plane made before leaves nothing behind
        plane.From(masks, threads);
        ASSERT_EQ(plane.codes.size(), size_t(21 * 150));
        for (int y = 0; y < masks.H; ++y)
            for (int x = 0; x < masks.W; ++x)
                ASSERT_EQ(plane.codes[size_t(y) * 21 + size_t(x)], uint8_t(7 * x + 50 * y)) << x << "," << y;
    }
}

// The atlas leaves every byte of a cell to the baker and zeroes only the
// rest of the shelf: painted cells and zeroed gaps must cover a block's
// shelf space exactly, whatever the turns' sizes, the shelf's height and
// the shelf's end.
TEST(AtlasBlocks, TheGapsAndTheCellsCoverTheBlocksShelfExactly)
{
    struct Case {
        const char* name;
        int copies, pitch, blockW, shelfH, tailW;
        int cw[4], ch[4];
    };
    const Case cases[] = {
        {"one cell filling its block", 1, 30, 30, 25, 0, {30}, {25}},
        {"one cell on a taller shelf, ending it", 1, 30, 30, 40, 17, {30}, {25}},
        {"a strip, wide piece, turns alternating", 4, 40, 160, 40, 0, {38, 29, 38, 29}, {29, 38, 29, 38}},
        {"a strip on a taller shelf ending it", 4, 40, 160, 52, 9, {35, 22, 35, 22}, {22, 35, 22, 35}},
        {"a strip of square cells filling the pitch", 4, 24, 96, 24, 3, {24, 24, 24, 24}, {24, 24, 24, 24}},
        {"an empty cell", 1, 10, 10, 12, 5, {0}, {0}},
    };
    for (const Case& c : cases) {
        const int W = c.blockW + c.tailW;
        // 0xAA: not yet written; the baker's cells 0x55; gaps must become 0.
        std::vector<uint8_t> page(size_t(W) * size_t(c.shelfH) * 4 + 64, 0xAA);
        const size_t stride = size_t(W) * 4;
        for (int r = 0; r < c.copies; ++r)
            for (int y = 0; y < c.ch[r]; ++y)
                std::memset(page.data() + size_t(y) * stride + size_t(r * c.pitch) * 4, 0x55, size_t(c.cw[r]) * 4);
        ZeroAtlasBlockGaps(c.cw, c.ch, c.copies, c.pitch, c.blockW, c.shelfH, c.tailW, page.data(), stride);
        for (int y = 0; y < c.shelfH; ++y)
            for (int x = 0; x < W; ++x) {
                const int r = std::min(x / c.pitch, c.copies - 1), u = x - r * c.pitch;
                const bool cell = x < c.blockW && u < c.cw[r] && y < c.ch[r];
                ASSERT_EQ(page[size_t(y) * stride + size_t(x) * 4], cell ? 0x55 : 0) << c.name << " at " << x << "," << y;
            }
        for (size_t k = size_t(W) * size_t(c.shelfH) * 4; k < page.size(); ++k)
            ASSERT_EQ(page[k], 0xAA) << c.name << ": written past the shelf";
    }
}

// The atlas's blur works sixteen pixels at a time with a multiply for the
// division: every radius it takes on must still give the reference's bytes,
// for shadows narrower than one step, one step exactly and a step and a tail.
TEST(AtlasBake, EveryBlurRadiusAndOffsetGivesTheReferenceShadow)
{
    // Offsets beyond the blur's reach leave a clear band at the cell's top
    // left; offsets short of it cut the shadow off there (offset -1: the reach + 1).
    struct Blur { int blur1, blur2, offsetX, offsetY; };
    std::mt19937 rng(11);
    for (const Blur b : {Blur{1, 1, -1, -1}, Blur{2, 3, -1, -1}, Blur{3, 2, -1, -1}, Blur{0, 3, -1, -1},
                         Blur{4, 1, -1, -1}, Blur{2, 1, 0, 1}, Blur{1, 1, 20, 2}})
        for (const auto& [w, h] : {std::pair{1, 1}, {9, 4}, {12, 12}, {13, 20}, {40, 23}}) {
            TShadowLook look = kShadowLook;
            look.blur1 = b.blur1, look.blur2 = b.blur2;
            look.offsetX = b.offsetX < 0 ? look.Margin() + 1 : b.offsetX;
            look.offsetY = b.offsetY < 0 ? look.Margin() + 1 : b.offsetY;
            const int s = std::max(w, h);
            OMyImage strip(4 * s, s, true);
            FillTurnedStrip(strip, s, w, h, [&rng](uint8_t* px) {
                px[0] = uint8_t(rng()), px[1] = uint8_t(rng()), px[2] = uint8_t(rng());
                px[3] = rng() % 3 == 0 ? 0 : 255;
            });
            OCellBaker baker;
            baker.SetPiece(strip, s, w, h, look, true);
            std::vector<uint8_t> shadow;
            MakeShadowAlpha(strip, w, h, look, shadow);
            ASSERT_EQ(baker.Shadow(), shadow) << "radii " << b.blur1 << "," << b.blur2 << " box " << w << "x" << h;
            for (int r = 0; r < 4; ++r)
                ASSERT_EQ(FirstDiff(BakedCell(baker, r, w, h, look, nullptr),
                                    ReferenceCell(strip, s, r, w, h, look, true, nullptr)), -1)
                    << "radii " << b.blur1 << "," << b.blur2 << " offset " << look.offsetX << "," << look.offsetY << " box " << w << "x" << h << " turn " << r;
        }
}

// The baker reads its sixteen pixels a step on past a row's end into the
// next row, but never past the image's last byte: a piece image may end
// where its block of memory does (the last of a game's pieces). Here every
// image ends right before a page that may not be read.
TEST(AtlasBake, ReadsNothingPastTheEndOfAnImageThatEndsItsMemory)
{
    const size_t pageBytes = size_t(sysconf(_SC_PAGESIZE));
    std::mt19937 rng(17);
    for (const auto& [w, h] : {std::pair{1, 1}, {5, 3}, {16, 16}, {17, 9}, {31, 40}, {64, 33}}) {
        for (bool strip : {true, false}) {
            const int s = std::max(w, h), iw = strip ? 4 * s : w, ih = strip ? s : h;
            const size_t bytes = size_t(iw) * size_t(ih) * 4;
            const size_t span = (bytes + pageBytes - 1) / pageBytes * pageBytes;
            void* map = mmap(nullptr, span + pageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            ASSERT_NE(map, MAP_FAILED);
            uint8_t* const block = static_cast<uint8_t*>(map);
            ASSERT_EQ(mprotect(block + span, pageBytes, PROT_NONE), 0);
            const std::shared_ptr<uint8_t> shared(block, [span, pageBytes](uint8_t* p) { munmap(p, span + pageBytes); });
            OMyImage img;
            MyImagePlaceOn(img, shared, block + span - bytes, iw, ih, true);
            const auto pixel = [&rng](uint8_t* px) {  // opaque but for a few holes
                for (int c = 0; c < 3; ++c)
                    px[c] = uint8_t(rng());
                px[3] = uint8_t(rng() % 5 == 0 ? 0 : 255);
            };
            if (strip) {
                FillTurnedStrip(img, s, w, h, pixel);
            } else {
                for (size_t k = 0; k < bytes; k += 4)
                    pixel(img.pMem + k);
            }
            OCellBaker baker;
            for (bool shadows : {true, false}) {
                const TShadowLook look = LookFor(shadows);
                baker.SetPiece(img, strip ? s : iw, w, h, look, shadows);
                for (int r = 0; r < (strip ? 4 : 1); ++r)
                    ASSERT_EQ(FirstDiff(BakedCell(baker, r, w, h, look, nullptr),
                                        ReferenceCell(img, strip ? s : iw, r, w, h, look, shadows, nullptr)), -1)
                        << w << "x" << h << " strip " << strip << " turn " << r;
            }
        }
    }
}
