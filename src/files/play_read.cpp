// The play reads' halves that need no cutting: loading a jigsaw's picture and
// description into the game records, and applying a read saved game to them.
#include "files/files.h"

#include "model/game_cut.h"
#include "model/game_picture.h"
#include "model/play_rules.h"
#include "platform/platform.h"

void CloseGameRecords()
{
    FileNames.bOpen = false;
    FreeJigsBuf();
    JigP.TotalTileNum = 0;
    miOriginalImage.reset();
    miJigs.reset();
    GamePicture_Forget();
    miMasks.reset();
    arMaskPart.clear();
    arMaskPart.shrink_to_fit();
    bMaskPartAsRead = false;
    PocketsP = OPocketsP{};
    iCurJig = -1;
    DragJigP = TDragJig{};
    AutoSaveP.bNeedSave = AutoSaveP.bNeedAutoSave = false;
}

bool JigFile_LoadPicture(const std::string& path)
{
    std::string desc;
    OMyImagePtr img;
    if (!JigFile_TakeReadAhead(path, NewJigP.DataOfs, &desc, &img)) {
        OBinReader f;
        std::vector<uint8_t> picture;
        if (!f.OpenFile(path) || !JigFile_ReadPlayParts(f, NewJigP.DataOfs, &desc, &picture))
            return false;
        img = DecodePicture(picture.data(), picture.size(), false, TPictureLimits{});
    }
    if (!img)
        return false;
    JigP = NewJigP;
    g_JigDesc = desc;
    miOriginalImage = std::move(img);
    const bool sized = SetImageSize(1);
    miOriginalImage.reset();
    if (!sized)
        return false;
    miInfoThumb = std::move(miReadThumb);
    return true;
}

namespace {

void ApplyPockets(const TSolveFile& s)
{
    PocketsP = OPocketsP{};  // every pocket emptied and hidden first
    for (int k = 0; k < kPocketCount; ++k) {
        const TPocketRec& r = s.Pockets[k];
        TPocketRec& p = PocketsP.Pocket[k];
        p.bVisible = r.bVisible;
        p.mrWin = r.mrWin;
        // Scroll flag 1: the stored offsets are not to be applied.
        if (r.bScroll == 0) {
            p.iScrollL = r.iScrollL;
            p.iScrollT = r.iScrollT;
        }
    }
    iWeightJig = s.iWeightJig;
}

}  // namespace

void SizeSidesForPicture(int w, int h)
{
    iMaxMainViewScrollW = imax(iMaxMainViewW, w);
    iMaxMainViewScrollH = imax(iMaxMainViewH, h);
}

bool SolveFile_Apply(TSolveFile& s)
{
    OMyImagePtr pic = s.pPicture ? std::move(s.pPicture) : DecodeGamePicture(s.Picture);
    OMyImagePtr mask = s.pMask ? std::move(s.pMask) : DecodeGamePicture(s.Mask);
    OMyImagePtr thumb = DecodeThumbnail(s.Thumb);
    const TJigParams& p = s.Params;
    if (!pic || !mask || !thumb || pic->W != p.ImageW || pic->H != p.ImageH || mask->W != p.ImageW ||
        mask->H != p.ImageH)
        return false;
    JigP = p;
    JigP.SideNum = 1;
    JigP.Reserved96 = 0;
    JigP.DataOfs = int32_t(s.DataOfs);
    FileNames.sJig = FileNames.sJigName = s.sName;
    miJigs = std::move(pic);
    GamePicture_Forget();
    // The file's mask part is kept as read: packing the mask once the piece
    // images exist then costs nothing (a save repacks it, as it always has).
    arMaskPart = std::move(s.Mask);
    bMaskPartAsRead = true;
    miMasks = std::move(mask);
    miInfoThumb = std::move(thumb);
    g_JigDesc = DecodeDescription(s.Desc);
    const int32_t keep[2] = {WinP.Reserved[0], WinP.Reserved[1]};
    WinP = s.WinP;
    WinP.Reserved[0] = keep[0];
    WinP.Reserved[1] = keep[1];
    CurMA = s.CurMA;
    CreateJigsBuf(p.TotalTileNum + 1);
    std::copy(s.Jigs.begin(), s.Jigs.end(), Jigs.begin());
    ApplyPockets(s);
    return true;
}

