// The open dialog's work that needs no widgets: the piece count of a level,
// the piece-size preview, the seed text, and jigsaws made from the player's
// own pictures.
#include "shell/open_dialog.h"

#include "cutting/cutting.h"
#include "base/my_image_qt.h"
#include "files/files.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <cctype>
#include <climits>

// ---- Piece count ----------------------------------------------------------------------------

int CountNewJigPieces(TJigParams& p, int w, int h, int border)
{
    p.BorderStyle = uint8_t(border);
    p.TotalTileNum = 0;
    if (!FillMaskParams(w, h, p.ShapeStyle, border))
        return 0;
    SetJigParamsFromLevel(p, w, h, std::clamp(int(p.Level), 0, kMaskLevels - 1));
    return p.TotalTileNum;
}

// ---- Piece-size preview ---------------------------------------------------------------------

TPieceSizeGeometry PieceSizeGeometry(int s)
{
    TPieceSizeGeometry g;
    // A tile shown at the scale s / 128 fits the bitmap: draw it that small.
    if (s * kPieceSizeH < 21632 && s * kPieceSizeW < 21120) {
        g.drawW = s * kPieceSizeW / 128;
        g.drawH = s * kPieceSizeH / 128;
    }
    // A larger tile: the bitmap itself is shown enlarged, centred in its box.
    if (!(s * kPieceSizeW <= 21119 && s * kPieceSizeH < 21632)) {
        g.viewW = s * kPieceSizeW / 128;
        g.viewH = s * kPieceSizeH / 128;
    }
    return g;
}

OMyImagePtr DrawPieceSize(const OMyImage& masks, const OMyImage& bkg, int tileS, int shape, int emboss)
{
    const int cellX = 165 * shape + 1;
    if (tileS < 1 || !masks.HasPixels() || !bkg.HasPixels() || cellX + kPieceSizeW > masks.W ||
        masks.H < kPieceSizeH || bkg.W < kPieceSizeW || bkg.H < kPieceSizeH)
        return nullptr;
    const TPieceSizeGeometry g = PieceSizeGeometry(tileS);
    const QRect dest((kPieceSizeW - g.drawW) / 2, (kPieceSizeH - g.drawH) / 2, g.drawW, g.drawH);
    QImage canvas(kPieceSizeW, kPieceSizeH, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(dest, MyImageToQImage(masks), QRect(cellX, 0, kPieceSizeW, kPieceSizeH));
    }
    // A hard mask: the outline gets no half-transparent fringe.
    for (int y = 0; y < canvas.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        for (int x = 0; x < canvas.width(); ++x)
            row[x] = qAlpha(row[x]) >= 128 ? (row[x] | 0xFF000000u) : 0u;
    }
    {
        QPainter p(&canvas);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.drawImage(dest, MyImageToQImage(bkg), QRect((kPieceSizeW - g.drawW) / 2, (kPieceSizeH - g.drawH) / 2,
                                                      g.drawW, g.drawH));
    }
    OMyImagePtr img = MyImageFromQImage(canvas, false);
    if (img)
        CreateEmbossedEdges(*img, emboss);
    return img;
}

// ---- Seed -----------------------------------------------------------------------------------

std::optional<int32_t> ParseSeedText(const std::string& text)
{
    std::string t = text;
    CSTrim(t);
    if (t.empty())
        return std::nullopt;
    // Like a text's integer value: an optional sign and the leading digits,
    // held to the 32-bit range; no digits at all give 0.
    size_t i = 0;
    bool neg = false;
    if (t[i] == '+' || t[i] == '-')
        neg = t[i++] == '-';
    int64_t v = 0;
    for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
        v = v * 10 + (t[i] - '0');
        if (v > int64_t(INT32_MAX) + 1)
            v = int64_t(INT32_MAX) + 1;
    }
    v = neg ? -v : v;
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// ---- Own pictures ---------------------------------------------------------------------------

namespace {

std::string Say(const std::string& key, const std::vector<LangArg>& args)
{
    return LangFormat(CaretMesFormat(key), args);
}

// "<base>.zjg" in folder, or "<base> 2.zjg", "<base> 3.zjg"... whichever no
// file uses yet (names compared without regard to case, as the list does).
std::string UniqueJigsawPath(const std::string& folder, std::string base)
{
    for (char& c : base)
        if (c == '/' || c == '\\' || c == '?' || static_cast<unsigned char>(c) < 32)
            c = '_';
    if (TrimStrEmpty(base) || base[0] == '.')
        base = "Picture" + base;
    const QDir dir(QString::fromStdString(folder));
    const QStringList taken = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    auto used = [&](const QString& n) { return taken.contains(n, Qt::CaseInsensitive); };
    const QString ext = QString::fromStdString("." + FileNames.sSetJigExt);
    QString name = QString::fromStdString(base) + ext;
    for (int k = 2; used(name); ++k)
        name = QString::fromStdString(base) + QStringLiteral(" %1").arg(k) + ext;
    return dir.filePath(name).toStdString();
}

// The picture reduced to fit 160 x 120 (never enlarged), as JPEG.
std::vector<uint8_t> MakeListThumbnail(const OMyImage& img)
{
    QImage q = MyImageToQImage(img);
    if (q.isNull())
        return {};
    int w = q.width(), h = q.height();
    PropReduceWH(&w, &h, 160, 120);
    q = q.scaled(std::max(1, w), std::max(1, h), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB888);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (!q.save(&buffer, "JPG", 90))
        return {};
    return std::vector<uint8_t>(out.begin(), out.end());
}

}  // namespace

bool MakeJigsawFromPicture(const std::string& picture, const std::string& folder, std::string* jigsaw,
                           std::string* message)
{
    const std::string shown = FileNameOf(picture);
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(picture, kMaxPicturePartBytes, &bytes) || bytes.empty()) {
        *message = Say("MS_CantReadPicture", {shown, "the file cannot be read, or it is empty or too large"});
        return false;
    }
    std::string why;
    const OMyImagePtr img = MyImageCreateFromData(bytes.data(), bytes.size(), false, &why);
    if (!img) {
        *message = Say("MS_CantReadPicture", {shown, why});
        return false;
    }
    // Even the coarsest level needs pieces of the smallest tile the cutter
    // is made for (20 pixels): a picture of at least 80 pixels a side.
    const TMaskParam& coarsest = MaskParams[kMaskLevels - 1];
    if (!FillMaskParams(img->W, img->H, 0, 0) || coarsest.TotalTileNum < 1 || coarsest.TileS < 20) {
        *message = Say("MS_PictureTooSmall", {shown});
        return false;
    }
    const std::vector<uint8_t> thumb = MakeListThumbnail(*img);
    uint8_t keys[10];
    SRandDev();
    keys[0] = uint8_t(MyRandom(10));
    for (int i = 1; i < 10; ++i)
        keys[i] = uint8_t(MyRandom(256));
    const std::string base = QFileInfo(QString::fromStdString(shown)).completeBaseName().toStdString();
    const std::string path = UniqueJigsawPath(folder, base);
    if (thumb.empty() || !SaveJigFile(path, uint32_t(img->W), uint32_t(img->H), keys, thumb, base, bytes, &why)) {
        *message = Say("MS_CantWriteJigsaw", {FileNameOf(path), thumb.empty() ? "no thumbnail" : why});
        return false;
    }
    *jigsaw = path;
    return true;
}
