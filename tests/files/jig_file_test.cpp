#include "files/files.h"
#include "model/puzzle.h"
#include "model/game_state.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

namespace {

std::vector<uint8_t> EncodedPicture(int w, int h, const char* format = "PNG")
{
    return MyImageEncode(*PatternImage(w, h), format);
}

struct TJigBytes {
    std::vector<uint8_t> file;
    size_t thumbLenAt = 27, descLenAt = 0, picLenAt = 0;
};

// A jigsaw file as the writer lays it out, with where its part lengths lie.
TJigBytes BuildJig(uint32_t w, uint32_t h, const std::vector<uint8_t>& thumb, const std::string& desc,
                   const std::vector<uint8_t>& picture)
{
    TempDir dir;
    uint8_t keys[10] = {3, 11, 22, 33, 44, 55, 66, 77, 88, 99};
    std::string error;
    EXPECT_TRUE(SaveJigFile(dir.File("a.zjg"), w, h, keys, thumb, desc, picture, &error)) << error;
    TJigBytes b;
    b.file = ReadFileBytes(dir.File("a.zjg"));
    b.descLenAt = 27 + 4 + thumb.size();
    b.picLenAt = b.descLenAt + 4 + desc.size();
    return b;
}

bool ListRead(const std::vector<uint8_t>& bytes, bool listOnly = false)
{
    OBinReader r(bytes.data(), bytes.size());
    return OpenJigData_ForListOrPreview(r, listOnly);
}

}  // namespace

// ---- Part encoding -------------------------------------------------------------------

TEST(PartEncoding, RotatingKeyComesBackEveryEightBytesAndPartsReadBack)
{
    std::vector<uint8_t> zeros(17, 0);
    ScrambleBytes(zeros.data(), zeros.size(), 0x96, true);
    EXPECT_EQ(zeros[0], 0x96);
    EXPECT_EQ(zeros[1], 0x4B);  // rotated right: bit 0 to bit 7
    EXPECT_EQ(zeros[8], zeros[0]);
    EXPECT_EQ(zeros[16], zeros[0]);
    std::vector<uint8_t> c(5, 0);
    ScrambleBytes(c.data(), c.size(), 0x5A, false);  // a fixed key
    EXPECT_EQ(c, std::vector<uint8_t>(5, 0x5A));

    TempDir dir;
    const std::string path = dir.File("parts");
    const std::vector<uint8_t> data = {1, 2, 3, 250, 0, 9, 8, 7, 6, 5};
    {
        OBinWriter w;
        ASSERT_TRUE(w.Create(path));
        ASSERT_TRUE(SaveDataToBigFile(w, data.data(), data.size(), 0xC3, true));
        ASSERT_TRUE(SaveDataToBigFile(w, nullptr, 0, 0x69, false));
        ASSERT_TRUE(w.Close());
    }
    OBinReader r;
    ASSERT_TRUE(r.OpenFile(path));
    std::vector<uint8_t> out = {42};
    int64_t end = 0;
    ASSERT_TRUE(SaveBigFilePartToData(r, 0xC3, true, 1000, &out, &end));
    EXPECT_EQ(out, data);
    EXPECT_EQ(end, 14);
    ASSERT_TRUE(SaveBigFilePartToData(r, 0x69, false, 1000, &out, &end));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(end, 18);
}

