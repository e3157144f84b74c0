// zivra-tool make-jigsaw: write a jigsaw file from a picture.
// zivra-tool show: describe a game file in Name<TAB>value lines.
#include "tool.h"

#include "files/files.h"
#include "base/helpers.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

// A value on one line: backslash, tab and line breaks written as escapes.
std::string OneLine(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '\r') out += "\\r";
        else out.push_back(c);
    }
    return out;
}

// The picture scaled to fit 320 x 240 (never enlarged), as JPEG.
std::vector<uint8_t> MakeThumbnail(const std::vector<uint8_t>& picture)
{
    QImage img;
    if (!img.loadFromData(picture.data(), int(picture.size())))
        return {};
    int w = img.width(), h = img.height();
    PropReduceWH(&w, &h, 320, 240);
    w = std::max(w, 1);  // a long strip keeps a row
    h = std::max(h, 1);
    const QImage thumb = img.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB888);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (!thumb.save(&buffer, "JPG", 90))
        return {};
    return std::vector<uint8_t>(out.begin(), out.end());
}

int Fail(const char* cmd, const std::string& why, int status)
{
    std::fprintf(stderr, "zivra-tool %s: %s\n", cmd, why.c_str());
    return status;
}

int RunMakeJigsaw(const ToolArgs& args)
{
    ToolOptions opt;
    std::string error;
    if (!opt.Parse(args, {"--desc", "--thumb"}, {}, &error) || opt.Positional().size() != 2)
        return Fail("make-jigsaw", error.empty() ? "expects PICTURE OUT.zjg" : error, kExitBadInput);
    const std::string& src = opt.Positional()[0];
    const std::string& dst = opt.Positional()[1];
    std::vector<uint8_t> picture, thumb;
    if (!ReadWholeFile(src, kMaxPicturePartBytes, &picture))
        return Fail("make-jigsaw", "cannot read " + src, kExitBadInput);
    OMyImagePtr img = MyImageCreateFromData(picture.data(), picture.size(), false, &error);
    if (!img)
        return Fail("make-jigsaw", src + ": " + error, kExitBadInput);
    if (opt.Has("--thumb")) {
        if (!ReadWholeFile(opt.Get("--thumb"), kMaxThumbPartBytes, &thumb) || !DecodeThumbnail(thumb))
            return Fail("make-jigsaw", "unusable thumbnail " + opt.Get("--thumb"), kExitBadInput);
    } else {
        thumb = MakeThumbnail(picture);
        if (thumb.empty())
            return Fail("make-jigsaw", "cannot make a thumbnail of " + src, kExitBadInput);
    }
    uint8_t keys[10];
    SRandDev();
    keys[0] = uint8_t(MyRandom(10));
    for (int i = 1; i < 10; ++i)
        keys[i] = uint8_t(MyRandom(256));
    if (!SaveJigFile(dst, uint32_t(img->W), uint32_t(img->H), keys, thumb, opt.Get("--desc"), picture, &error))
        return Fail("make-jigsaw", error, kExitFailed);
    return kExitOk;
}

// The play read without a window: for a jigsaw its description and picture
// decoded (no cut); for a saved game every part read, checked and applied.
bool PlayReadWorks(const std::string& path, bool savedGame)
{
    if (savedGame)
        return OpenSolveFile_ForListOrPreview(path, false) && OpenSolveFile_ForPlay(path);
    std::string error;
    TJigFileInfo info;
    return JigFile_ReadInfo(path, &info) && ReadJigFilePicture(path, true, &error) != nullptr;
}

// What the game's list read decides (the open dialog shows "Invalid Jigsaw"
// when it refuses), whatever the file's name.
bool ListReadAccepts(const std::string& path, bool savedGame)
{
    OBinReader r;
    if (!r.OpenFile(path))
        return false;
    return savedGame ? OpenSolveData_ForListOrPreview(r, true) : OpenJigData_ForListOrPreview(r, true);
}

int ShowJigsaw(const std::string& path)
{
    TJigFileInfo info;
    if (!ListReadAccepts(path, false) || !JigFile_ReadInfo(path, &info)) {
        std::printf("Invalid Jigsaw\n");
        return kExitFailed;
    }
    std::printf("kind\tjigsaw\nwidth\t%u\nheight\t%u\nheaderkey\t%u\ndataofs\t%lld\n", info.header.W,
                info.header.H, unsigned(info.header.HeaderKey), static_cast<long long>(info.DataOfs));
    std::printf("thumb_width\t%d\nthumb_height\t%d\ndescription\t%s\n", info.ThumbW, info.ThumbH,
                OneLine(info.Desc).c_str());
    return kExitOk;
}

int ShowSavedGame(const std::string& path)
{
    OBinReader r;
    TSolveFile s;
    if (!ListReadAccepts(path, true) || !r.OpenFile(path) || !SolveFile_ReadHead(r, &s) ||
        !SolveFile_ReadBody(r, &s)) {
        std::printf("Invalid Jigsaw\n");
        return kExitFailed;
    }
    std::set<int32_t> groups;
    bool upright = true;
    for (const TJig& j : s.Jigs) {
        groups.insert(j.Layer);
        upright = upright && j.Rot == 0;
    }
    const TJigParams& p = s.Params;
    std::printf("kind\tsaved-game\nname\t%s\nseed\t%d\npieces\t%d\ngroups\t%zu\n", OneLine(s.sName).c_str(),
                s.GameSeed, p.TotalTileNum, groups.size());
    std::printf("level\t%d\nstyle\t%d\nframe\t%d\nrotate\t%d\nsolved\t%d\n", p.Level, p.ShapeStyle, p.BorderStyle,
                p.Rotate, groups.size() == 1 && upright ? 1 : 0);
    return kExitOk;
}

int RunShow(const ToolArgs& args)
{
    ToolOptions opt;
    std::string error;
    if (!opt.Parse(args, {}, {"--play"}, &error) || opt.Positional().size() != 1)
        return Fail("show", error.empty() ? "expects one FILE" : error, kExitBadInput);
    const std::string& path = opt.Positional()[0];
    std::vector<uint8_t> head(11);
    OBinReader r;
    const bool saved =
        r.OpenFile(path) && r.Read(head.data(), 11) && std::memcmp(head.data(), "ZIVRASLV1.0", 11) == 0;
    const int status = saved ? ShowSavedGame(path) : ShowJigsaw(path);
    if (status != kExitOk || !opt.Has("--play"))
        return status;
    if (!PlayReadWorks(path, saved)) {
        std::fprintf(stderr, "zivra-tool show: the play read refuses %s\n", path.c_str());
        return kExitFailed;
    }
    std::printf("play\tok\n");
    return kExitOk;
}

const ToolCommandRegistrar regMake{{"make-jigsaw", "PICTURE OUT.zjg [--desc TEXT] [--thumb PICTURE]",
                                    "write a jigsaw file holding the picture file's own bytes",
                                    &RunMakeJigsaw}};
const ToolCommandRegistrar regShow{{"show", "FILE [--play]",
                                    "describe a jigsaw file (kind, width, height, headerkey, dataofs, thumb_width, "
                                    "thumb_height, description) or a saved game (kind, name, seed, pieces, "
                                    "groups, level, style, frame, rotate, solved); --play: also run the play read",
                                    &RunShow}};

}  // namespace
