#include "art.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

#include "gif_writer.h"

#include <cmath>
#include <cstdio>

// ---- Output -------------------------------------------------------------------

bool ArtOut::MakeFolderFor(const std::string& name)
{
    const QString dir = QFileInfo(QString::fromStdString(Path(name))).absolutePath();
    return QDir().mkpath(dir);
}

void ArtOut::Done(const std::string& name, bool ok)
{
    if (ok)
        written_.push_back(name);
    else if (error_.empty())
        error_ = "cannot write " + Path(name);
}

static bool WriteImage(const std::string& path, const QImage& img, const char* format, int quality, int compression)
{
    QImageWriter writer(QString::fromStdString(path), format);
    if (quality >= 0) writer.setQuality(quality);
    if (compression >= 0) writer.setCompression(compression);
    return writer.write(img);
}

void ArtOut::Png(const std::string& name, const QImage& img)
{
    Done(name, MakeFolderFor(name) && WriteImage(Path(name), img.convertToFormat(QImage::Format_ARGB32), "png", -1, -1));
}

void ArtOut::Jpeg(const std::string& name, const QImage& img, int quality)
{
    Done(name, MakeFolderFor(name) && WriteImage(Path(name), img.convertToFormat(QImage::Format_RGB32), "jpeg", quality, -1));
}

void ArtOut::Tiff(const std::string& name, const QImage& img)
{
    Done(name, MakeFolderFor(name) && WriteImage(Path(name), img.convertToFormat(QImage::Format_ARGB32), "tiff", -1, 1));
}

void ArtOut::Bmp(const std::string& name, const QImage& img)
{
    Done(name, MakeFolderFor(name) && WriteImage(Path(name), img.convertToFormat(QImage::Format_RGB888), "bmp", -1, -1));
}

void ArtOut::Gif(const std::string& name, const QImage& img, bool transparency)
{
    const QImage rgba = ToRgba(img);
    const GifPicture pic = GifQuantize(rgba.constBits(), rgba.width(), rgba.height(), int(rgba.bytesPerLine()), 256, transparency);
    std::string error;
    Done(name, MakeFolderFor(name) && GifWriteFile(Path(name), pic, &error));
}

void ArtOut::Bytes(const std::string& name, const std::vector<uint8_t>& data)
{
    bool ok = MakeFolderFor(name);
    if (ok) {
        FILE* f = std::fopen(Path(name).c_str(), "wb");
        ok = f && std::fwrite(data.data(), 1, data.size(), f) == data.size();
        if (f) ok = (std::fclose(f) == 0) && ok;
    }
    Done(name, ok);
}

// ---- Numbers ------------------------------------------------------------------

double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
double Lerp(double a, double b, double t) { return a + (b - a) * t; }

