// The open game's picture (miJigs) kept packed while nothing needs its pixels.
// Once the game's first frame is drawn they are wanted only now and then: a
// save, the piece images made anew for another emboss, the thumbnail's
// texture, "save solved picture". The window packs them losslessly on a
// worker thread and drops them; each of those readers holds an
// OGamePictureInUse, which unpacks them for as long as it lives.
#pragma once

#include "base/my_image.h"

#include <cstdint>
#include <memory>
#include <vector>

struct TPicturePackJob {
    const OMyImage* picture = nullptr;  // miJigs when the job started
    std::shared_ptr<uint8_t> pixels;    // its pixel memory, alive while the job holds it
    const uint8_t* first = nullptr;     // pixel (0, 0)
    int w = 0, h = 0, bpp = 0, stride = 0;
    std::vector<uint8_t> packed;        // the result; empty when packing failed
};

// Main thread: a job for miJigs when it has pixels and is not packed yet.
// Its pixel memory becomes shared with the job, so that whatever becomes of
// miJigs meanwhile the job reads valid memory.
bool GamePicture_StartPack(TPicturePackJob* job);
// Any thread: packs the job's pixels.
void GamePicture_RunPack(TPicturePackJob& job);
// Main thread: when miJigs is still the job's picture with the same pixels
// and they packed, keeps the packed form and drops the pixels (true). Else
// the picture stays as it is. Either way the job lets go of the pixels.
bool GamePicture_FinishPack(TPicturePackJob& job);
// miJigs's pixels are dropped and kept packed.
bool GamePicture_IsPacked();
// Forgets the packed form (a new picture, or none, takes miJigs's place).
void GamePicture_Forget();

// While one lives, miJigs has its pixels whenever it has a packed form of
// them: unpacked when it starts, dropped again (still packed) when it ends.
// ok() is false when there is no picture or unpacking failed.
class OGamePictureInUse {
public:
    OGamePictureInUse();
    ~OGamePictureInUse();
    OGamePictureInUse(const OGamePictureInUse&) = delete;
    OGamePictureInUse& operator=(const OGamePictureInUse&) = delete;
    bool ok() const { return bOk_; }

private:
    bool bOk_ = false;
    bool bDropAgain_ = false;
};
