#include "model/puzzle.h"

#include "model/game_cut.h"
#include "model/game_picture.h"
#include "model/game_state.h"
#include "model/edge_pieces.h"
#include "model/play_rules.h"
#include "model/undo.h"
#include "platform/platform.h"

#include "base/run_threads.h"

#include <algorithm>
#include <atomic>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

TJigParams JigP;
std::vector<TJig> Jigs;
std::vector<TSortedJig> SortedJigs;
std::vector<OMyImage> arPicJigs;
int32_t iCurJig = -1;
bool bGameSolved = false;
TDragJig DragJigP;
OMyImagePtr miOriginalImage;
OMyImagePtr miJigs;
OMyImagePtr miMasks;
std::vector<uint8_t> arMaskPart;
bool bMaskPartAsRead = false;
TJigHitMasks JigHitMasks;
OMyImagePtr miInfoThumb;
std::string g_JigDesc;
TJigParams NewJigP;
TJigParams DefJigP;
OMyImagePtr miReadThumb;

void CreateJigsBuf(int count)
{
    FreeJigsBuf();
    if (count < 0)
        count = 0;
    Jigs.assign(size_t(count), TJig{});
    SortedJigs.assign(size_t(count), TSortedJig{});
}

void FreeJigsBuf()
{
    Jigs.clear();
    Jigs.shrink_to_fit();
    SortedJigs.clear();
    SortedJigs.shrink_to_fit();
    arPicJigs.clear();
    arPicJigs.shrink_to_fit();
    JigHitMasks = TJigHitMasks{};
}

namespace {

size_t HitWordsPerRow(int w) { return (size_t(w) + 63) / 64; }
constexpr size_t kNoHitMask = SIZE_MAX;  // arStart of an image that had no pixels

}  // namespace

namespace {

// Row y of img as hit bits (a pixel whose alpha is not 0), into the zeroed words at bits.
void HitRow(const OMyImage& img, int y, uint64_t* bits)
{
    int x = 0;
    if (!img.bAlpha) {
        for (; x < img.W; ++x)
            bits[size_t(x) >> 6] |= uint64_t(1) << (x & 63);
        return;
    }
    const uint8_t* a = MyImageGetLineXY(img, 0, y);
#if defined(__SSE2__)
    if (img.iBPP == 4) {
        // Sixteen pixels a step: their alpha bytes packed, compared with 0.
        const __m128i zero = _mm_setzero_si128();
        for (; x + 16 <= img.W; x += 16) {
            const __m128i* q = reinterpret_cast<const __m128i*>(a + ptrdiff_t(x) * 4);
            const __m128i a0 = _mm_srli_epi32(_mm_loadu_si128(q), 24), a1 = _mm_srli_epi32(_mm_loadu_si128(q + 1), 24);
            const __m128i a2 = _mm_srli_epi32(_mm_loadu_si128(q + 2), 24), a3 = _mm_srli_epi32(_mm_loadu_si128(q + 3), 24);
            const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(a0, a1), _mm_packs_epi32(a2, a3));
            const unsigned set = ~unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(packed, zero))) & 0xFFFFu;
            bits[size_t(x) >> 6] |= uint64_t(set) << (x & 63);
        }
    }
#endif
    for (a += ptrdiff_t(x) * img.iBPP + 3; x < img.W; ++x, a += img.iBPP)
        if (*a != 0)
            bits[size_t(x) >> 6] |= uint64_t(1) << (x & 63);
}

}  // namespace

void DropPieceImagePixels()
{
    TJigHitMasks m;
    m.arStart.resize(arPicJigs.size());
    size_t words = 0;
    for (size_t i = 0; i < arPicJigs.size(); ++i) {
        m.arStart[i] = kNoHitMask;
        if (arPicJigs[i].HasPixels()) {
            m.arStart[i] = words;
            words += HitWordsPerRow(arPicJigs[i].W) * size_t(arPicJigs[i].H);
        }
    }
    m.arBits.assign(words, 0);
    // Every image's words are its own: the images are shared out over the cores.
    std::atomic<size_t> next{0};
    constexpr size_t kChunk = 64;
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1,
                                   int(std::max<size_t>(1, arPicJigs.size() / kChunk)));
    RunOnThreads(threads, [&] {
        for (size_t c = next.fetch_add(kChunk); c < arPicJigs.size(); c = next.fetch_add(kChunk))
            for (size_t i = c; i < std::min(arPicJigs.size(), c + kChunk); ++i) {
                const OMyImage& img = arPicJigs[i];
                if (!img.HasPixels())
                    continue;
                const size_t rowWords = HitWordsPerRow(img.W);
                for (int y = 0; y < img.H; ++y)
                    HitRow(img, y, m.arBits.data() + m.arStart[i] + size_t(y) * rowWords);
            }
    });
    // The images share one block: it goes with the last of them.
    for (OMyImage& img : arPicJigs)
        MyImageDropPixels(img);
    JigHitMasks = std::move(m);
}

