// Saved games: the readers (every size checked before it is trusted), the
// writer, and the two crash-safe ways of saving.
#include "files/files.h"

#include "cutting/cutting.h"
#include "cutting/piece_images.h"

#include "platform/platform.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstring>
#include <unistd.h>

OPocketsP PocketsP;

namespace {

constexpr uint32_t kMaxSolveDescBytes = 256u << 10;

template <class T>
void AppendRaw(std::vector<uint8_t>& b, const T& v)
{
    const auto* p = reinterpret_cast<const uint8_t*>(&v);
    b.insert(b.end(), p, p + sizeof(T));
}

void AppendI32(std::vector<uint8_t>& b, int32_t v) { AppendRaw(b, v); }

// ---- Reading helpers ------------------------------------------------------------------

bool ParamsUsable(const TJigParams& p)
{
    return p.ImageW >= 1 && p.ImageH >= 1 && p.ImageW <= kMyImageMaxSide && p.ImageH <= kMyImageMaxSide &&
           int64_t(p.ImageW) * p.ImageH <= kMyImageMaxPixels && p.TotalTileNum >= 1 &&
           p.TotalTileNum <= kSolveMaxPieces && p.Rotate <= 1 && p.BorderStyle <= 1 &&
           p.ShapeStyle < kShapeStyleCount;
}

// A picture part must declare exactly the working picture's size.
bool PartHasSize(const std::vector<uint8_t>& part, int w, int h)
{
    int pw = 0, ph = 0;
    return PictureSniffSize(part.data(), part.size(), &pw, &ph) && pw == w && ph == h;
}

// A piece is usable when its box lies in the picture, its window, rotation
// and neighbours are valid: the play field indexes with all of them. A piece
// whose image has no turned copies (no rotation, or the frame) stays upright.
bool JigUsable(const TJig& j, const TJigParams& p)
{
    if (j.Rot != 0 && !PieceHasStrip(j, p.Rotate != 0))
        return false;
    if (j.Win > 5 || j.Rot > 3 || j.W < 1 || j.H < 1 || j.HomeX < 0 || j.HomeY < 0 ||
        int64_t(j.HomeX) + j.W > p.ImageW || int64_t(j.HomeY) + j.H > p.ImageH)
        return false;
    for (int16_t nb : j.Nb)
        if (nb < -1 || nb >= p.TotalTileNum)
            return false;
    return true;
}

bool ReadPocket(OBinReader& f, TPocketRec* r)
{
    uint8_t b[2];
    int32_t v[6];
    if (!f.Read(b, 2))
        return false;
    for (int32_t& x : v)
        if (!f.ReadI32(&x))
            return false;
    r->bScroll = b[0];
    r->bVisible = b[1] ? 1 : 0;
    r->mrWin = MakeTRect(v[0], v[1], v[2], v[3]);
    r->iScrollL = v[4];
    r->iScrollT = v[5];
    return true;
}

bool ReadStateBlock(OBinReader& f, TSolveFile* s)
{
    const int32_t n = s->Params.TotalTileNum;
    // The block, tail excepted, must be wholly present before the table is made.
    if (!f.Seek(s->StateOfs) || f.Left() < int64_t(SolveFile_StateBlockSize(n)) - kSolveTailBytes)
        return false;
    if (!f.Read(&s->WinP, sizeof s->WinP) || !f.Read(&s->CurMA, sizeof s->CurMA))
        return false;
    s->Jigs.assign(size_t(n), TJig{});
    if (!f.Read(s->Jigs.data(), sizeof(TJig) * size_t(n)))
        return false;
    for (const TJig& j : s->Jigs)
        if (!JigUsable(j, s->Params))
            return false;
    // Boxes that each cover most of the picture would make the piece images
    // cost many times what any cut makes: refused before anything is built.
    if (PieceImagesBytes(s->Jigs.data(), n, s->Params.Rotate != 0) >
        PieceImagesBudget(s->Params.ImageW, s->Params.ImageH, s->Params.Rotate != 0)) {
        SetOpenFault(TOpenFault::Costly);
        return false;
    }
    for (TPocketRec& r : s->Pockets)
        if (!ReadPocket(f, &r))
            return false;
    s->bHasTail = false;
    s->iWeightJig = -1;
    uint32_t marker = 0;
    int32_t weight = -1;
    if (f.Left() >= kSolveTailBytes && f.ReadU32(&marker) && f.ReadI32(&weight) && marker == kSolveTailMarker) {
        s->bHasTail = true;
        s->iWeightJig = weight >= 0 && weight < n ? weight : -1;
    }
    return true;
}

}  // namespace

// ---- Piece image budget -----------------------------------------------------------------

int64_t PieceImagesBytes(const TJig* jigs, int count, bool rotate)
{
    int64_t bytes = 0;
    for (int i = 0; i < count; ++i) {
        const TJig& j = jigs[i];
        const int64_t w = imax(j.W, 0), h = imax(j.H, 0), side = std::max(w, h);
        bytes += PieceHasStrip(j, rotate) ? 4 * side * side * 4 : w * h * 4;
    }
    return bytes;
}

int64_t PieceImagesBudget(int w, int h, bool rotate)
{
    // Real cuts of every style and level need at most about 13.5 times the
    // picture's bytes with rotation (the four turned copies of boxes that
    // overlap by their tabs) and under 3 times without; about twice that is
    // allowed. Small pictures get a floor, so that odd small cuts are never refused.
    const int64_t room = rotate ? 28 : 8;
    constexpr int64_t kFloor = int64_t(64) << 20;
    const int64_t picture = int64_t(imax(w, 0)) * imax(h, 0) * 4;
    return std::min(kMaxPieceImageBytes, std::max(kFloor, picture * room));
}