TEST(PartEncoding, LengthPastTheEndOrAboveTheCapIsRefusedWithoutAllocating)
{
    for (uint32_t len : {5u, 100u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        std::vector<uint8_t> b = {0, 0, 0, 0, 1, 2, 3, 4};
        PutLE32(b, 0, len);
        OBinReader r(b.data(), b.size());
        std::vector<uint8_t> out;
        EXPECT_FALSE(SaveBigFilePartToData(r, 0, false, 1u << 30, &out)) << len;
    }
    std::vector<uint8_t> b = {4, 0, 0, 0, 1, 2, 3, 4};
    OBinReader r(b.data(), b.size());
    std::vector<uint8_t> out;
    EXPECT_FALSE(SaveBigFilePartToData(r, 0, false, 3, &out));
}

// ---- Jigsaw file: the list/preview read --------------------------------------------------

TEST(JigFile, PreviewReadFillsTheNewGameParametersPlayLoadFitsAndListReadLeavesThem)
{
    const auto pic = EncodedPicture(400, 300);
    const auto thumb = EncodedPicture(40, 30, "JPG");
    TempDir dir;
    const std::string path = dir.File("Meadow.ZJG");
    uint8_t keys[10] = {4, 1, 2, 3, 0xAB, 5, 6, 7, 8, 9};
    std::string error;
    ASSERT_TRUE(SaveJigFile(path, 400, 300, keys, thumb, "A meadow", pic, &error)) << error;

    SetHeadlessViewSize(200, 200);
    NewJigP.Level = 7;  // the caller's choice stays
    NewJigP.FitToScreen = 1;
    NewJigP.Reserved96 = 5;
    ASSERT_TRUE(OpenJigFile_ForListOrPreview(path, false));
    EXPECT_EQ(NewJigP.ImageW, 400);
    EXPECT_EQ(NewJigP.ImageH, 300);
    EXPECT_EQ(NewJigP.HeaderKey, 0xAB);
    EXPECT_EQ(NewJigP.SideNum, 1);
    EXPECT_EQ(NewJigP.Reserved96, 0);
    EXPECT_EQ(NewJigP.DataOfs, int32_t(27 + 4 + thumb.size()));
    EXPECT_EQ(NewJigP.FitW, 200);
    EXPECT_EQ(NewJigP.FitH, 150);
    EXPECT_EQ(NewJigP.Level, 7);
    ASSERT_TRUE(miReadThumb);
    EXPECT_EQ(miReadThumb->W, 40);

    // The play parts sit where DataOfs says.
    OBinReader r;
    ASSERT_TRUE(r.OpenFile(path));
    std::string desc;
    std::vector<uint8_t> picture;
    ASSERT_TRUE(JigFile_ReadPlayParts(r, NewJigP.DataOfs, &desc, &picture));
    EXPECT_EQ(desc, "A meadow");
    EXPECT_EQ(picture, pic);
    OMyImagePtr decoded = ReadJigFilePicture(path, true, &error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(decoded->W, 400);
    EXPECT_EQ(decoded->iBPP, 4);

    // The play load fits the picture to the view.
    ASSERT_TRUE(JigFile_LoadPicture(path));
    EXPECT_EQ(JigP.ImageW, 200);
    EXPECT_EQ(JigP.ImageH, 150);
    ASSERT_TRUE(miJigs);
    EXPECT_EQ(miJigs->W, 200);
    EXPECT_TRUE(miInfoThumb);
    EXPECT_FALSE(miReadThumb);
    EXPECT_FALSE(miOriginalImage);
    EXPECT_EQ(g_JigDesc, "A meadow");

    NewJigP.ImageW = 12345;
    miReadThumb.reset();
    ASSERT_TRUE(ListRead(ReadFileBytes(path), true));
    EXPECT_EQ(NewJigP.ImageW, 12345);
    ASSERT_TRUE(miReadThumb);
    EXPECT_EQ(miReadThumb->H, 30);

    // Under another name, or no file at all, it is not a jigsaw.
    ASSERT_TRUE(WriteFileBytes(dir.File("a.svm"), ReadFileBytes(path)));
    EXPECT_FALSE(OpenJigFile_ForListOrPreview(dir.File("a.svm"), false));
    EXPECT_FALSE(OpenJigFile_ForListOrPreview(dir.File("missing.zjg"), false));
    EXPECT_FALSE(OpenJigFile_ForListOrPreview(dir.Path() + "/", false));
}

TEST(JigFile, DescriptionKeepsUtf8AndReplacesStrayBytes)
{
    EXPECT_EQ(DecodeDescription({'a', '\r', '\n', 'b', '\r', 'c', 0, 7, '\t'}), "a\nb\nc\t");
    const std::string ru = "Пазл";
    EXPECT_EQ(DecodeDescription(std::vector<uint8_t>(ru.begin(), ru.end())), ru);
    EXPECT_EQ(DecodeDescription({'x', 0xC0, 0xAF, 'y', 0xFF, 0xE2, 0x82}), "x??y???");
}

// Each hostile file is refused; none takes long or allocates what it claims.
TEST(JigFile, HostileFilesAndDamagedPlayPartsAreRefused)
{
    const auto thumb = EncodedPicture(16, 12);
    const auto good = BuildJig(64, 48, thumb, "desc", EncodedPicture(64, 48));
    ASSERT_TRUE(ListRead(good.file));

    struct Case { const char* name; std::function<void(std::vector<uint8_t>&)> spoil; };
    const std::vector<Case> cases = {
        {"ninth magic byte not zero", [](auto& b) { b[8] = '!'; }},
        {"other magic", [](auto& b) { b[5] = '2'; }},
        {"width 0", [](auto& b) { PutLE32(b, 9, 0); }},
        {"height 0", [](auto& b) { PutLE32(b, 13, 0); }},
        {"width beyond any picture", [](auto& b) { PutLE32(b, 9, 0xFFFFFFFF); }},
        {"key index outside the block", [](auto& b) { b[17] = 10; }},
        {"thumbnail length 0xFFFFFFFF", [&](auto& b) { PutLE32(b, good.thumbLenAt, 0xFFFFFFFF); }},
        {"thumbnail length past the end", [&](auto& b) { PutLE32(b, good.thumbLenAt, uint32_t(b.size())); }},
        {"thumbnail empty", [&](auto& b) { PutLE32(b, good.thumbLenAt, 0); }},
        {"thumbnail undecodable", [&](auto& b) { b[good.thumbLenAt + 4] ^= 0xFF; }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> b = good.file;
        c.spoil(b);
        miReadThumb.reset();
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(ListRead(b)) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1)) << c.name;
        EXPECT_FALSE(miReadThumb) << c.name;
    }
    // Every cut short version of the file fails cleanly, up to the end of the thumbnail.
    for (size_t n = 0; n < good.descLenAt; ++n) {
        std::vector<uint8_t> b(good.file.begin(), good.file.begin() + long(n));
        EXPECT_FALSE(ListRead(b)) << n;
    }

    // The play read: from a bad offset, of a damaged length, or cut short.
    const int64_t dataOfs = int64_t(good.descLenAt);
    auto playRead = [&](const std::vector<uint8_t>& b, int64_t ofs) {
        OBinReader r(b.data(), b.size());
        std::string d;
        std::vector<uint8_t> p;
        return JigFile_ReadPlayParts(r, ofs, &d, &p);
    };
    EXPECT_TRUE(playRead(good.file, dataOfs));
    EXPECT_FALSE(playRead(good.file, 3));                 // inside the header
    EXPECT_FALSE(playRead(good.file, int64_t(good.file.size()) + 1));
    auto b = good.file;
    PutLE32(b, good.picLenAt, 0xFFFFFFFF);
    EXPECT_FALSE(playRead(b, dataOfs));
    b = good.file;
    PutLE32(b, good.picLenAt, 0);                           // an empty picture
    b.resize(good.picLenAt + 4);
    EXPECT_FALSE(playRead(b, dataOfs));
    b = good.file;
    b.resize(b.size() - 1);
    EXPECT_FALSE(playRead(b, dataOfs));

    // The writer refuses, and writes nothing, what the readers would refuse.
    TempDir dir;
    const uint8_t keys[10] = {};
    const auto pic = EncodedPicture(64, 48);
    const std::string longDesc(kMaxDescPartBytes + 1, 'a');
    struct Part { const char* name; std::vector<uint8_t> thumb; std::string desc; std::vector<uint8_t> picture; };
    for (const Part& c : {Part{"description too long", thumb, longDesc, pic}, Part{"no thumbnail", {}, "d", pic},
                          Part{"no picture", thumb, "d", {}}}) {
        std::string error;
        EXPECT_FALSE(SaveJigFile(dir.File("x.zjg"), 64, 48, keys, c.thumb, c.desc, c.picture, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_FALSE(FileExists(dir.File("x.zjg"))) << c.name;
    }
}

TEST(JigFile, PictureSizesAreSniffedAndAThumbnailClaimingAHugeSizeIsRefused)
{
    std::vector<uint8_t> png = EncodedPicture(16, 12);
    // The IHDR width and height (big-endian at 16 and 20) now claim 30000 x 30000.
    const uint8_t huge[8] = {0, 0, 0x75, 0x30, 0, 0, 0x75, 0x30};
    std::memcpy(png.data() + 16, huge, 8);
    int w = 0, h = 0;
    ASSERT_TRUE(PictureSniffSize(png.data(), png.size(), &w, &h));
    EXPECT_EQ(w, 30000);
    EXPECT_FALSE(ListRead(BuildJig(64, 48, png, "", EncodedPicture(64, 48)).file));

    for (const char* f : {"PNG", "JPG", "BMP", "GIF", "TIFF"}) {
        const auto bytes = EncodedPicture(37, 23, f);
        if (bytes.empty())
            continue;  // no writer for this format here
        EXPECT_TRUE(PictureSniffSize(bytes.data(), bytes.size(), &w, &h)) << f;
        EXPECT_EQ(w, 37) << f;
        EXPECT_EQ(h, 23) << f;
    }
}

// ---- The jigsaws that come with the game ------------------------------------------------

TEST(BundledJigsaws, EveryOneOpensAndDecodesAtItsDeclaredSize)
{
    const std::string dir = SourcePath("resources/jigs_bemo/");
    const auto names = ListFolderSorted(dir);
    ASSERT_GE(names.size(), 6u);
    bool large = false, portrait = false;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(IsJigFile(name));
        ASSERT_TRUE(OpenJigFile_ForListOrPreview(dir + name, false));
        TJigFileInfo info;
        ASSERT_TRUE(JigFile_ReadInfo(dir + name, &info));
        EXPECT_GE(info.Desc.size(), 20u);
        EXPECT_LE(info.ThumbW, 320);
        EXPECT_LE(info.ThumbH, 240);
        std::string error;
        OMyImagePtr pic = ReadJigFilePicture(dir + name, false, &error);
        ASSERT_TRUE(pic) << error;
        EXPECT_EQ(pic->W, NewJigP.ImageW);
        EXPECT_EQ(pic->H, NewJigP.ImageH);
        large = large || (pic->W >= 2560 && pic->H >= 1920);
        portrait = portrait || pic->H > pic->W;
    }
    EXPECT_TRUE(large);
    EXPECT_TRUE(portrait);
}
