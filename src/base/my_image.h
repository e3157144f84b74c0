// OMyImage, the one raster image of the game: the jigsaw picture, the cutter's
// mask images, the piece images, captions, tool pictures and table pictures.
//
// Pixels: 8-bit samples in memory order red, green, blue and (with bAlpha)
// alpha; rows top to bottom; pixel (x, y) at pMem + y*iBPL + x*iBPP. Images we
// create have no row padding (iBPL = W*iBPP). Colours passed in and out are
// packed (red bits 0-7, green 8-15, blue 16-23); writing a colour never
// touches the alpha byte.
//
// This header is the memory side and builds without Qt or OpenGL. Decoding
// goes through QImage (my_image_qt.cpp); textures belong to the play field,
// which installs a deleter so that an image frees its texture when it dies.
#pragma once

#include "base/helpers.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Largest image we make or decode: the flood fill and the saved-game format
// count on sides up to 32767, and 64 Mi pixels (256 MiB with alpha) is far
// beyond any jigsaw yet keeps a hostile header from asking for gigabytes.
constexpr int kMyImageMaxSide = 32767;
constexpr int64_t kMyImageMaxPixels = int64_t(64) * 1024 * 1024;

class OMyImage {
public:
    OMyImage() = default;
    OMyImage(int w, int h, bool alpha);  // zero-filled; see MyImageCreateExt
    ~OMyImage();
    OMyImage(OMyImage&& other) noexcept;
    OMyImage& operator=(OMyImage&& other) noexcept;
    OMyImage(const OMyImage&) = delete;
    OMyImage& operator=(const OMyImage&) = delete;

    bool bAlpha = false;     // pixels have a fourth (alpha) byte
    uint32_t Texture = 0;    // texture made from the pixels by the drawing layer; 0 = none
    int W = 0, H = 0;        // size in pixels
    int iBPP = 0;            // bytes per pixel: 4 with alpha, 3 without
    int iBPL = 0;            // bytes per row
    TSize size;              // (W, H)
    uint8_t* pMem = nullptr; // first byte of row 0; null once the pixels were dropped

    std::vector<uint8_t> Bitmap;  // the pixel memory pMem points into (empty with Shared)
    // Pixel memory shared with other images: one block that many images (the
    // piece images of a game) are carved from. When set, Bitmap is empty and
    // pMem points into it; the block goes with the last image holding it.
    std::shared_ptr<uint8_t> Shared;

    bool HasPixels() const { return pMem != nullptr; }
    size_t ByteCount() const { return pMem ? size_t(iBPL) * size_t(H) : 0; }
};

using OMyImagePtr = std::unique_ptr<OMyImage>;

// Called with a texture name when an image holding one is destroyed or
// re-textured; the play field installs it. Without one, names are forgotten.
using MyImageTextureDeleter = void (*)(uint32_t texture);
void MyImageSetTextureDeleter(MyImageTextureDeleter deleter);
// Forgets the texture name (through the deleter, if any); pixels stay.
void MyImageFreeTexture(OMyImage& img);
// Releases the pixel memory: the image lives on only as its texture.
void MyImageDropPixels(OMyImage& img);
// An image whose every alpha byte is 255 becomes the same picture without
// alpha, in place: the rows closed up and the memory of the fourth bytes
// given back to the system. False, and the image unchanged, when a pixel is
// not opaque or the image has no alpha or no pixels of its own.
bool MyImageDropOpaqueAlpha(OMyImage& img);

// ---- Memory -------------------------------------------------------------------
// Asks the system to back [p, p + bytes) with large pages where it can (call
// before the memory is first touched): on machines where every 4 KB page
// costs a fault, a 20 MB mask or 140 MB of piece images otherwise spends
// most of its time in the kernel. Harmless where unsupported.
void MyImageAdviseLargePages(void* p, size_t bytes);
// A zero-filled block of `bytes` for many images at once, on large pages
// where offered; released when the last holder lets go. Null when out of memory.
std::shared_ptr<uint8_t> MyImageAllocShared(size_t bytes);
// Makes img a w x h image (4 or 3 bytes a pixel, no row padding) whose pixels
// are the block at `pixels` inside `shared`; the caller keeps it inside.
void MyImagePlaceOn(OMyImage& img, const std::shared_ptr<uint8_t>& shared, uint8_t* pixels, int w, int h,
                    bool alpha);