double SmoothStep(double e0, double e1, double v)
{
    const double t = Clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

uint32_t Hash3(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B9u ^ uint32_t(x) * 0x85EBCA6Bu ^ uint32_t(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double Hash01(int32_t x, int32_t y, uint32_t seed) { return (Hash3(x, y, seed) >> 8) * (1.0 / 16777216.0); }

double ValueNoise(double x, double y, uint32_t seed)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = int32_t(fx), iy = int32_t(fy);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const double a = Hash01(ix, iy, seed), b = Hash01(ix + 1, iy, seed);
    const double c = Hash01(ix, iy + 1, seed), d = Hash01(ix + 1, iy + 1, seed);
    return Lerp(Lerp(a, b, tx), Lerp(c, d, tx), ty);
}

double Fbm(double x, double y, int octaves, uint32_t seed)
{
    double sum = 0, amp = 0.5, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * ValueNoise(x, y, seed + uint32_t(i) * 101u);
        norm += amp;
        amp *= 0.5;
        x = x * 2.03 + 17.1;
        y = y * 2.03 - 9.7;
    }
    return sum / norm;
}

uint32_t ArtRand::Next()
{
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
}

double ArtRand::Uniform(double lo, double hi) { return lo + (hi - lo) * ((Next() >> 8) * (1.0 / 16777216.0)); }
int ArtRand::Int(int lo, int hi) { return lo + int(Next() % uint32_t(hi - lo + 1)); }

// ---- Colours --------------------------------------------------------------------

QColor Mix(const QColor& a, const QColor& b, double t)
{
    t = Clamp01(t);
    return QColor::fromRgbF(float(Lerp(a.redF(), b.redF(), t)), float(Lerp(a.greenF(), b.greenF(), t)),
                            float(Lerp(a.blueF(), b.blueF(), t)), float(Lerp(a.alphaF(), b.alphaF(), t)));
}

QColor Shade(const QColor& c, double f)
{
    if (f <= 1) return Mix(QColor(0, 0, 0, c.alpha()), c, f);
    return Mix(c, QColor(255, 255, 255, c.alpha()), f - 1);
}

QColor WithAlpha(const QColor& c, int alpha)
{
    QColor r = c;
    r.setAlpha(alpha);
    return r;
}

namespace Pal {
const QColor Ink(58, 34, 18);
const QColor Walnut(104, 62, 34), WalnutLight(150, 96, 56), WalnutDark(62, 36, 20);
const QColor Maple(226, 186, 128), MapleDark(184, 136, 80);
const QColor BrassLight(255, 236, 160), Brass(214, 168, 74), BrassDark(128, 88, 30);
const QColor Felt(44, 110, 72), FeltDark(24, 70, 44);
const QColor Paper(250, 244, 228), PaperDark(214, 200, 170);
const QColor Sky(96, 160, 214), Leaf(96, 156, 64), Berry(196, 54, 64), Ocean(40, 110, 170);
}  // namespace Pal

// ---- Canvases ---------------------------------------------------------------------

QImage NewCanvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void BeginSmooth(QPainter& p, QImage& img, double scale)
{
    p.begin(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.scale(scale, scale);
}

QImage ToRgba(const QImage& img) { return img.convertToFormat(QImage::Format_RGBA8888); }

// ---- Shapes --------------------------------------------------------------------------

namespace {

// Edge figures: cubic Bézier chains over a 127-wide edge whose base line is
// y = 31; smaller y bulges away from the piece.
const int kFig0[] = {0,31, 11,32, 21,44, 37,44, 47,45, 52,39, 54,32, 55,17, 41,17, 43,9, 43,4, 50,-1, 64,0,
                     77,-1, 84,4, 84,9, 86,17, 72,17, 73,32, 75,39, 80,45, 90,44, 106,44, 116,32, 127,31};
const int kFig1[] = {0,31, 14,31, 24,27, 31,19, 43,6, 48,0, 64,0, 79,0, 84,6, 96,19, 103,27, 113,31, 127,31};
const int kFig2[] = {0,31, 7,31, 14,39, 21,40, 30,44, 40,42, 40,35, 40,29, 27,27, 34,16, 37,11, 44,9, 51,7, 55,5,
                     58,6, 64,6, 69,6, 72,5, 76,7, 83,9, 90,11, 93,16, 100,27, 87,29, 87,35, 87,42, 97,44,
                     106,40, 113,39, 120,31, 127,31};
const int kFig3[] = {0,31, 6,31, 15,36, 35,35, 44,33, 45,34, 53,30, 53,26, 53,23, 53,20, 46,18, 43,15, 43,10,
                     43,2, 52,0, 59,0, 61,0, 62,0, 64,0, 65,0, 66,0, 68,0, 75,0, 84,2, 84,10, 84,15, 81,18,
                     74,20, 74,23, 74,26, 74,30, 82,34, 83,33, 92,35, 112,36, 121,31, 127,31};
const int kFig4[] = {0,31, 25,31, 32,47, 46,47, 65,46, 66,40, 66,32, 67,28, 63,20, 58,20, 54,20, 51,24, 47,24,
                     41,25, 39,22, 38,19, 37,-3, 74,-4, 81,7, 86,14, 88,26, 98,29, 107,32, 118,32, 127,31};
const int kFig5[] = {0,31, 14,31, 29,34, 52,34, 58,33, 60,31, 60,25, 58,14, 40,16, 35,9, 33,5, 34,0, 40,0,
                     47,0, 72,0, 82,0, 88,2, 90,4, 90,8, 90,14, 85,19, 85,24, 85,33, 88,34, 96,34, 106,34,
                     115,31, 127,31};
const int kFig6[] = {0,31, 13,24, 47,29, 36,41, 30,48, 29,59, 40,61, 48,61, 45,55, 51,55, 58,55, 55,61, 64,61,
                     74,59, 67,45, 64,41, 61,36, 52,20, 64,19, 73,19, 70,24, 76,24, 82,24, 79,19, 89,19,
                     101,21, 93,34, 89,41, 84,57, 117,31, 127,31};

struct Figure { const int* xy; int n; };
const Figure kFigures[] = {{kFig0, 25}, {kFig1, 13}, {kFig2, 31}, {kFig3, 37},
                           {kFig4, 25}, {kFig5, 28}, {kFig6, 31}};

}  // namespace

void AppendEdge(QPainterPath& path, QPointF a, QPointF b, int dir, int figure, double depth)
{
    if (dir == 0) {
        path.lineTo(b);
        return;
    }
    const Figure& f = kFigures[figure];
    const QPointF along = b - a;
    const double len = std::hypot(along.x(), along.y());
    const QPointF normal(along.y() / len, -along.x() / len);  // left of a->b on screen
    auto map = [&](int i) {
        const double u = f.xy[2 * i] / 127.0;
        const double v = (31 - f.xy[2 * i + 1]) / 127.0;
        return a + along * u + normal * (v * len * dir * depth);
    };
    // Chains whose point count is not 1 + 3k end with straight segments.
    int i = 1;
    for (; i + 2 < f.n; i += 3) path.cubicTo(map(i), map(i + 1), map(i + 2));
    for (; i < f.n; ++i) path.lineTo(map(i));
    path.lineTo(b);
}

QPainterPath PiecePath(const QRectF& body, const int tabs[4], int figure, double depth)
{
    QPainterPath path;
    const QPointF tl = body.topLeft(), tr = body.topRight(), br = body.bottomRight(), bl = body.bottomLeft();
    path.moveTo(tl);
    AppendEdge(path, tl, tr, tabs[0], figure, depth);
    AppendEdge(path, tr, br, tabs[1], figure, depth);
    AppendEdge(path, br, bl, tabs[2], figure, depth);
    AppendEdge(path, bl, tl, tabs[3], figure, depth);
    path.closeSubpath();
    return path;
}

QPainterPath RoundRect(const QRectF& r, double radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath Circle(QPointF c, double r)
{
    QPainterPath path;
    path.addEllipse(c, r, r);
    return path;
}

// ---- Materials -------------------------------------------------------------------------

void FillBrass(QPainter& p, const QPainterPath& path, double rim, double bright)
{
    const QRectF r = path.boundingRect();
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0.0, Shade(Pal::BrassLight, bright));
    g.setColorAt(0.35, Shade(Pal::Brass, bright));
    g.setColorAt(0.55, Shade(QColor(236, 196, 104), bright));
    g.setColorAt(1.0, Shade(Pal::BrassDark, bright));
    p.save();
    p.setPen(rim > 0 ? QPen(QColor(96, 62, 18), rim) : Qt::NoPen);
    p.setBrush(g);
    p.drawPath(path);
    p.restore();
}

void FillWood(QPainter& p, const QPainterPath& path, bool dark, uint32_t seed)
{
    const QRectF r = path.boundingRect();
    const QColor base = dark ? Pal::Walnut : Pal::Maple;
    const QColor deep = dark ? Pal::WalnutDark : Pal::MapleDark;
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    ArtRand rnd(seed);
    const int stops = 7;
    for (int i = 0; i <= stops; ++i)
        g.setColorAt(double(i) / stops, Mix(base, deep, rnd.Uniform(0.0, 0.55)));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(path);
    QLinearGradient light(r.topLeft(), r.bottomRight());
    light.setColorAt(0, QColor(255, 255, 255, 60));
    light.setColorAt(0.5, QColor(255, 255, 255, 0));
    light.setColorAt(1, QColor(0, 0, 0, 50));
    p.setBrush(light);
    p.drawPath(path);
    p.restore();
}

void DropShadow(QPainter& p, const QPainterPath& path, double dx, double dy, double blur, int alpha)
{
    p.save();
    p.translate(dx, dy);
    const int steps = 4;
    for (int i = steps; i >= 1; --i) {
        const double w = blur * i / steps;
        p.setPen(QPen(QColor(0, 0, 0, alpha / (steps + 1)), w * 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, alpha));
    p.drawPath(path);
    p.restore();
}

void Gloss(QPainter& p, const QPainterPath& path, int alpha)
{
    const QRectF r = path.boundingRect();
    QLinearGradient g(r.topLeft(), QPointF(r.left(), r.center().y()));
    g.setColorAt(0, QColor(255, 255, 255, alpha));
    g.setColorAt(1, QColor(255, 255, 255, 0));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.setClipPath(path);
    p.drawRect(QRectF(r.left(), r.top(), r.width(), r.height() / 2));
    p.restore();
}
