// Walking the records of a vector picture's record stream (see vector_pics.h),
// shared by the reader, the mirroring and rotation, and the rasteriser.
// Every read is checked against the stream's end before it happens.
#pragma once

#include "cutting/vector_pics.h"

#include <cstdint>
#include <cstring>
#include <string>

inline uint32_t EmfU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline int32_t EmfI32(const uint8_t* p) { return int32_t(EmfU32(p)); }
inline int16_t EmfI16(const uint8_t* p) { return int16_t(uint16_t(p[0] | p[1] << 8)); }
inline void EmfPutI32(uint8_t* p, int32_t v)
{
    const uint32_t u = uint32_t(v);
    p[0] = uint8_t(u); p[1] = uint8_t(u >> 8); p[2] = uint8_t(u >> 16); p[3] = uint8_t(u >> 24);
}
inline void EmfPutI16(uint8_t* p, int16_t v)
{
    const uint16_t u = uint16_t(v);
    p[0] = uint8_t(u); p[1] = uint8_t(u >> 8);
}

// One record as the walk found it. Points: `count` pairs from `ptsAt`
// (bytes from the stream's start), 4 bytes a pair when `b16`, else 8.
struct TEmfRec {
    size_t pos = 0;        // of the record in the stream
    uint32_t type = 0;
    uint32_t size = 0;
    uint32_t count = 0;    // points the record carries (0 for the others)
    size_t ptsAt = 0;
    bool b16 = false;
};

enum class TEmfStep { Record, End, Bad };

inline bool EmfIsPoly32(uint32_t t) { return t >= kEmrPolyBezier && t <= kEmrPolyBezierTo; }
inline bool EmfIsPoly16(uint32_t t) { return t >= kEmrPolyBezier16 && t <= kEmrPolyBezierTo16; }

// The record at `pos`; advances pos past it. End at the stream's end or an
// end-of-file record; Bad (with *why) for a record that cannot be trusted:
// size 0, below 8, not a multiple of 4 or past the end, or points past the
// record's end.
inline TEmfStep EmfNextRecord(const uint8_t* p, size_t n, size_t& pos, TEmfRec* rec, std::string* why)
{
    auto bad = [&](const char* text) {
        if (why)
            *why = text + std::string(" at byte ") + std::to_string(pos);
        return TEmfStep::Bad;
    };
    if (pos >= n)
        return TEmfStep::End;
    if (n - pos < 8)
        return bad("a record header past the end of the stream");
    TEmfRec r;
    r.pos = pos;
    r.type = EmfU32(p + pos);
    r.size = EmfU32(p + pos + 4);
    if (r.size < 8)
        return bad(r.size == 0 ? "a record of size 0" : "a record shorter than 8 bytes");
    if (r.size % 4 != 0)
        return bad("a record size that is not a multiple of 4");
    if (r.size > n - pos)
        return bad("a record past the end of the stream");
    if (r.type == kEmrEof)
        return TEmfStep::End;
    if (r.type == kEmrMoveTo || r.type == kEmrLineTo) {
        if (r.size < 16)
            return bad("a point record too short for its point");
        r.count = 1;
        r.ptsAt = pos + 8;
    } else if (EmfIsPoly32(r.type) || EmfIsPoly16(r.type)) {
        if (r.size < 28)
            return bad("a poly record too short for its count");
        r.b16 = EmfIsPoly16(r.type);
        r.count = EmfU32(p + pos + 24);
        const uint64_t need = 28 + uint64_t(r.count) * (r.b16 ? 4u : 8u);
        if (need > r.size)
            return bad("a point count that runs past its record");
        r.ptsAt = pos + 28;
    }
    pos += r.size;
    *rec = r;
    return TEmfStep::Record;
}

// Point k of a record (k < rec.count).
inline void EmfGetPoint(const uint8_t* p, const TEmfRec& rec, uint32_t k, int32_t* x, int32_t* y)
{
    if (rec.b16) {
        const uint8_t* q = p + rec.ptsAt + size_t(k) * 4;
        *x = EmfI16(q);
        *y = EmfI16(q + 2);
    } else {
        const uint8_t* q = p + rec.ptsAt + size_t(k) * 8;
        *x = EmfI32(q);
        *y = EmfI32(q + 4);
    }
}

// Writes point k, clamped to the record's point width.
inline void EmfSetPoint(uint8_t* p, const TEmfRec& rec, uint32_t k, int64_t x, int64_t y)
{
    auto clamp = [](int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; };
    if (rec.b16) {
        uint8_t* q = p + rec.ptsAt + size_t(k) * 4;
        EmfPutI16(q, int16_t(clamp(x, INT16_MIN, INT16_MAX)));
        EmfPutI16(q + 2, int16_t(clamp(y, INT16_MIN, INT16_MAX)));
    } else {
        uint8_t* q = p + rec.ptsAt + size_t(k) * 8;
        EmfPutI32(q, int32_t(clamp(x, INT32_MIN, INT32_MAX)));
        EmfPutI32(q + 4, int32_t(clamp(y, INT32_MIN, INT32_MAX)));
    }
}
