// zivra-vector-pics: compiles our picture sources (pictures.txt beside this
// file) into the Figure style's data file, resources/pic_zivra.dat.
//
//   zivra-vector-pics SOURCE OUT.dat
//
// Source, one picture after another:
//
//   picture NAME             # up to 16 letters; kept in the entry's spare bytes
//     size W H               # nominal size = the drawing's bounds, pixels
//     points 16|32           # width of the stored point pairs
//     mirror none|lr|tb|both # which mirrorings the cut may draw
//     path M x y C x y x y x y L x y ... Z
//     path ...               # more steps; a new M begins another outline,
//                            # filled together with the others
//   end
//
// Path steps are absolute, whole numbers inside the bounds: M (move), L
// (line), C (cubic curve: two control points and the end), Z (close). All
// outlines of a picture must turn the same way, so that the non-zero fill
// makes their union.
//
// Each outline becomes the record that says it most simply: all lines and
// closed -> a polygon, all lines and open -> a polyline, all curves -> a poly
// Bezier (plus close figure), otherwise move to, line-to records and poly
// Bezier-to records (plus close figure). The stream is framed by a header,
// begin path, end path, fill path and an end record. Output is deterministic.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Pt { int32_t x = 0, y = 0; };

struct Segment {
    bool curve = false;
    Pt c1, c2, end;  // c1, c2 only for curves
};

struct Outline {
    Pt start;
    std::vector<Segment> segs;
    bool closed = false;
};

struct Picture {
    std::string name;
    int w = 0, h = 0;
    int bits = 32;
    bool mirrorLR = false, mirrorTB = false;
    std::vector<Outline> outlines;
    int line = 0;  // where it starts in the source
};

// ---- Parsing --------------------------------------------------------------------------

struct ParseError {
    int line;
    std::string text;
};

bool ReadInt(std::istringstream& in, int32_t* v)
{
    std::string tok;
    if (!(in >> tok))
        return false;
    size_t used = 0;
    try {
        const long long n = std::stoll(tok, &used);
        if (used != tok.size() || n < -100000 || n > 100000)
            return false;
        *v = int32_t(n);
    } catch (...) {
        return false;
    }
    return true;
}

bool ReadPt(std::istringstream& in, Pt* p) { return ReadInt(in, &p->x) && ReadInt(in, &p->y); }

// Appends the steps of one `path` line; a line that does not begin with M
// goes on with the outline before it.
void ParsePath(std::istringstream& in, int line, std::vector<Outline>& out)
{
    std::string cmd;
    while (in >> cmd) {
        Pt a, b, c;
        if (cmd == "M") {
            if (!ReadPt(in, &a))
                throw ParseError{line, "M needs x y"};
            out.push_back({a, {}, false});
            continue;
        }
        if (out.empty() || out.back().closed)
            throw ParseError{line, "'" + cmd + "' before M"};
        if (cmd == "L") {
            if (!ReadPt(in, &a))
                throw ParseError{line, "L needs x y"};
            out.back().segs.push_back({false, {}, {}, a});
        } else if (cmd == "C") {
            if (!ReadPt(in, &a) || !ReadPt(in, &b) || !ReadPt(in, &c))
                throw ParseError{line, "C needs three points"};
            out.back().segs.push_back({true, a, b, c});
        } else if (cmd == "Z") {
            out.back().closed = true;
        } else {
            throw ParseError{line, "unknown path step '" + cmd + "'"};
        }
    }
}

// Twice the signed area of the outline, curves sampled: positive turns
// clockwise on screen (y down).
double SignedArea(const Outline& o)
{
    std::vector<std::pair<double, double>> pts{{o.start.x, o.start.y}};
    Pt cur = o.start;
    for (const Segment& s : o.segs) {
        if (!s.curve) {
            pts.emplace_back(s.end.x, s.end.y);
        } else {
            for (int j = 1; j <= 16; ++j) {
                const double t = j / 16.0, u = 1 - t;
                pts.emplace_back(u * u * u * cur.x + 3 * u * u * t * s.c1.x + 3 * u * t * t * s.c2.x + t * t * t * s.end.x,
                                 u * u * u * cur.y + 3 * u * u * t * s.c1.y + 3 * u * t * t * s.c2.y + t * t * t * s.end.y);
            }
        }
        cur = s.end;
    }
    double a = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        const auto& p = pts[i];
        const auto& q = pts[(i + 1) % pts.size()];
        a += p.first * q.second - q.first * p.second;
    }
    return a;
}

