// The saved game or jigsaw given at launch, read on a thread of its own.
#include "files/files.h"

#include "cutting/cutting.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace {

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

struct TReadAhead {
    std::string path;
    struct stat st {};  // the file as it was before it was read
    bool bOk = false;
    TSolveFile s;             // a saved game
    bool bJigsaw = false;     // else a jigsaw: its picture decoded, its description
    int64_t iJigDataOfs = 0;  // where its description part starts
    std::string sJigDesc;
    OMyImagePtr pJigPicture;
    std::thread worker;
    std::mutex gateMutex;
    std::condition_variable gate;
    bool bMayDecode = false;  // Qt's decoders may run: the application object exists
    bool bPiecesDecided = false;  // whether the piece images are made here is known
    int iPieceEmboss = -1;        // ... with this emboss style (-1: not here)

    ~TReadAhead()
    {
        Release();  // a start that ends early must not leave the thread waiting
        if (worker.joinable())
            worker.join();
    }
    void OpenGate()
    {
        {
            const std::lock_guard<std::mutex> lock(gateMutex);
            bMayDecode = true;
        }
        gate.notify_all();
    }
    void DecidePieces(int emboss)
    {
        {
            const std::lock_guard<std::mutex> lock(gateMutex);
            if (!bPiecesDecided)
                iPieceEmboss = emboss;
            bPiecesDecided = true;
        }
        gate.notify_all();
    }
    // Everything the thread may wait for, answered: the open needs it now.
    void Release()
    {
        OpenGate();
        DecidePieces(-1);
    }
    // Only the file and our own decoders: nothing here reads the game's
    // records, Qt or anything else the main thread changes meanwhile (the
    // file's magic says whether it is a saved game). The one record a read
    // may write, the open fault of a refused file, is not touched by the
    // main thread before it has waited for this read.
    void Run()
    {
        OBinReader f;
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !f.OpenFile(path))
            return;
        if (TJigFileHeader h; JigFile_ReadHeader(f, &h))
            return RunJigsaw(f);
        if (!SolveFile_ReadHead(f, &s) || !SolveFile_ReadBody(f, &s))
            return;
        // The other decoders of DecodeGamePicture stay with the main thread.
        s.pPicture = DecodeBmp32(s.Picture.data(), s.Picture.size());
        if (!s.pPicture)
            s.pPicture = DecodeMaskTiff(s.Picture.data(), s.Picture.size());
        s.pMask = DecodeBmp32(s.Mask.data(), s.Mask.size());
        if (!s.pMask)
            s.pMask = DecodeMaskTiff(s.Mask.data(), s.Mask.size());
        bOk = true;
        MakePieceImages();
    }
    // The open's next long step, done here once the emboss style is known;
    // only over what the open itself would accept (it checks the same again).
    void MakePieceImages()
    {
        int emboss;
        {
            std::unique_lock<std::mutex> lock(gateMutex);
            gate.wait(lock, [this] { return bPiecesDecided; });
            emboss = iPieceEmboss;
        }
        const TJigParams& p = s.Params;
        const OMyImage* pic = s.pPicture.get();
        const OMyImage* mask = s.pMask.get();
        if (emboss < 0 || !pic || !mask || !pic->pMem || !mask->pMem || p.TotalTileNum < 1 ||
            size_t(p.TotalTileNum) > s.Jigs.size() || pic->W != p.ImageW || pic->H != p.ImageH ||
            mask->W != pic->W || mask->H != pic->H || mask->iBPP != 4 || (pic->iBPP != 3 && pic->iBPP != 4))
            return;
        // One core is left to the window, which is coming up meanwhile.
        const int threads = std::max(1, int(std::thread::hardware_concurrency()) - 1);
        BuildPieceImages(*pic, *mask, s.Jigs, p.TotalTileNum, p.Rotate != 0, emboss, true, s.arPieceImages, threads);
        s.iPieceEmboss = emboss;
    }
    // A jigsaw's picture is most of its open before the cut: Qt's decoder,
    // which reads no records either, runs here too, but only once the
    // application object is there (Qt sets up its plugin paths while it is
    // made, and a decoder running meanwhile would race with that).
    void RunJigsaw(OBinReader& f)
    {
        std::vector<uint8_t> thumb, picture;
        if (!SaveBigFilePartToData(f, kKeyThumb, false, kMaxThumbPartBytes, &thumb, &iJigDataOfs) ||
            !JigFile_ReadPlayParts(f, iJigDataOfs, &sJigDesc, &picture))
            return;
        {
            std::unique_lock<std::mutex> lock(gateMutex);
            gate.wait(lock, [this] { return bMayDecode; });
        }
        pJigPicture = DecodePicture(picture.data(), picture.size(), false, TPictureLimits{});
        bJigsaw = true;
        bOk = pJigPicture != nullptr;
    }
};

std::unique_ptr<TReadAhead> g_ahead;  // main thread only

}  // namespace

void SolveFile_StartReadAhead(const std::string& path)
{
    g_ahead.reset();
    if (path.empty())
        return;
    g_ahead = std::make_unique<TReadAhead>();
    g_ahead->path = path;
    TReadAhead* a = g_ahead.get();
    g_ahead->worker = std::thread([a] { a->Run(); });
}

namespace {

// The read for path, unchanged since; null otherwise. Taken or not, it goes.
std::unique_ptr<TReadAhead> TakeReadAhead(const std::string& path, bool jigsaw)
{
    if (!g_ahead)
        return nullptr;
    std::unique_ptr<TReadAhead> a = std::move(g_ahead);
    a->Release();
    if (a->worker.joinable())
        a->worker.join();
    struct stat now {};
    if (!a->bOk || a->bJigsaw != jigsaw || a->path != path || ::stat(path.c_str(), &now) != 0 ||
        !SameFile(a->st, now))
        return nullptr;
    return a;
}

}  // namespace

bool SolveFile_TakeReadAhead(const std::string& path, TSolveFile* s)
{
    const std::unique_ptr<TReadAhead> a = TakeReadAhead(path, false);
    if (!a)
        return false;
    *s = std::move(a->s);
    return true;
}

bool JigFile_TakeReadAhead(const std::string& path, int64_t dataOfs, std::string* desc, OMyImagePtr* picture)
{
    const std::unique_ptr<TReadAhead> a = TakeReadAhead(path, true);
    if (!a || a->iJigDataOfs != dataOfs)
        return false;
    *desc = std::move(a->sJigDesc);
    *picture = std::move(a->pJigPicture);
    return true;
}

void SolveFile_LetReadAheadDecode()
{
    if (g_ahead)
        g_ahead->OpenGate();
}

void SolveFile_LetReadAheadMakePieces(int embossStyle)
{
    if (g_ahead)
        g_ahead->DecidePieces(embossStyle);
}

void SolveFile_WaitReadAhead()
{
    if (g_ahead && g_ahead->worker.joinable()) {
        g_ahead->Release();
        g_ahead->worker.join();
    }
}
