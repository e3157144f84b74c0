// The part encoding and the jigsaw file.
//
// Layout (integers unsigned 32-bit little-endian):
//   0  "ZIVRA1.0" and a zero byte     9  width    13  height
//   17 key block: byte 0 indexes the header key inside the block
//   27 part 1 thumbnail (constant key), part 2 description (rotating),
//      part 3 picture (rotating); anything after part 3 is ignored.
#include "files/files.h"

#include "base/my_image.h"
#include "model/puzzle.h"

#include <cstring>

namespace {

const char kJigMagic[9] = {'Z', 'I', 'V', 'R', 'A', '1', '.', '0', '\0'};

}  // namespace

// ---- Part encoding ----------------------------------------------------------------

void ScrambleBytes(uint8_t* p, size_t n, uint8_t key, bool rotating)
{
    // Either key stream repeats every 8 bytes (a byte turned 8 times is
    // itself again), so both modes XOR with one 64-bit pattern.
    uint8_t pattern[8];
    uint8_t k = key;
    for (uint8_t& b : pattern) {
        b = k;
        if (rotating)
            k = uint8_t((k >> 1) | (k << 7));
    }
    uint64_t word;
    std::memcpy(&word, pattern, 8);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v;
        std::memcpy(&v, p + i, 8);
        v ^= word;
        std::memcpy(p + i, &v, 8);
    }
    for (; i < n; ++i)
        p[i] ^= pattern[i % 8];
}

bool SaveBigFilePartToData(OBinReader& f, uint8_t key, bool rotating, uint32_t maxLen,
                           std::vector<uint8_t>* out, int64_t* endOffset)
{
    uint32_t n = 0;
    // The length is checked against the bytes really present before any
    // allocation, so a hostile 0xFFFFFFFF costs nothing.
    if (!f.ReadU32(&n) || n > maxLen || int64_t(n) > f.Left())
        return false;
    // A picture part is tens of megabytes, read once into fresh memory: in
    // large pages its first touch costs a fault per 2 MB, not per 4 KB.
    out->reserve(n);
    MyImageAdviseLargePages(out->data(), n);
    out->resize(n);
    if (!f.Read(out->data(), n))
        return false;
    ScrambleBytes(out->data(), n, key, rotating);
    if (endOffset)
        *endOffset = f.Pos();
    return true;
}

bool SaveDataToBigFile(OBinWriter& f, const uint8_t* data, size_t n, uint8_t key, bool rotating)
{
    if (n > UINT32_MAX || !f.WriteU32(uint32_t(n)))
        return false;
    // Scrambled a slice at a time: a part may be tens of megabytes. Slices are
    // a multiple of 8 bytes, so a rotating key starts each one afresh.
    constexpr size_t kSlice = size_t(1) << 20;
    std::vector<uint8_t> buf(n < kSlice ? n : kSlice);
    for (size_t at = 0; at < n; at += kSlice) {
        const size_t len = n - at < kSlice ? n - at : kSlice;
        std::memcpy(buf.data(), data + at, len);
        ScrambleBytes(buf.data(), len, key, rotating);
        if (!f.Write(buf.data(), len))
            return false;
    }
    return true;
}

// ---- Reading ------------------------------------------------------------------------

bool JigFile_ReadHeader(OBinReader& f, TJigFileHeader* h)
{
    char magic[9];
    if (!f.Seek(0) || !f.Read(magic, 9) || std::memcmp(magic, kJigMagic, 9) != 0)
        return false;
    if (!f.ReadU32(&h->W) || !f.ReadU32(&h->H) || !f.Read(h->KeyBlock, 10))
        return false;
    if (h->W == 0 || h->H == 0 || h->W > uint32_t(kMyImageMaxSide) || h->H > uint32_t(kMyImageMaxSide))
        return false;
    if (h->KeyBlock[0] > 9)
        return false;
    h->HeaderKey = h->KeyBlock[h->KeyBlock[0]];
    return true;
}

