#include "model/game_picture.h"

#include "base/pixel_pack.h"
#include "model/puzzle.h"

#include <new>
#include <sys/mman.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Per game: the packed pixels of g_packedOf (miJigs when packed).
const OMyImage* g_packedOf = nullptr;
std::vector<uint8_t> g_packed;

// The whole pages inside [p, p + bytes) emptied (they read as zeros after).
void ReleasePages(const uint8_t* p, size_t bytes)
{
    const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t start = (reinterpret_cast<uintptr_t>(p) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(page - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
}

bool Unpack()
{
    OMyImage& img = *miJigs;
    std::vector<uint8_t> pixels;
    try {
        pixels.resize(size_t(img.W) * size_t(img.H) * size_t(img.iBPP));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!UnpackPixels(g_packed, pixels.data(), img.W, img.H, img.iBPP))
        return false;
    img.Bitmap = std::move(pixels);
    img.Shared.reset();
    img.pMem = img.Bitmap.data();
    img.iBPL = img.W * img.iBPP;
    return true;
}

}  // namespace

bool GamePicture_StartPack(TPicturePackJob* job)
{
    *job = TPicturePackJob{};
    if (!miJigs || !miJigs->HasPixels() || GamePicture_IsPacked() || miJigs->W <= 0 || miJigs->H <= 0)
        return false;
    OMyImage& img = *miJigs;
    if (!img.Shared) {
        // The vector moves into a block the job shares: pMem stays where it was.
        auto block = std::make_shared<std::vector<uint8_t>>(std::move(img.Bitmap));
        img.Bitmap = std::vector<uint8_t>();
        img.Shared = std::shared_ptr<uint8_t>(block, block->data());
    }
    job->picture = &img;
    job->pixels = img.Shared;
    job->first = img.pMem;
    job->w = img.W;
    job->h = img.H;
    job->bpp = img.iBPP;
    job->stride = img.iBPL;
    return true;
}

void GamePicture_RunPack(TPicturePackJob& job)
{
    job.packed = PackPixels(job.first, job.w, job.h, job.bpp, size_t(job.stride));
}

bool GamePicture_FinishPack(TPicturePackJob& job)
{
    const bool same = miJigs && miJigs.get() == job.picture && miJigs->pMem == job.first && miJigs->W == job.w &&
                      miJigs->H == job.h && miJigs->iBPP == job.bpp && miJigs->iBPL == job.stride &&
                      !GamePicture_IsPacked();
    const bool dropped = same && !job.packed.empty();
    if (dropped) {
        g_packed = std::move(job.packed);
        g_packedOf = miJigs.get();
        // The pixels' pages go back to the system now: a block this size may
        // lie in a worker thread's heap, whose top malloc_trim leaves alone.
        if (job.pixels.use_count() == 2)  // the picture's and the job's
            ReleasePages(job.first, size_t(job.stride) * size_t(job.h));
        MyImageDropPixels(*miJigs);
    }
    job = TPicturePackJob{};
    return dropped;
}

bool GamePicture_IsPacked()
{
    return miJigs && !miJigs->HasPixels() && g_packedOf == miJigs.get() && !g_packed.empty();
}

void GamePicture_Forget()
{
    g_packedOf = nullptr;
    g_packed = std::vector<uint8_t>();
}

OGamePictureInUse::OGamePictureInUse()
{
    if (!miJigs)
        return;
    if (miJigs->HasPixels()) {
        bOk_ = true;
        return;
    }
    bOk_ = GamePicture_IsPacked() && Unpack();
    bDropAgain_ = bOk_;
}

OGamePictureInUse::~OGamePictureInUse()
{
    // The packed form still holds exactly these pixels (no reader changes them).
    if (bDropAgain_ && miJigs && g_packedOf == miJigs.get()) {
        MyImageDropPixels(*miJigs);
#ifdef __GLIBC__
        malloc_trim(0);  // a block this size may have come from the heap, which keeps it
#endif
    }
}
