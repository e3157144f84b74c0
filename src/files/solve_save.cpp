// Writing saved games without ever tearing one.
//
// Full save: the whole file goes to a temporary file of its own in the
// target's folder (created exclusively and locked, so two running games or a
// game and the tool never share one), every write checked, then fsync,
// rename over the target, fsync of the folder. Re-save of the same game: the
// file is copied to a side file, the state block patched there, synced, and
// renamed over. A crash at any moment leaves the old file or the new one,
// whole; a failure removes the side file and leaves the old one. The unsaved
// mark is cleared only after the rename. Through a symbolic link the file it
// leads to is replaced, keeping its permission bits.
#include "files/files.h"

#include "model/game_picture.h"
#include "model/undo.h"
#include "platform/platform.h"

#include <cassert>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {


// The jigsaw name as stored: at most 255 bytes, cut at a character boundary.
std::string StoredName(const std::string& name)
{
    if (name.size() < kSolveMaxNameBytes)
        return name;
    size_t n = kSolveMaxNameBytes - 1;
    while (n > 0 && (uint8_t(name[n]) & 0xC0) == 0x80)
        --n;
    return name.substr(0, n);
}

// The thumbnail of the open game; made from the working picture when the game has none.
std::vector<uint8_t> ThumbnailBytes()
{
    if (miInfoThumb && miInfoThumb->HasPixels())
        return MyImageEncode(*miInfoThumb, "BMP");
    int w = miJigs->W, h = miJigs->H;
    PropReduceWH(&w, &h, 320, 240);
    OMyImagePtr t = MyImageCreateExt(imax(w, 1), imax(h, 1), false);
    MyImageSmoothResize(*t, *miJigs);
    return MyImageEncode(*t, "BMP");
}

bool WritePart(OBinWriter& w, const std::vector<uint8_t>& b, uint8_t key)
{
    return SaveDataToBigFile(w, b.data(), b.size(), key, false);
}

// The whole file from the current records, with a progress step after the
// thumbnail, the picture, the mask and the state block.
bool WriteSolveFileBody(OBinWriter& w)
{
    const OGamePictureInUse picture;
    if (!picture.ok())
        return false;
    const std::string name = StoredName(FileNames.sJigName);
    const uint32_t nameLen = uint32_t(name.size() + 1);
    bool ok = w.Write(kSolveMagic, 11) && w.WriteI32(JigP.GameSeed) && w.WriteU32(0) && w.WriteU32(nameLen) &&
              w.Write(name.c_str(), nameLen) && w.Write(&JigP, sizeof JigP);
    // A game without a thumbnail could not be read back: the save fails instead.
    const std::vector<uint8_t> thumb = ThumbnailBytes();
    ok = ok && !thumb.empty() && WritePart(w, thumb, kKeyThumb);
    Platform().ProgressInc(1);
    ok = ok && WritePart(w, MyImageCopyToDataAsBmp2(*miJigs), kKeySolvePicture);
    Platform().ProgressInc(1);
    const std::vector<uint8_t> mask = GameMask_Part();
    ok = ok && !mask.empty() && WritePart(w, mask, kKeySolveMask);
    Platform().ProgressInc(1);
    const std::vector<uint8_t> desc(g_JigDesc.begin(), g_JigDesc.end());
    ok = ok && WritePart(w, desc, kKeySolveDesc);
    const int64_t stateOfs = w.Pos();
    ok = ok && stateOfs <= int64_t(UINT32_MAX) && w.Seek(15) && w.WriteU32(uint32_t(stateOfs)) &&
         w.Seek(stateOfs) && WriteChangedDateToSolveFile(w);
    Platform().ProgressInc(1);
    return ok;
}

std::string FolderOfPath(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

void MarkSaved(const std::string& path, bool autosave)
{
    if (GameFileHooks.fnAfterSave)
        GameFileHooks.fnAfterSave(path, autosave);
    AutoSaveP.bNeedAutoSave = false;
    if (autosave)
        return;
    AutoSaveP.bNeedSave = false;
    Platform().SetEdited(AutoSaveP.bNeedSave);
    Platform().SetTitle(FileNameOf(path));
    Undo_MarkSaved();
}

bool FailSave(const std::string& temp, const std::string& message)
{
    if (!temp.empty())
        ::unlink(temp.c_str());
    Platform().ProgressHide();
    Platform().Log("save failed: " + message);
    Platform().ShowMessage(message);
    return false;
}

// Copies src over dst through a side file of dst (unless it is the
// autosave of this instance, nobody else writes it).
bool CopyOver(const std::string& dst, const std::string& src)
{
    OBinWriter w;
    std::string side;
    int err = 0;
    if (!CreateSideFile(dst, "part", &w, &side))
        return false;
    if (!CopyFileBytes(src, side, &err) || !w.Sync()) {
        ::unlink(side.c_str());
        return false;
    }
    return CommitSideFile(w, side, dst, nullptr);
}

}  // namespace