bool OpenSolveFile_ForPlay(const std::string& path, TSolveFile* read)
{
    TSolveFile own;
    TSolveFile& s = read ? *read : own;
    if (!read) {
        OBinReader f;
        if (!f.OpenFile(path) || !SolveFile_ReadHead(f, &s) || !SolveFile_ReadBody(f, &s)) {
            SetOpenFault(TOpenFault::Damaged);
            return false;
        }
    }
    TimelineMark("read");
    // Nothing of the open game is replaced until every part has decoded: a
    // file that fails leaves the game as it was.
    const bool wasOpen = FileNames.bOpen;
    Platform().RequestRedraw(kRedrawFull);
    FileNames.bOpen = false;
    Platform().ProgressShow(LangGetKeyVal("Prog_OpenJig"), 7);
    if (!SolveFile_Apply(s)) {
        SetOpenFault(TOpenFault::Picture);
        FileNames.bOpen = wasOpen;
        Platform().ProgressHide();
        return false;
    }
    TimelineMark("decoded");
    SizeSidesForPicture(JigP.ImageW, JigP.ImageH);
    Platform().ProgressInc(4);
    SortJigs(kSortAscending);
    Platform().ProgressInc(1);
    // Made ahead with the same look, or now.
    if (s.iPieceEmboss != OptP.Visual_EmbossStyle || !AdoptPieceImages(s.arPieceImages))
        CopyJigsToTextures(true, OptP.Visual_EmbossStyle);
    s.arPieceImages.clear();
    TimelineMark("piece-images");
    Platform().ProgressInc(1);
    for (int w = 2; w <= 5; ++w) {
        FieldHost().PocketCountJigs(w);
        FieldHost().PocketUpdateScrollSize(w);
    }
    Platform().ProgressInc(1);
    Platform().ProgressHide();
    FileNames.sSolve = path;
    FileNames.bOpen = true;
    return true;
}

// ---- The mask kept packed --------------------------------------------------------------------

void GameMask_Pack()
{
    if (!miMasks || !miMasks->HasPixels())
        return;
    // A file's part in an unpacked layout would save nothing: packed anew.
    if (bMaskPartAsRead && !arMaskPart.empty() && arMaskPart.size() <= miMasks->ByteCount() / 4) {
        miMasks.reset();
        return;
    }
    std::vector<uint8_t> part = EncodeMaskTiff(*miMasks);
    if (part.empty())
        return;  // keep the pixels: a save still needs them
    arMaskPart = std::move(part);
    bMaskPartAsRead = false;
    miMasks.reset();
}

bool GameMask_Unpack()
{
    if (miMasks && miMasks->HasPixels())
        return true;
    if (arMaskPart.empty())
        return false;
    OMyImagePtr mask = DecodeGamePicture(arMaskPart);
    if (!mask)
        return false;
    miMasks = std::move(mask);
    arMaskPart.clear();
    arMaskPart.shrink_to_fit();
    bMaskPartAsRead = false;
    return true;
}

bool GameMask_Present() { return (miMasks && miMasks->HasPixels()) || !arMaskPart.empty(); }

std::vector<uint8_t> GameMask_Part()
{
    if (miMasks && miMasks->HasPixels())
        return EncodeMaskTiff(*miMasks);
    if (!bMaskPartAsRead)
        return arMaskPart;
    // Written as our packing of the decoded mask, byte for byte what a game
    // that kept the pixels writes.
    const OMyImagePtr mask = arMaskPart.empty() ? nullptr : DecodeGamePicture(arMaskPart);
    return mask ? EncodeMaskTiff(*mask) : std::vector<uint8_t>();
}

void RebuildPieceImages(int embossStyle)
{
    const bool packed = !arMaskPart.empty() && !miMasks;
    if (!GameMask_Unpack())
        return;
    CopyJigsToTextures(false, embossStyle);
    if (packed)
        GameMask_Pack();
}
