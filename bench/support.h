// Inputs the benchmarks share: photo-like test pictures made on the fly (so no
// large files live in the repository), and the reset of all state.
#pragma once

#include "cutting/my_image.h"

#include <cstdint>
#include <vector>

// A deterministic picture with smooth gradients, soft blobs and fine noise,
// roughly as hard to compress and resize as a photograph.
OMyImagePtr MakePhotoLikeImage(int w, int h, uint32_t seed = 1);
// The same picture encoded as JPEG (quality 90).
std::vector<uint8_t> MakePhotoLikeJpeg(int w, int h, uint32_t seed = 1);
// A w x h mask in the cutter's encoding: a jittered grid of about `cells`
// cells, their borders drawn in the piece colour (128, 0, code) and the
// insides white, ready for the fill. The seeds (one per cell) go to *seeds.
OMyImagePtr MakeCellMask(int w, int h, int cells, std::vector<TPoint>* seeds);

void BenchResetAll();
