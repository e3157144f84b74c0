// Building vector-picture record streams and picture data files for tests.
#pragma once

#include "cutting/vector_pics.h"

#include <cstdint>
#include <string>
#include <vector>

struct Pt { int x, y; };

// A record stream: a header with bounds (0, 0, w, h), then the records added.
class Emf {
public:
    Emf(int w, int h);
    Emf& Record(uint32_t type, const std::vector<uint32_t>& body = {});
    // A poly record; `type` the 32-bit number, 16-bit points when b16.
    Emf& Poly(uint32_t type, const std::vector<Pt>& pts, bool b16 = false);
    std::vector<uint8_t> bytes;
};

struct PicEntry {
    std::vector<uint8_t> emf;
    int w = 0, h = 0;
    uint8_t mirrorTB = 0, mirrorLR = 0;
};

// A data file holding the entries in order (entry i's fields at 12 + 40 i).
std::vector<uint8_t> PicDataFile(const std::vector<PicEntry>& entries);
// A w x w square outline, closed, ending with an end record.
std::vector<uint8_t> SquareEmf(int w, bool b16 = false);

#include "cutting/cutting.h"

// Empty when every pixel of the mask is painted and lies in the box of
// exactly one of the first `count` pieces with its code, and every piece has
// a pixel; otherwise what is wrong.
// With tight set, every piece's box must also be exactly the extent of its
// pixels.
std::string CheckPieceOwnership(const OMyImage& masks, const std::vector<TJig>& jigs, int count, bool tight = false);
