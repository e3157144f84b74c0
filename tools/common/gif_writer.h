// A small GIF89a writer for our generators (Qt reads GIF but cannot write it).
//
// A picture is a grid of palette indices; colours are packed 0xRRGGBB. One
// index may be marked transparent. The writer emits a single image with a
// global colour table sized to the next power of two and LZW-compressed data
// (codes of up to 12 bits, a clear code whenever the table fills). No Qt here:
// any tool may link it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GifPicture {
    int W = 0, H = 0;                 // size in pixels, 1..65535 each
    std::vector<uint8_t> Indices;     // W*H palette indices, rows top to bottom
    std::vector<uint32_t> Palette;    // 1..256 colours, 0xRRGGBB
    int TransparentIndex = -1;        // -1 = none
};

// The encoded file. Asserts that the picture is well formed (sizes, every
// index inside the palette).
std::vector<uint8_t> GifEncode(const GifPicture& pic);
// Writes GifEncode's bytes; false with *error when the file cannot be written.
bool GifWriteFile(const std::string& path, const GifPicture& pic, std::string* error);

// Reduces an RGBA picture (4 bytes a pixel, rows `stride` bytes apart) to at
// most maxColours palette entries by median cut. With transparency, pixels of
// alpha below 128 map to one extra transparent entry (index 0); otherwise
// alpha is ignored. A picture with no more distinct colours than allowed keeps
// its colours exactly. The result is deterministic for the same input.
GifPicture GifQuantize(const uint8_t* rgba, int w, int h, int stride, int maxColours, bool transparency);