bool SolveFile_GameReadable()
{
    const int32_t n = JigP.TotalTileNum;
    if (!ParamsUsable(JigP) || n < 1 || size_t(n) > Jigs.size())
        return false;
    for (int32_t i = 0; i < n; ++i)
        if (!JigUsable(JigAt(i), JigP))
            return false;
    return PieceImagesBytes(Jigs.data(), n, JigP.Rotate != 0) <= PieceImagesBudget(JigP.ImageW, JigP.ImageH, JigP.Rotate != 0);
}

// ---- Reading --------------------------------------------------------------------------

bool SolveFile_ReadHead(OBinReader& f, TSolveFile* s)
{
    char magic[11];
    uint32_t seed = 0, nameLen = 0;
    if (!f.Seek(0) || !f.Read(magic, 11) || std::memcmp(magic, kSolveMagic, 11) != 0)
        return false;
    if (!f.ReadU32(&seed) || !f.ReadU32(&s->StateOfs) || !f.ReadU32(&nameLen))
        return false;
    if (nameLen < 1 || nameLen > kSolveMaxNameBytes || int64_t(nameLen) > f.Left())
        return false;
    std::string name(nameLen, '\0');
    if (!f.Read(name.data(), nameLen) || name.back() != '\0')
        return false;
    s->sName = name.substr(0, name.find('\0'));
    s->GameSeed = int32_t(seed);
    if (!f.Read(&s->Params, sizeof s->Params) || !ParamsUsable(s->Params))
        return false;
    if (!SaveBigFilePartToData(f, kKeyThumb, false, kMaxThumbPartBytes, &s->Thumb, &s->DataOfs))
        return false;
    // The state block lies after the parts and is wholly in the file.
    const int64_t minState = s->DataOfs + 3 * 4;
    return int64_t(s->StateOfs) >= minState &&
           int64_t(s->StateOfs) + int64_t(SolveFile_StateBlockSize(s->Params.TotalTileNum)) - kSolveTailBytes <=
               f.Size();
}

bool SolveFile_ReadBody(OBinReader& f, TSolveFile* s)
{
    const TJigParams& p = s->Params;
    const uint64_t pixels = uint64_t(p.ImageW) * uint64_t(p.ImageH);
    const uint32_t maxPicture = uint32_t(54 + 4 * pixels + 4096);
    const uint32_t maxMask = uint32_t(4 * pixels + (1u << 20));
    int64_t descEnd = 0;
    if (!f.Seek(s->DataOfs) || !SaveBigFilePartToData(f, kKeySolvePicture, false, maxPicture, &s->Picture) ||
        !SaveBigFilePartToData(f, kKeySolveMask, false, maxMask, &s->Mask) ||
        !SaveBigFilePartToData(f, kKeySolveDesc, false, kMaxSolveDescBytes, &s->Desc, &descEnd))
        return false;
    if (!PartHasSize(s->Picture, p.ImageW, p.ImageH) || !PartHasSize(s->Mask, p.ImageW, p.ImageH))
        return false;
    if (int64_t(s->StateOfs) < descEnd)
        return false;  // the state block would overlap the parts
    return ReadStateBlock(f, s);
}

bool OpenSolveData_ForListOrPreview(OBinReader& f, bool listOnly)
{
    TSolveFile s;
    if (!SolveFile_ReadHead(f, &s))
        return false;
    OMyImagePtr thumb = DecodeThumbnail(s.Thumb);
    if (!thumb)
        return false;
    miReadThumb = std::move(thumb);
    if (!listOnly) {
        FileNames.sNewJig = s.sName;
        NewJigP = s.Params;
        NewJigP.SideNum = 1;
        NewJigP.Reserved96 = 0;
        NewJigP.DataOfs = int32_t(s.DataOfs);
    }
    return true;
}

bool OpenSolveFile_ForListOrPreview(const std::string& path, bool listOnly)
{
    OBinReader f;
    return f.OpenFile(path) && OpenSolveData_ForListOrPreview(f, listOnly);
}

// ---- The state block --------------------------------------------------------------------

size_t SolveFile_StateBlockSize(int32_t pieces)
{
    return sizeof(TWinParams) + sizeof(MOUSE_SCHEMA) + sizeof(TJig) * size_t(pieces) +
           size_t(kPocketCount * kPocketRecBytes + kSolveTailBytes);
}

std::vector<uint8_t> SolveFile_StateBlock()
{
    const int32_t n = JigP.TotalTileNum;
    assert(n >= 0 && size_t(n) <= Jigs.size());
    std::vector<uint8_t> b;
    b.reserve(SolveFile_StateBlockSize(n));
    AppendRaw(b, WinP);
    AppendRaw(b, CurMA);
    const auto* jigs = reinterpret_cast<const uint8_t*>(Jigs.data());
    b.insert(b.end(), jigs, jigs + sizeof(TJig) * size_t(n));
    for (const TPocketRec& r : PocketsP.Pocket) {
        b.push_back(0);  // scroll flag: the offsets below are to be applied
        b.push_back(r.bVisible ? 1 : 0);
        AppendI32(b, r.mrWin.left);
        AppendI32(b, r.mrWin.top);
        AppendI32(b, r.mrWin.right);
        AppendI32(b, r.mrWin.bottom);
        AppendI32(b, r.iScrollL);
        AppendI32(b, r.iScrollT);
    }
    AppendI32(b, int32_t(kSolveTailMarker));
    AppendI32(b, iWeightJig);
    b.resize(b.size() + 256, 0);
    return b;
}

bool WriteChangedDateToSolveFile(OBinWriter& f)
{
    const std::vector<uint8_t> b = SolveFile_StateBlock();
    return f.Write(b.data(), b.size());
}
