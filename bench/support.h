// Inputs the benchmarks share: photo-like test pictures made on the fly (so no
// large files live in the repository), the reset of all state, and the timing
// of the hand-timed cut benchmarks.
#pragma once

#include "base/my_image.h"
#include "model/puzzle.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// A deterministic picture with smooth gradients, soft blobs and fine noise,
// roughly as hard to compress and resize as a photograph.
OMyImagePtr MakePhotoLikeImage(int w, int h, uint32_t seed = 1);
// The same picture with an alpha channel, as the cutter takes it.
OMyImagePtr MakePhotoLikeRgba(int w, int h);
// The same picture encoded as JPEG (quality 90).
std::vector<uint8_t> MakePhotoLikeJpeg(int w, int h, uint32_t seed = 1);
// A w x h mask in the cutter's encoding: a jittered grid of about `cells`
// cells, their borders drawn in the piece colour (128, 0, code) and the
// insides white, ready for the fill. The seeds (one per cell) go to *seeds.
OMyImagePtr MakeCellMask(int w, int h, int cells, std::vector<TPoint>* seeds);

void BenchResetAll();
// Everything reset, then a cols x rows grid game of tiles `tile` pixels wide
// with boxes overhanging their cells by `ofs`, on a 2560 x 1600 view: the
// piece records made, nothing placed yet.
void BenchGridGame(int cols, int rows, int tile, int ofs);
// The resource folder of the source tree (what the game loads at start-up).
std::string BenchResourceDir();
// A cut's parameters for a w x h picture without the frame piece.
TJigParams BenchCutParams(int w, int h, int style, bool rotate, int level);

// ---- Hand-timed benchmarks: medians of REPEATS runs, in milliseconds ------------------

struct TBenchArgs {
    int repeats = 5;     // runs a figure is the median of
    bool quick = false;  // --quick: only the largest picture's first case
};
// [REPEATS] [--quick] from the command line.
TBenchArgs ParseBenchArgs(int argc, char** argv);

double NowMs();
double Median(std::vector<double> v);
double TimeMedian(int repeats, const std::function<void()>& f);
// B: decoding a w x h photo-like JPEG plus one memcpy of its RGBA pixels.
double MeasureB(int w, int h, int repeats);

// The first run with every listed field replaced by its median over all runs.
template <typename R>
R MedianRun(const std::vector<R>& runs, std::initializer_list<double R::*> fields)
{
    R m = runs.front();
    for (double R::*f : fields) {
        std::vector<double> v;
        for (const R& r : runs)
            v.push_back(r.*f);
        m.*f = Median(std::move(v));
    }
    return m;
}
