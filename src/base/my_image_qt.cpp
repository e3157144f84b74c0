// Decoding and encoding through QImage (QtGui only; no application object).
//
// Qt's decoders are forgiving in ways a game that reads downloaded files must
// not be: a truncated JPEG or PNG decodes "successfully" with grey filling and
// a BMP that claims 5000 x 5000 in 1 KB loads. So the declared size is checked
// against our limits before anything is allocated, and the byte stream is
// checked for its proper end before it is decoded.
#include "base/my_image.h"
#include "base/my_image_qt.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <cstring>

namespace {

// Enough for the largest picture we accept, as Qt counts it (4 bytes a pixel),
// plus a conversion copy.
constexpr int kDecodeLimitMB = int(kMyImageMaxPixels * 4 * 2 / (1024 * 1024));

uint32_t GetLE32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
uint16_t GetLE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

bool StartsWith(const uint8_t* d, size_t n, const char* magic, size_t m)
{
    return n >= m && std::memcmp(d, magic, m) == 0;
}

// A JPEG is whole when an end-of-image marker follows its last start-of-scan
// (entropy-coded data never holds a marker byte pair, so this cannot be fooled
// by an embedded thumbnail, whose end comes before the main scan).
bool JpegComplete(const uint8_t* d, size_t n)
{
    size_t lastSos = 0;
    bool sos = false;
    for (size_t i = 0; i + 1 < n; ++i)
        if (d[i] == 0xFF && d[i + 1] == 0xDA) {
            lastSos = i;
            sos = true;
        }
    if (!sos)
        return false;
    for (size_t i = n - 1; i > lastSos + 1; --i)
        if (d[i - 1] == 0xFF && d[i] == 0xD9)
            return true;
    return false;
}

bool PngComplete(const uint8_t* d, size_t n)
{
    // The IEND chunk: length 0, "IEND", CRC; it may be followed by junk.
    if (n < 20)
        return false;
    for (size_t i = n - 3; i-- > 8;)
        if (std::memcmp(d + i, "IEND", 4) == 0)
            return true;
    return false;
}

// An uncompressed BMP must hold every row it claims.
bool BmpComplete(const uint8_t* d, size_t n, std::string* why)
{
    if (n < 54) {
        *why = "BMP header cut short";
        return false;
    }
    const uint32_t pixOfs = GetLE32(d + 10);
    const uint32_t hdrSize = GetLE32(d + 14);
    if (hdrSize < 40)
        return true;  // old OS/2 header: let the decoder judge
    const int64_t w = int32_t(GetLE32(d + 18));
    int64_t h = int32_t(GetLE32(d + 22));
    const int bpp = GetLE16(d + 28);
    const uint32_t compression = GetLE32(d + 30);
    if (h < 0)
        h = -h;
    if (w <= 0 || h <= 0 || w > kMyImageMaxSide || h > kMyImageMaxSide) {
        *why = "BMP size out of range";
        return false;
    }
    if (compression != 0 && compression != 3)
        return true;  // run-length data: its length is not known in advance
    const int64_t rowBytes = ((w * bpp + 31) / 32) * 4;
    if (int64_t(pixOfs) + rowBytes * h > int64_t(n)) {
        *why = "BMP pixel data cut short";
        return false;
    }
    return true;
}

bool StreamComplete(const uint8_t* d, size_t n, std::string* why)
{
    if (StartsWith(d, n, "\xFF\xD8\xFF", 3)) {
        if (!JpegComplete(d, n)) {
            *why = "JPEG data cut short";
            return false;
        }
    } else if (StartsWith(d, n, "\x89PNG\r\n\x1A\n", 8)) {
        if (!PngComplete(d, n)) {
            *why = "PNG data cut short";
            return false;
        }
    } else if (StartsWith(d, n, "BM", 2)) {
        return BmpComplete(d, n, why);
    }
    return true;
}

// The pictures the game reads most (its own resources, flags, thumbnails)
// are PNG and BMP, which Qt decodes itself: named by their first bytes they
// go straight to its decoder. Deciding from the content instead lets every
// image plugin look at the bytes first, and loads them all on first use.
const char* BuiltInFormatOf(const uint8_t* d, size_t n)
{
    if (StartsWith(d, n, "\x89PNG\r\n\x1A\n", 8))
        return "png";
    if (StartsWith(d, n, "BM", 2))
        return "bmp";
    return nullptr;
}

void SetError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

}  // namespace