OMyImagePtr DecodeThumbnail(const std::vector<uint8_t>& bytes)
{
    if (bytes.empty())
        return nullptr;
    // Refuse a thumbnail that claims a huge size before the decoder allocates it.
    int w = 0, h = 0;
    if (PictureSniffSize(bytes.data(), bytes.size(), &w, &h) &&
        (w <= 0 || h <= 0 || w > kMaxThumbSide || h > kMaxThumbSide))
        return nullptr;
    // A thumbnail is small: a short time budget, so that a list of them never stalls.
    TPictureLimits limits;
    limits.maxSide = kMaxThumbSide;
    limits.seconds = 1.0;
    OMyImagePtr img = DecodePicture(bytes.data(), bytes.size(), false, limits);
    if (!img || img->W <= 0 || img->H <= 0 || img->W > kMaxThumbSide || img->H > kMaxThumbSide)
        return nullptr;
    return img;
}

namespace {

// Length of the UTF-8 sequence at p (within n), or 0 when not valid.
size_t Utf8SeqLen(const uint8_t* p, size_t n)
{
    const uint8_t c = p[0];
    size_t len = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { len = 3; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { len = 4; cp = c & 0x07; }
    else return 0;
    if (len > n)
        return 0;
    for (size_t i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    const bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

}  // namespace

std::string DecodeDescription(const std::vector<uint8_t>& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const uint8_t c = bytes[i];
        if (c < 0x80) {
            if (c >= 0x20 || c == '\n' || c == '\t')
                out.push_back(char(c));
            else if (c == '\r' && !(i + 1 < bytes.size() && bytes[i + 1] == '\n'))
                out.push_back('\n');
            ++i;
            continue;
        }
        const size_t len = Utf8SeqLen(bytes.data() + i, bytes.size() - i);
        if (len == 0) {
            out.push_back('?');
            ++i;
        } else {
            out.append(reinterpret_cast<const char*>(bytes.data() + i), len);
            i += len;
        }
    }
    return out;
}

bool OpenJigData_ForListOrPreview(OBinReader& f, bool listOnly)
{
    TJigFileHeader h;
    if (!JigFile_ReadHeader(f, &h))
        return false;
    std::vector<uint8_t> thumb;
    int64_t end = 0;
    if (!SaveBigFilePartToData(f, kKeyThumb, false, kMaxThumbPartBytes, &thumb, &end))
        return false;
    OMyImagePtr img = DecodeThumbnail(thumb);
    if (!img)
        return false;
    miReadThumb = std::move(img);
    if (!listOnly) {
        NewJigP.ImageW = int32_t(h.W);
        NewJigP.ImageH = int32_t(h.H);
        NewJigP.SideNum = 1;
        NewJigP.Reserved96 = 0;
        NewJigP.HeaderKey = h.HeaderKey;
        NewJigP.DataOfs = int32_t(end);
        SetImageSize(0);
    }
    return true;
}

bool OpenJigFile_ForListOrPreview(const std::string& path, bool listOnly)
{
    if (!IsJigFile(path) || !FileExists(path))
        return false;
    OBinReader f;
    if (!f.OpenFile(path))
        return false;
    return OpenJigData_ForListOrPreview(f, listOnly);
}

bool JigFile_ReadPlayParts(OBinReader& f, int64_t dataOfs, std::string* desc, std::vector<uint8_t>* picture)
{
    std::vector<uint8_t> d;
    if (dataOfs < kJigHeaderSize || !f.Seek(dataOfs) ||
        !SaveBigFilePartToData(f, kKeyJigDesc, true, kMaxDescPartBytes, &d))
        return false;
    if (!SaveBigFilePartToData(f, kKeyJigPicture, true, kMaxPicturePartBytes, picture) || picture->empty())
        return false;
    *desc = DecodeDescription(d);
    return true;
}

bool JigFile_ReadInfo(const std::string& path, TJigFileInfo* info)
{
    OBinReader f;
    if (!f.OpenFile(path) || !JigFile_ReadHeader(f, &info->header))
        return false;
    std::vector<uint8_t> thumb, desc;
    if (!SaveBigFilePartToData(f, kKeyThumb, false, kMaxThumbPartBytes, &thumb, &info->DataOfs))
        return false;
    OMyImagePtr img = DecodeThumbnail(thumb);
    if (!img)
        return false;
    info->ThumbW = img->W;
    info->ThumbH = img->H;
    if (!SaveBigFilePartToData(f, kKeyJigDesc, true, kMaxDescPartBytes, &desc))
        return false;
    info->Desc = DecodeDescription(desc);
    // The picture part must be whole too, though it is not decoded here.
    uint32_t n = 0;
    return f.ReadU32(&n) && n > 0 && n <= kMaxPicturePartBytes && int64_t(n) <= f.Left();
}

OMyImagePtr ReadJigFilePicture(const std::string& path, bool convert, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return OMyImagePtr();
    };
    OBinReader f;
    if (!f.OpenFile(path))
        return fail("cannot open " + path);
    TJigFileHeader h;
    std::vector<uint8_t> thumb, picture;
    int64_t dataOfs = 0;
    std::string desc;
    if (!JigFile_ReadHeader(f, &h))
        return fail("not a jigsaw file: " + path);
    if (!SaveBigFilePartToData(f, kKeyThumb, false, kMaxThumbPartBytes, &thumb, &dataOfs) ||
        !JigFile_ReadPlayParts(f, dataOfs, &desc, &picture))
        return fail("damaged jigsaw file: " + path);
    std::string why;
    OMyImagePtr img = DecodePicture(picture.data(), picture.size(), convert, TPictureLimits{}, &why);
    if (!img)
        return fail("cannot decode the picture of " + path + ": " + why);
    return img;
}

// ---- Writing ------------------------------------------------------------------------

bool SaveJigFile(const std::string& path, uint32_t w, uint32_t h, const uint8_t keyBlock[10],
                 const std::vector<uint8_t>& thumbBytes, const std::string& desc,
                 const std::vector<uint8_t>& pictureBytes, std::string* error)
{
    // Never write what the readers would refuse: the jigsaw could not be opened.
    const char* refusal = thumbBytes.empty() || thumbBytes.size() > kMaxThumbPartBytes ? "thumbnail"
                          : desc.size() > kMaxDescPartBytes                             ? "description"
                          : pictureBytes.empty() || pictureBytes.size() > kMaxPicturePartBytes ? "picture"
                                                                                          : nullptr;
    if (refusal) {
        if (error)
            *error = std::string("the jigsaw's ") + refusal + " is empty or too large";
        return false;
    }
    const size_t total = size_t(kJigHeaderSize) + 12 + thumbBytes.size() + desc.size() + pictureBytes.size();
    std::vector<uint8_t> out(total);
    size_t at = 0;
    auto put = [&](const void* p, size_t n) {
        if (n)
            std::memcpy(out.data() + at, p, n);
        at += n;
    };
    auto put32 = [&](uint32_t v) {
        const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        put(b, 4);
    };
    auto putPart = [&](const void* p, size_t n, uint8_t key, bool rotating) {
        put32(uint32_t(n));
        put(p, n);
        ScrambleBytes(out.data() + at - n, n, key, rotating);
    };
    put(kJigMagic, 9);
    put32(w);
    put32(h);
    put(keyBlock, 10);
    putPart(thumbBytes.data(), thumbBytes.size(), kKeyThumb, false);
    putPart(desc.data(), desc.size(), kKeyJigDesc, true);
    putPart(pictureBytes.data(), pictureBytes.size(), kKeyJigPicture, true);
    return WriteFileAtomically(path, out, error);
}
