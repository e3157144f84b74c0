// The picture gate: hostile pictures are refused before a decoder sees them,
// with a reason and at once; real ones of every format pass and decode.
#include "files/files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

double Seconds(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void PutBE32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(uint8_t(v >> s));
}

void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBE32(out, uint32_t(data.size()));
    std::vector<uint8_t> td(type, type + 4);
    td.insert(td.end(), data.begin(), data.end());
    out.insert(out.end(), td.begin(), td.end());
    PutBE32(out, 0);  // the gate does not check sums: the decoder does
}

}  // namespace

TEST(PictureGate, HostilePicturesAreRefusedWithAReasonAtOnce)
{
    struct Case {
        const char* file;
        const char* reason;
    };
    const Case cases[] = {
        {"jpeg_2000_scans.jpg", "too many scans"},       {"jpeg_cut_short.jpg", "cut short"},
        {"gif_2000_frames.gif", "too many frames"},      {"tiff_100_dirs.tif", "too many directories"},
        {"tiff_dir_loop.tif", "loop"},                    {"tiff_4gb_strip.tif", "strip larger than the file"},
        {"png_2000_text_chunks.png", "too many extra"},  {"bmp_claims_5000.bmp", "cut short"},
        {"not_a_picture.xpm", "not a picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<uint8_t> bytes = ReadFileBytes(SourcePath(std::string("tests/inputs/picture_gate/") + c.file));
        ASSERT_FALSE(bytes.empty());
        std::string why;
        OMyImagePtr img;
        const double took = Seconds([&] { img = DecodePicture(bytes.data(), bytes.size(), false, TPictureLimits{}, &why); });
        EXPECT_FALSE(img);
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        EXPECT_LT(took, 1.0);
    }
}

TEST(PictureGate, CompressedTextBeyondItsAllowanceIsRefused)
{
    // The chunks of a 4 x 4 grey PNG with one zTXt chunk: small text passes, a large one
    // (a decoder would inflate a thousand times its size) does not.
    auto make = [](size_t textBytes) {
        std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        PngChunk(png, "IHDR", {0, 0, 0, 4, 0, 0, 0, 4, 8, 0, 0, 0, 0});
        std::vector<uint8_t> text = {'k', 0, 0};
        text.resize(3 + textBytes, 0x55);
        PngChunk(png, "zTXt", text);
        PngChunk(png, "IDAT", std::vector<uint8_t>(20, 0));
        PngChunk(png, "IEND", {});
        return png;
    };
    std::string why;
    const auto small = make(100), large = make(kMaxPngPackedExtraBytes + 1);
    EXPECT_TRUE(PictureGate(small.data(), small.size(), TPictureLimits{}, &why)) << why;
    EXPECT_FALSE(PictureGate(large.data(), large.size(), TPictureLimits{}, &why));
    EXPECT_NE(why.find("compressed text"), std::string::npos) << why;
}

TEST(PictureGate, RealPicturesOfEveryFormatPassAndDecodeWithinTheirLimits)
{
    for (const char* file : {"small.jpg", "progressive.jpg", "small.png", "small.gif", "small.bmp", "small.tif"}) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> bytes = ReadFileBytes(SourcePath(std::string("tests/inputs/qt_picture_gate/") + file));
        std::string why;
        OMyImagePtr img = DecodePicture(bytes.data(), bytes.size(), true, TPictureLimits{}, &why);
        ASSERT_TRUE(img) << why;
        EXPECT_EQ(img->W, 40);
        EXPECT_EQ(img->H, 30);
        // The same picture over a smaller limit is refused by its declared size.
        TPictureLimits small;
        small.maxSide = 39;
        EXPECT_FALSE(DecodePicture(bytes.data(), bytes.size(), true, small, &why));
        EXPECT_NE(why.find("too large"), std::string::npos) << why;
    }
}
