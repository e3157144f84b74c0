// The vector pictures of the Figure style: little silhouettes that become
// picture pieces. They come from "pic_zivra.dat" in the resource folder, a
// list of Enhanced Metafile record streams, and are mirrored, rotated and
// filled into a mask here with our own rasteriser, so that a cut is the same
// on every machine.
//
// The data file (little-endian):
//   0   8 bytes   magic (not read)
//   8   int32     N, the number of pictures
//   12 + 40 i     entry i: int32 offset and byte size of the picture's record
//                 stream, int32 nominal width and height (pixels), 16 bytes
//                 kept, byte 32 bit 0 "may mirror top to bottom", byte 33
//                 bit 0 "may mirror left to right", 6 bytes not read.
//
// A record stream starts with a header record (type 1: bounds left, top,
// right, bottom as int32 at bytes 8-23, frame at 24-39, record count at 52)
// and goes on with records of a 32-bit type and a 32-bit byte size. Drawn:
// move to and line to (point at 8-15), the poly records (count at 24, points
// from 28; 32-bit or 16-bit pairs) and close figure. Others are skipped.
//
// Pictures are data from a file: every size and count in them is checked
// before it is used, and a picture that fails a check is left out (logged).
#pragma once

#include "base/my_image.h"
#include "base/helpers.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Clears the picture list, the current picture and the rotation state.
void VectorPics_Reset();

// ---- Record types ---------------------------------------------------------------
enum : uint32_t {
    kEmrHeader = 1,
    kEmrPolyBezier = 2,      // first point, then (control, control, end) triples
    kEmrPolygon = 3,         // a closed run of lines
    kEmrPolyline = 4,        // an open run of lines
    kEmrPolyBezierTo = 5,    // triples from the current point
    kEmrEof = 14,
    kEmrMoveTo = 27,
    kEmrLineTo = 54,
    kEmrBeginPath = 59,
    kEmrEndPath = 60,
    kEmrCloseFigure = 61,
    kEmrFillPath = 62,
    kEmrPolyBezier16 = 85,   // the four poly records with 16-bit points
    kEmrPolygon16 = 86,
    kEmrPolyline16 = 87,
    kEmrPolyBezierTo16 = 88,
};

// ---- Limits of a usable picture ---------------------------------------------------
constexpr int64_t kPicFileMaxBytes = 16 * 1024 * 1024;  // larger data files are refused
constexpr int kPicHeaderBytes = 12;
constexpr int kPicEntryBytes = 40;
constexpr int kEmfHeaderMinBytes = 56;     // up to and with the record count
constexpr int kPicMaxSide = 30000;         // bounds and nominal size, pixels
constexpr int kPicMaxPoints = 16384;       // points of all records of one picture

// ---- The picture list (per cut: read at its start, freed at its end) ---------------
struct TPicEntry {
    int32_t Offset = 0;     // of the record stream in the file
    int32_t Size = 0;       // bytes of the record stream
    int32_t Width = 0;      // nominal size, pixels
    int32_t Height = 0;
    std::array<uint8_t, 16> Kept{};
    bool bMirrorTB = false; // may be mirrored top to bottom
    bool bMirrorLR = false; // may be mirrored left to right
};

struct TPicFig {
    TPicEntry Entry;
    std::vector<uint8_t> Emf;  // the record stream
};

struct TPicFigs {
    std::vector<TPicFig> arFigs;  // the usable pictures, in file order
    TPicFig Cur;                  // the current picture; its Emf is the working copy
    int iCur = -1;                // index of the current picture; -1 none
    int N = 0;                    // arFigs.size()
};
extern TPicFigs PicFigs;

// The last rotation (RotateEmf), kept for the placing code.
struct TRotVec {
    double dSin = 0, dCos = 1;
    int32_t W = 0, H = 0;         // bounds before rotating
    int32_t CX = 0, CY = 0;       // W / 2, H / 2
    int32_t RotW = 0, RotH = 0;   // bounds after rotating
    int32_t OfsX = 0, OfsY = 0;   // (RotW - W) / 2, (RotH - H) / 2
};
extern TRotVec RotVec;

// Reads the data file at `path` into PicFigs (replacing what it held) and
// clears the current picture. Answers the number of usable pictures; a
// missing or unreadable file gives 0. Every picture left out is logged.
int ReadDataEmf(const std::string& path);
// The same from the file's bytes.
int ReadDataEmfFromData(const uint8_t* data, size_t size);
// Frees the list and the current picture.
void FreeDataEmf();
// Makes picture i current with a fresh working copy; false when i is not a
// picture of the list.
bool ReadDataEmfImage(int i);

// ---- Record streams -------------------------------------------------------------------
// Checks a record stream: a header record first, every record's size at
// least 8, a multiple of 4 and inside the stream, every point count inside
// its record, bounds of 1..kPicMaxSide, at most kPicMaxPoints points and at
// least one drawn record. False with *why when it is not usable.
bool EmfCheck(const uint8_t* p, size_t n, std::string* why = nullptr);
// The header's bounds; false when the stream has no header record.
bool EmfBounds(const std::vector<uint8_t>& emf, TRect* bounds);

// The operations below walk the records themselves and stop at the first
// malformed one, so they are safe on any bytes; pictures from PicFigs have
// passed EmfCheck.
// Mirrors every point: x -> w - x, y -> h - y (w, h the bounds' size).
void FlipEmf(std::vector<uint8_t>& emf, bool mirrorX, bool mirrorY);
// Turns every point by `angle` degrees (clockwise on screen) about the
// middle of the bounds' pixel grid; the bounds become (0, 0, RotW, RotH) of
// the turned picture's bounding box. Fills RotVec.
void RotateEmf(double angle, std::vector<uint8_t>& emf);
// Fills the picture's outline (non-zero winding, pixel positions sampled,
// no antialiasing) and strokes it with 1-pixel lines in `colour`, scaled so
// that the bounds map onto (lt)-(rb). Pixels outside the image are skipped.
void StretchDrawEmf(OMyImage& img, const std::vector<uint8_t>& emf, TPoint lt, TPoint rb, uint32_t colour);