// ---- Creation ---------------------------------------------------------------
// Null for a negative size or one beyond the limits above; 0 x 0 is allowed.
OMyImagePtr MyImageCreate(int w, int h);                   // with alpha
OMyImagePtr MyImageCreateExt(int w, int h, bool alpha);
// Decodes an encoded picture (PNG, JPEG, BMP, GIF, TIFF, WebP...). convert =
// false keeps the decoder's layout (here: 3 bytes a pixel, or 4 when the
// picture has alpha); convert = true always gives 4 bytes with alpha 255 for
// opaque sources. Null with *error set for an undecodable, truncated or
// oversized picture. Needs QtGui (no application object).
OMyImagePtr MyImageCreateFromData(const void* data, size_t size, bool convert, std::string* error = nullptr);
OMyImagePtr MyImageCreateFromFile(const std::string& path, bool convert, std::string* error = nullptr);
// A detached copy of the pixels (no texture).
OMyImagePtr MyImageClone(const OMyImage& img);
// Nothing to do: our pixel memory is always current. Kept for the callers.
inline void MyImageUpdateMem(OMyImage&) {}

// ---- Pixel access -------------------------------------------------------------
inline uint8_t* MyImageGetLineXY(const OMyImage& img, int x, int y)  // no bounds check
{
    return img.pMem + ptrdiff_t(y) * img.iBPL + ptrdiff_t(x) * img.iBPP;
}
uint32_t MyImageGetPixel(const OMyImage& img, int x, int y);         // 0xFFFFFFFF outside
void MyImageSetPixel(OMyImage& img, int x, int y, uint32_t colour);  // nothing outside
int MyImageGetPixelAlpha(const OMyImage& img, int x, int y);         // 255 outside or without alpha

// ---- Drawing into memory --------------------------------------------------------
// Single-pixel lines, both ends included, clipped to the image.
void MyImageDrawLine(OMyImage& img, int x1, int y1, int x2, int y2, uint32_t colour);
// The n-1 segments between consecutive points.
void MyImageDrawPolyline(OMyImage& img, const TPoint* points, int n, uint32_t colour);
// Colour bytes of rows y..y+h-1, columns x..x+w-1; no clipping (asserted).
void MyImageFillRect(OMyImage& img, int x, int y, int w, int h, uint32_t colour);
// The w x h block at (sx, sy) of src to (dx, dy) of dst; no clipping (asserted).
// Without blend the colour is copied; with blend it is mixed by source alpha.
// dst must have alpha; its alpha becomes 255 (without alpha in dst only colour).
void MyImageCopyRect(OMyImage& dst, int dx, int dy, int w, int h, const OMyImage& src, int sx, int sy, bool blend);
// Bilinear resize of all of src into all of dst (15-bit fixed point).
void MyImageSmoothResize(OMyImage& dst, const OMyImage& src);
// 4-connected fill of the seed's colour region. With rect, it receives the
// smallest rectangle (edges included) holding the seed and every filled pixel.
// Nothing happens when the seed is outside or already has the colour.
void MyImageFloodFill(OMyImage& img, int x, int y, uint32_t colour, TRect* rect = nullptr);

// ---- BMP block ------------------------------------------------------------------
// The image as a 32-bit top-down BMP file (54-byte header, BGRA rows, alpha 255).
std::vector<uint8_t> MyImageCopyToDataAsBmp2(const OMyImage& img);
bool MyImageSaveToFileAsBmp2(const OMyImage& img, const std::string& path);

// ---- Encoding (QtGui) -----------------------------------------------------------
// Writes the image in the format given by the path's extension (png, jpg, tif...).
bool MyImageSaveToFile(const OMyImage& img, const std::string& path, int quality = -1);
// Encodes into a byte block ("PNG", "JPG", "TIFF", "BMP").
std::vector<uint8_t> MyImageEncode(const OMyImage& img, const char* format, int quality = -1);