bool PieceImagePixelsDropped() { return !JigHitMasks.arStart.empty(); }

bool JigImageOpaqueAt(int i, int x, int y)
{
    if (i < 0 || size_t(i) >= arPicJigs.size())
        return true;
    const OMyImage& img = arPicJigs[size_t(i)];
    if (img.HasPixels())
        return MyImageGetPixelAlpha(img, x, y) != 0;
    if (size_t(i) >= JigHitMasks.arStart.size() || JigHitMasks.arStart[size_t(i)] == kNoHitMask || x < 0 ||
        y < 0 || x >= img.W || y >= img.H)
        return true;
    const uint64_t word =
        JigHitMasks.arBits[JigHitMasks.arStart[size_t(i)] + size_t(y) * HitWordsPerRow(img.W) + (size_t(x) >> 6)];
    return ((word >> (x & 63)) & 1) != 0;
}

bool SetImageSize(int forPlay)
{
    if (forPlay == 0) {
        NewJigP.FitW = NewJigP.ImageW;
        NewJigP.FitH = NewJigP.ImageH;
        PropReduceWH(&NewJigP.FitW, &NewJigP.FitH, iMaxMainViewW, iMaxMainViewH);
        return true;
    }
    if (!miOriginalImage || !miOriginalImage->HasPixels())
        return false;
    const OMyImage& src = *miOriginalImage;
    const bool fit = NewJigP.FitToScreen &&
                     (NewJigP.FitW != NewJigP.ImageW || NewJigP.FitH != NewJigP.ImageH);
    const int w = fit ? JigP.FitW : src.W;
    const int h = fit ? JigP.FitH : src.H;
    OMyImagePtr play = w > 0 && h > 0 ? MyImageCreateExt(w, h, true) : nullptr;
    if (!play)
        return false;
    if (fit)
        MyImageSmoothResize(*play, src);
    else
        MyImageCopyRect(*play, 0, 0, w, h, src, 0, 0, false);
    miJigs = std::move(play);
    GamePicture_Forget();
    JigP.ImageW = w;
    JigP.ImageH = h;
    return true;
}

void UpdateJigDrawCoords(int i)
{
    TJig& j = JigAt(i);
    const bool odd = (j.Rot & 1) != 0;
    j.DrawW = odd ? j.H : j.W;
    j.DrawH = odd ? j.W : j.H;
    j.SrcX = imax(j.W, j.H) * j.Rot;
    j.SrcY = 0;
}

void GameChanged()
{
    AutoSaveP.bNeedSave = true;
    AutoSaveP.bNeedAutoSave = AutoSaveP.bNeedSave;
    Platform().SetEdited(AutoSaveP.bNeedSave);
}

void UpdateDraggedJigScr()
{
    if (DragJigP.State == kDragPieces && iCurJig >= 0 && size_t(iCurJig) < Jigs.size())
        FieldHost().FillStillBuf(kComposeWithoutDragged);
    else if (FieldHost().IsWeightVisible())
        FieldHost().FillStillBuf(kComposeAll);
}

void Model_Reset()
{
    FreeJigsBuf();
    JigP = TJigParams{};
    NewJigP = TJigParams{};
    DefJigP = TJigParams{};
    DefJigP.Level = 5;
    DefJigP.FitToScreen = 1;
    iCurJig = -1;
    bGameSolved = false;
    DragJigP = TDragJig{};
    miOriginalImage.reset();
    miJigs.reset();
    GamePicture_Forget();
    miMasks.reset();
    arMaskPart.clear();
    arMaskPart.shrink_to_fit();
    bMaskPartAsRead = false;
    miInfoThumb.reset();
    miReadThumb.reset();
    g_JigDesc.clear();
    Cutting_SetPieceTextureMaker(nullptr);
    PlayRules_Reset();
    Undo_Clear();
    EdgePieces_Reset();
    GameState_Reset();
}
