// Decoding a picture from outside: the gate first, then Qt's decoder reading
// through a device that stops feeding it when the time budget is spent. The
// decoders offer no way to be stopped; one that runs out of input finishes
// promptly (with a damaged picture, which is then refused).
#include "files/files.h"

#include "base/my_image_qt.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QImageReader>

#include <algorithm>
#include <cstring>

namespace {

class ODeadlineDevice : public QIODevice {
public:
    ODeadlineDevice(const uint8_t* data, size_t n, double seconds)
        : data_(data), n_(qint64(n)), budgetMs_(qint64(seconds * 1000))
    {
        clock_.start();
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return n_; }
    bool Expired() const { return expired_; }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        if (clock_.elapsed() > budgetMs_) {
            expired_ = true;
            return -1;
        }
        const qint64 at = pos();
        const qint64 take = std::min(max, n_ - at);
        if (take <= 0)
            return 0;
        std::memcpy(out, data_ + at, size_t(take));
        return take;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const uint8_t* data_;
    qint64 n_;
    qint64 budgetMs_;
    QElapsedTimer clock_;
    bool expired_ = false;
};

OMyImagePtr Fail(std::string* why, const std::string& text)
{
    if (why)
        *why = text;
    return nullptr;
}

}  // namespace

OMyImagePtr DecodePicture(const uint8_t* data, size_t n, bool convert, const TPictureLimits& limits,
                          std::string* why)
{
    if (!PictureGate(data, n, limits, why))
        return nullptr;
    if (n > size_t(INT32_MAX))
        return Fail(why, "picture data too large");
    ODeadlineDevice device(data, n, limits.seconds);
    device.open(QIODevice::ReadOnly);
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    // Qt counts 4 bytes a pixel; room for the picture and one conversion copy.
    QImageReader::setAllocationLimit(int(std::max<int64_t>(1, limits.maxPixels * 4 * 2 >> 20)));
    const QSize declared = reader.size();
    if (declared.isValid() && (declared.width() > limits.maxSide || declared.height() > limits.maxSide ||
                               int64_t(declared.width()) * declared.height() > limits.maxPixels))
        return Fail(why, "the picture is too large");
    const QImage decoded = reader.read();
    if (device.Expired())
        return Fail(why, "the picture takes too long to decode");
    if (decoded.isNull())
        return Fail(why, "cannot decode the picture: " + reader.errorString().toStdString());
    OMyImagePtr img = MyImageFromQImage(decoded, !convert);
    if (!img)
        return Fail(why, "the picture is too large");
    return img;
}