bool TryWriteChangedDateToSolveFile(const std::string& path)
{
    const std::string target = ResolveLinks(path);
    OBinReader r;
    TSolveFile s;
    if (!FileExists(target) || !r.OpenFile(target) || !SolveFile_ReadHead(r, &s))
        return false;
    // Only this same game, cut the same way, may keep the stored picture and
    // mask and have its state block rewritten in place.
    const int64_t blockLen = int64_t(SolveFile_StateBlockSize(JigP.TotalTileNum));
    const int64_t size = r.Size();
    const TJigParams& p = s.Params;
    if (s.GameSeed != JigP.GameSeed || p.TotalTileNum != JigP.TotalTileNum || p.TileNum != JigP.TileNum ||
        p.TileS != JigP.TileS || p.ImageW != JigP.ImageW || p.ImageH != JigP.ImageH ||
        p.ShapeStyle != JigP.ShapeStyle || p.BorderStyle != JigP.BorderStyle || p.Rotate != JigP.Rotate ||
        s.sName != StoredName(FileNames.sJigName) ||
        (size != s.StateOfs + blockLen && size != s.StateOfs + blockLen - kSolveTailBytes))
        return false;
    r = OBinReader();
    OBinWriter w;
    std::string side;
    if (!CreateSideFile(target, "part", &w, &side))
        return false;
    // The copy goes in through its own descriptor; w keeps the side file
    // locked and then patches the state block in it.
    int err = 0;
    const bool ok = CopyFileBytes(target, side, &err) && w.Seek(s.StateOfs) && WriteChangedDateToSolveFile(w) &&
                    ::ftruncate(w.Fd(), off_t(s.StateOfs + blockLen)) == 0 && KeepModeOf(target, w.Fd()) &&
                    w.Sync();
    if (!ok) {
        ::unlink(side.c_str());
        return false;
    }
    return CommitSideFile(w, side, target, nullptr);
}

bool SaveSolveFile(const std::string& path, bool autosave)
{
    AutoSaveGuard guard;
    if (!miJigs || !(miJigs->HasPixels() || GamePicture_IsPacked()) || !GameMask_Present() ||
        size_t(JigP.TotalTileNum) > Jigs.size())
        return FailSave("", "Failed: there is no game to save");
    if (!SolveFile_GameReadable())
        return FailSave("", "Failed: the game could not be read back, so it is not saved");
    if (GameFileHooks.fnBeforeSave)
        GameFileHooks.fnBeforeSave();
    // Through a link, the file it leads to is saved; a killed save of that
    // file left its side files, which go now.
    const std::string target = ResolveLinks(path);
    RemoveStaleSideFiles(FolderOfPath(target), FileNameOf(target));
    if (TryWriteChangedDateToSolveFile(target)) {
        MarkSaved(path, autosave);
        return true;
    }
    Platform().ProgressShow(LangGetKeyVal(autosave ? "Prog_AutoSaveSolve" : "Prog_SaveSolve"), 4);
    OBinWriter w;
    std::string temp, error;
    if (!CreateSideFile(target, "svt", &w, &temp, &error)) {
        Platform().Log(error);
        return FailSave("", "Failed: fileHandleForWritingAtPath");
    }
    // While it is written, this instance's autosave waits for it.
    FileNames.sTempSolve = temp;
    struct TempClear {
        ~TempClear() { FileNames.sTempSolve.clear(); }
    } tempClear;
    bool ok = WriteSolveFileBody(w) && KeepModeOf(target, w.Fd()) && w.Sync();
    if (!ok) {
        const int err = w.LastErrno() ? w.LastErrno() : errno;
        w.Close();
        return FailSave(temp, std::string("Failed: WriteFile: ") + std::strerror(err));
    }
    // The autosave file is this instance's own only while it holds the
    // autosave lock; a tool run or a second window leaves it alone.
    if (!autosave && !StrEqualNoCase(target, FileNames.sAutoSaved) && !FileNames.sAutoSaved.empty() &&
        AutoSave_HoldsLock() && !TryWriteChangedDateToSolveFile(FileNames.sAutoSaved))
        CopyOver(FileNames.sAutoSaved, temp);  // itself atomic; a failure costs only the autosave copy
    if (!CommitSideFile(w, temp, target, &error))
        return FailSave("", "Failed: RenameFile: " + error);
    Platform().ProgressHide();
    MarkSaved(path, autosave);
    return true;
}