void CheckPicture(const Picture& p)
{
    if (p.w < 1 || p.h < 1)
        throw ParseError{p.line, p.name + ": no size"};
    const int lim = p.bits == 16 ? 32767 : 30000;
    if (p.w > lim || p.h > lim)
        throw ParseError{p.line, p.name + ": too large"};
    if (p.outlines.empty())
        throw ParseError{p.line, p.name + ": no path"};
    auto inside = [&](Pt q) { return q.x >= 0 && q.y >= 0 && q.x <= p.w && q.y <= p.h; };
    double firstArea = 0;
    for (size_t i = 0; i < p.outlines.size(); ++i) {
        const Outline& o = p.outlines[i];
        if (o.segs.empty())
            throw ParseError{p.line, p.name + ": an outline with no steps"};
        bool ok = inside(o.start);
        for (const Segment& s : o.segs)
            ok = ok && inside(s.end) && (!s.curve || (inside(s.c1) && inside(s.c2)));
        if (!ok)
            throw ParseError{p.line, p.name + ": a point outside 0..w x 0..h"};
        const double a = SignedArea(o);
        if (i == 0)
            firstArea = a;
        else if ((a > 0) != (firstArea > 0))
            throw ParseError{p.line, p.name + ": outline " + std::to_string(i + 1) + " turns the other way"};
    }
}

std::vector<Picture> ParseSource(std::istream& in)
{
    std::vector<Picture> pics;
    Picture* cur = nullptr;
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        const size_t hash = raw.find('#');
        std::istringstream ls(hash == std::string::npos ? raw : raw.substr(0, hash));
        std::string key;
        if (!(ls >> key))
            continue;
        if (key == "picture") {
            if (cur)
                throw ParseError{line, "picture inside picture"};
            pics.emplace_back();
            cur = &pics.back();
            cur->line = line;
            if (!(ls >> cur->name) || cur->name.size() > 16)
                throw ParseError{line, "a picture needs a name of up to 16 letters"};
            continue;
        }
        if (!cur)
            throw ParseError{line, "'" + key + "' outside a picture"};
        if (key == "end") {
            CheckPicture(*cur);
            cur = nullptr;
        } else if (key == "size") {
            int32_t w, h;
            if (!ReadInt(ls, &w) || !ReadInt(ls, &h))
                throw ParseError{line, "size needs W H"};
            cur->w = w;
            cur->h = h;
        } else if (key == "points") {
            int32_t b;
            if (!ReadInt(ls, &b) || (b != 16 && b != 32))
                throw ParseError{line, "points is 16 or 32"};
            cur->bits = b;
        } else if (key == "mirror") {
            std::string m;
            ls >> m;
            if (m != "none" && m != "lr" && m != "tb" && m != "both")
                throw ParseError{line, "mirror is none, lr, tb or both"};
            cur->mirrorLR = m == "lr" || m == "both";
            cur->mirrorTB = m == "tb" || m == "both";
        } else if (key == "path") {
            ParsePath(ls, line, cur->outlines);
        } else {
            throw ParseError{line, "unknown key '" + key + "'"};
        }
    }
    if (cur)
        throw ParseError{line, cur->name + ": missing end"};
    return pics;
}

// ---- Writing the record stream -----------------------------------------------------------

enum : uint32_t {
    kHeader = 1, kPolyBezier = 2, kPolygon = 3, kPolyline = 4, kPolyBezierTo = 5, kEof = 14,
    kMoveTo = 27, kLineTo = 54, kBeginPath = 59, kEndPath = 60, kCloseFigure = 61, kFillPath = 62,
    k16 = 83,  // the 16-bit poly records are the 32-bit ones + 83
};

void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Set32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

class StreamWriter {
public:
    explicit StreamWriter(int bits) : bits_(bits) {}
    std::vector<uint8_t> bytes;
    int records = 0;

    void Simple(uint32_t type, const std::vector<uint32_t>& body = {})
    {
        Put32(bytes, type);
        Put32(bytes, uint32_t(8 + 4 * body.size()));
        for (uint32_t v : body)
            Put32(bytes, v);
        ++records;
    }
    void Point(uint32_t type, Pt p) { Simple(type, {uint32_t(p.x), uint32_t(p.y)}); }
    // A poly record of `type` (the 32-bit number) over pts, bounds included.
    void Poly(uint32_t type, const std::vector<Pt>& pts)
    {
        int32_t l = pts[0].x, t = pts[0].y, r = l, b = t;
        for (const Pt& p : pts) {
            l = std::min(l, p.x); r = std::max(r, p.x);
            t = std::min(t, p.y); b = std::max(b, p.y);
        }
        const size_t per = bits_ == 16 ? 4 : 8;
        Put32(bytes, bits_ == 16 ? type + k16 : type);
        Put32(bytes, uint32_t(28 + per * pts.size()));
        for (int32_t v : {l, t, r, b})
            Put32(bytes, uint32_t(v));
        Put32(bytes, uint32_t(pts.size()));
        for (const Pt& p : pts) {
            if (bits_ == 16) {
                Put16(bytes, uint32_t(p.x));
                Put16(bytes, uint32_t(p.y));
            } else {
                Put32(bytes, uint32_t(p.x));
                Put32(bytes, uint32_t(p.y));
            }
        }
        ++records;
    }

private:
    int bits_;
};

