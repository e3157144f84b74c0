// Shared pieces of the artwork generator: the output folder with its
// encoders, deterministic noise, colour mixing, the jigsaw-piece outline and
// the brass, wood and glass fills that give the set its one look.
//
// Everything here is deterministic: the same build draws the same bytes, which
// the reproducibility test checks against the committed resources.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdint>
#include <string>
#include <vector>

// ---- Output -------------------------------------------------------------------
// Collects the files written and the first error.
class ArtOut {
public:
    explicit ArtOut(std::string folder) : folder_(std::move(folder)) {}
    std::string Path(const std::string& name) const { return folder_ + "/" + name; }
    void Png(const std::string& name, const QImage& img);
    void Jpeg(const std::string& name, const QImage& img, int quality);
    void Tiff(const std::string& name, const QImage& img);  // LZW, with alpha
    void Bmp(const std::string& name, const QImage& img);   // 24-bit
    void Gif(const std::string& name, const QImage& img, bool transparency);
    void Bytes(const std::string& name, const std::vector<uint8_t>& data);
    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    const std::vector<std::string>& Written() const { return written_; }
private:
    bool MakeFolderFor(const std::string& name);
    void Done(const std::string& name, bool ok);
    std::string folder_, error_;
    std::vector<std::string> written_;
};

// ---- Numbers ------------------------------------------------------------------
double Clamp01(double v);
double SmoothStep(double e0, double e1, double v);
double Lerp(double a, double b, double t);
uint32_t Hash3(int32_t x, int32_t y, uint32_t seed);     // well-mixed 32 bits
double Hash01(int32_t x, int32_t y, uint32_t seed);       // [0, 1)
double ValueNoise(double x, double y, uint32_t seed);     // smooth, [0, 1]
double Fbm(double x, double y, int octaves, uint32_t seed); // [0, 1], 0.5 on average

// A tiny deterministic generator for layouts (not for the game).
class ArtRand {
public:
    explicit ArtRand(uint32_t seed) : s_(seed ? seed : 1) {}
    uint32_t Next();
    double Uniform(double lo, double hi);
    int Int(int lo, int hi);  // lo..hi inclusive
private:
    uint32_t s_;
};

// ---- Colours --------------------------------------------------------------------
QColor Mix(const QColor& a, const QColor& b, double t);
QColor Shade(const QColor& c, double f);  // f < 1 darker, > 1 lighter
QColor WithAlpha(const QColor& c, int alpha);

// ---- Canvases ---------------------------------------------------------------------
// A transparent ARGB32 premultiplied canvas and a painter set up for smooth
// vector drawing at `scale` (1 for the base size, 2 for the @2x icons).
QImage NewCanvas(int w, int h);
void BeginSmooth(QPainter& p, QImage& img, double scale = 1.0);
// Pixel access in straight (not premultiplied) RGBA.
QImage ToRgba(const QImage& img);

// ---- Shapes --------------------------------------------------------------------------
// The outline of a jigsaw piece whose body is `body`. tabs[] gives the top,
// right, bottom and left edge: +1 a knob out, -1 a socket in, 0 straight.
// `figure` picks the edge figure (0..6; 0 is the classic round knob).
QPainterPath PiecePath(const QRectF& body, const int tabs[4], int figure = 0, double depth = 1.0);
// One edge from a to b with the figure bulging to the left of the direction
// a->b when dir = +1 (right when -1), appended to path (which must be at a).
// depth scales the bulge (1 = the figure's own proportions, about a quarter
// of the edge).
void AppendEdge(QPainterPath& path, QPointF a, QPointF b, int dir, int figure, double depth = 1.0);
QPainterPath RoundRect(const QRectF& r, double radius);
QPainterPath Circle(QPointF c, double r);

// ---- Materials -------------------------------------------------------------------------
// Brass: a warm gold gradient lit from the top left, with a darker rim line.
void FillBrass(QPainter& p, const QPainterPath& path, double rim = 1.0, double bright = 1.0);
// Polished dark wood (walnut) or light wood (maple) with a soft grain.
void FillWood(QPainter& p, const QPainterPath& path, bool dark, uint32_t seed);
// A soft drop shadow under a path (offset dx, dy, blurred by stacked strokes).
void DropShadow(QPainter& p, const QPainterPath& path, double dx, double dy, double blur, int alpha);
// A glossy highlight on the upper half of a shape.
void Gloss(QPainter& p, const QPainterPath& path, int alpha = 90);

// Palette of the set.
namespace Pal {
extern const QColor Ink;        // dark brown outline
extern const QColor Walnut, WalnutLight, WalnutDark;
extern const QColor Maple, MapleDark;
extern const QColor BrassLight, Brass, BrassDark;
extern const QColor Felt, FeltDark;
extern const QColor Paper, PaperDark;
extern const QColor Sky, Leaf, Berry, Ocean;
}  // namespace Pal

// ---- Generators (one file each) -----------------------------------------------------------
void GenTables(ArtOut& out);      // table pictures, samples, the colour square
void GenWinSkin(ArtOut& out);     // win-skin.tif
void GenGlassStarWeight(ArtOut& out);  // glass-skin.tif, star.tif, weight.tif
void GenToolbar(ArtOut& out);     // tb_*.png (+ @2x)
void GenAppIcons(ArtOut& out);    // hicolor application and file-type icons
void GenDialogArt(ArtOut& out);   // open/options/about/help/download pictures
void GenSounds(ArtOut& out);      // set.wav, win.wav
void GenPreview(ArtOut& out);     // preview.png: the skins in use (not a resource)