// Rows of 0xAARRGGBB words (Qt's RGB32/ARGB32, blue first in memory) into our
// red-first layout; opaque sources get alpha 255.
static void SwizzleRows(const QImage& src, OMyImage& img, bool opaque)
{
    for (int y = 0; y < img.H; ++y) {
        const uint8_t* s = src.constScanLine(y);
        uint8_t* d = img.pMem + ptrdiff_t(y) * img.iBPL;
        if (img.iBPP == 4) {
            for (int x = 0; x < img.W; ++x, s += 4, d += 4) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
                d[3] = opaque ? 255 : s[3];
            }
        } else {
            for (int x = 0; x < img.W; ++x, s += 4, d += 3) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
            }
        }
    }
}

OMyImagePtr MyImageFromQImage(const QImage& src, bool keepAlphaLayout)
{
    if (src.isNull())
        return nullptr;
    const bool alpha = keepAlphaLayout ? src.hasAlphaChannel() : true;
    OMyImagePtr img = MyImageCreateExt(src.width(), src.height(), alpha);
    if (!img)
        return nullptr;
    // Decoders mostly hand out 32-bit words; swizzling them ourselves is several
    // times faster than a general format conversion.
    if (src.format() == QImage::Format_RGB32 || src.format() == QImage::Format_ARGB32) {
        SwizzleRows(src, *img, src.format() == QImage::Format_RGB32);
        return img;
    }
    const QImage conv = src.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const size_t rowBytes = size_t(img->iBPL);
    for (int y = 0; y < img->H; ++y)
        std::memcpy(img->pMem + size_t(y) * rowBytes, conv.constScanLine(y), rowBytes);
    return img;
}

QImage MyImageToQImage(const OMyImage& img)
{
    if (!img.pMem || img.W == 0 || img.H == 0)
        return QImage();
    const QImage view(img.pMem, img.W, img.H, img.iBPL,
                      img.iBPP == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    return view.copy();  // detached from our memory
}

OMyImagePtr MyImageCreateFromData(const void* data, size_t size, bool convert, std::string* error)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (!data || size == 0) {
        SetError(error, "no picture data");
        return nullptr;
    }
    if (size > size_t(INT32_MAX)) {
        SetError(error, "picture data too large");
        return nullptr;
    }
    std::string why;
    if (!StreamComplete(bytes, size, &why)) {
        SetError(error, why);
        return nullptr;
    }
    QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&raw);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (const char* format = BuiltInFormatOf(bytes, size)) {
        reader.setFormat(format);
        reader.setAutoDetectImageFormat(false);  // else the plugins are still asked first
    } else {
        reader.setDecideFormatFromContent(true);
    }
    QImageReader::setAllocationLimit(kDecodeLimitMB);
    const QSize declared = reader.size();
    if (declared.isValid() &&
        (declared.width() > kMyImageMaxSide || declared.height() > kMyImageMaxSide ||
         int64_t(declared.width()) * declared.height() > kMyImageMaxPixels)) {
        SetError(error, "picture too large: " + std::to_string(declared.width()) + " x " +
                            std::to_string(declared.height()));
        return nullptr;
    }
    const QImage decoded = reader.read();
    if (decoded.isNull()) {
        SetError(error, "cannot decode picture: " + reader.errorString().toStdString());
        return nullptr;
    }
    OMyImagePtr img = MyImageFromQImage(decoded, !convert);
    if (!img)
        SetError(error, "picture too large");
    return img;
}

OMyImagePtr MyImageCreateFromFile(const std::string& path, bool convert, std::string* error)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, "cannot open " + path);
        return nullptr;
    }
    if (file.size() > qint64(INT32_MAX)) {
        SetError(error, "picture file too large: " + path);
        return nullptr;
    }
    const QByteArray all = file.readAll();
    return MyImageCreateFromData(all.constData(), size_t(all.size()), convert, error);
}

std::vector<uint8_t> MyImageEncode(const OMyImage& img, const char* format, int quality)
{
    const QImage q = MyImageToQImage(img);
    if (q.isNull())
        return {};
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(q))
        return {};
    return std::vector<uint8_t>(out.begin(), out.end());
}

bool MyImageSaveToFile(const OMyImage& img, const std::string& path, int quality)
{
    const QImage q = MyImageToQImage(img);
    if (q.isNull())
        return false;
    QImageWriter writer(QString::fromStdString(path));
    if (quality >= 0)
        writer.setQuality(quality);
    return writer.write(q);
}