void WriteOutline(StreamWriter& s, const Outline& o)
{
    bool anyLine = false, anyCurve = false;
    for (const Segment& g : o.segs)
        (g.curve ? anyCurve : anyLine) = true;
    std::vector<Pt> pts{o.start};
    if (!anyCurve) {
        for (const Segment& g : o.segs)
            pts.push_back(g.end);
        s.Poly(o.closed ? kPolygon : kPolyline, pts);
        return;
    }
    if (!anyLine) {
        for (const Segment& g : o.segs)
            pts.insert(pts.end(), {g.c1, g.c2, g.end});
        s.Poly(kPolyBezier, pts);
    } else {
        s.Point(kMoveTo, o.start);
        for (size_t i = 0; i < o.segs.size();) {
            if (!o.segs[i].curve) {
                s.Point(kLineTo, o.segs[i++].end);
                continue;
            }
            std::vector<Pt> run;
            for (; i < o.segs.size() && o.segs[i].curve; ++i)
                run.insert(run.end(), {o.segs[i].c1, o.segs[i].c2, o.segs[i].end});
            s.Poly(kPolyBezierTo, run);
        }
    }
    if (o.closed)
        s.Simple(kCloseFigure);
}

std::vector<uint8_t> PictureStream(const Picture& p)
{
    StreamWriter s(p.bits);
    // Header: bounds, frame in hundredths of a millimetre at 96 pixels an
    // inch, signature " EMF", version, bytes and records (patched below),
    // handles, description, palette, reference device 1920 x 1080 pixels on
    // 508 x 286 millimetres.
    const uint32_t fw = uint32_t(std::lround(p.w * 2540.0 / 96)), fh = uint32_t(std::lround(p.h * 2540.0 / 96));
    s.Simple(kHeader, {0, 0, uint32_t(p.w), uint32_t(p.h), 0, 0, fw, fh, 0x464D4520u, 0x10000u, 0, 0,
                       1, 0, 0, 0, 1920, 1080, 508, 286});
    s.Simple(kBeginPath);
    for (const Outline& o : p.outlines)
        WriteOutline(s, o);
    s.Simple(kEndPath);
    s.Simple(kFillPath, {0, 0, uint32_t(p.w), uint32_t(p.h)});
    s.Simple(kEof, {0, 16, 20});
    Set32(s.bytes, 48, uint32_t(s.bytes.size()));
    Set32(s.bytes, 52, uint32_t(s.records));
    return s.bytes;
}

std::vector<uint8_t> DataFile(const std::vector<Picture>& pics)
{
    std::vector<uint8_t> out{'Z', 'I', 'V', 'R', 'A', 'P', 'I', 'C'};
    Put32(out, uint32_t(pics.size()));
    const size_t entries = out.size();
    out.resize(entries + 40 * pics.size(), 0);
    for (size_t i = 0; i < pics.size(); ++i) {
        const std::vector<uint8_t> emf = PictureStream(pics[i]);
        const size_t e = entries + 40 * i;
        Set32(out, e, uint32_t(out.size()));
        Set32(out, e + 4, uint32_t(emf.size()));
        Set32(out, e + 8, uint32_t(pics[i].w));
        Set32(out, e + 12, uint32_t(pics[i].h));
        for (size_t k = 0; k < pics[i].name.size(); ++k)
            out[e + 16 + k] = uint8_t(pics[i].name[k]);
        out[e + 32] = pics[i].mirrorTB ? 1 : 0;
        out[e + 33] = pics[i].mirrorLR ? 1 : 0;
        out.insert(out.end(), emf.begin(), emf.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: zivra-vector-pics SOURCE OUT.dat\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "zivra-vector-pics: cannot read %s\n", argv[1]);
        return 2;
    }
    std::vector<Picture> pics;
    try {
        pics = ParseSource(in);
    } catch (const ParseError& e) {
        std::fprintf(stderr, "%s:%d: %s\n", argv[1], e.line, e.text.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes = DataFile(pics);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    if (!out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))) {
        std::fprintf(stderr, "zivra-vector-pics: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%zu pictures, %zu bytes\n", pics.size(), bytes.size());
    return 0;
}
