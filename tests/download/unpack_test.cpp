// Unpacking: the first regular file only, names never become paths, caps,
// the jigsaw check and the atomic replacement of the target.
#include "download/download.h"

#include "support/test_support.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::vector<uint8_t> Input(const std::string& name) { return ReadFileBytes(SourcePath("tests/inputs/dn_unpack/" + name)); }

// A 7z archive written by libarchive (there is no 7z writer in Python's library).
std::vector<uint8_t> SevenZip(const std::string& name, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out(data.size() + 4096);
    size_t used = 0;
    archive* a = archive_write_new();
    archive_write_set_format_7zip(a);
    archive_write_open_memory(a, out.data(), out.size(), &used);
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, name.c_str());
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, la_int64_t(data.size()));
    archive_write_header(a, e);
    archive_write_data(a, data.data(), data.size());
    archive_entry_free(e);
    archive_write_close(a);
    archive_write_free(a);
    out.resize(used);
    return out;
}

TEST(DnUnpack, FirstRegularFileOfEachKind)
{
    const std::vector<uint8_t> jig = Input("tiny.zjg");
    ASSERT_FALSE(jig.empty());
    struct Case {
        const char* label;
        std::vector<uint8_t> archive;
        const char* ext;
        const char* firstName;
    } cases[] = {
        {"rar of our writer", Input("good.rar"), "rar", "Tiny.zjg"},
        {"zip", Input("good.zip"), "zip", "Tiny.zjg"},
        {"7z", SevenZip("Tiny.zjg", jig), "7z", "Tiny.zjg"},
        {"two files: the first", Input("two_files.rar"), "rar", "Tiny.zjg"},
        {"a folder first", Input("dir_first.zip"), "zip", "pics/Tiny.zjg"},
        {"a hostile name", Input("traversal.rar"), "rar", "../../x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<uint8_t> data;
        const TDnUnpackResult r = DnUnpackFirstFile(c.archive.data(), c.archive.size(), c.ext, kMaxDnUnpackedBytes, &data);
        EXPECT_EQ(r.step, EDnUnpackStep::Ok) << r.sText;
        EXPECT_EQ(r.sFirstName, c.firstName);
        EXPECT_EQ(data, jig);
    }
}

TEST(DnUnpack, FailuresNameTheirStep)
{
    struct Case {
        const char* file;
        const char* ext;
        EDnUnpackStep step;
        const char* textStart;
    } cases[] = {
        {"garbage.rar", "rar", EDnUnpackStep::Open, "Failed to open archive A!"},
        {"good.rar", "zip", EDnUnpackStep::Open, "Failed to open archive A!"},  // the catalogue's kind rules
        {"good.zip", "exe", EDnUnpackStep::Open, "Failed to open archive A!"},
        {"empty.zip", "zip", EDnUnpackStep::Empty, "No files found in archive A"},
        {"only_dir.zip", "zip", EDnUnpackStep::Empty, "No files found in archive A"},
        {"truncated.rar", "rar", EDnUnpackStep::Unpack, "Failed to unpack archive A ("},
        {"bomb.zip", "zip", EDnUnpackStep::Unpack, "Failed to unpack archive A (the file is too large)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<uint8_t> in = Input(c.file);
        ASSERT_FALSE(in.empty());
        std::vector<uint8_t> data{1, 2, 3};
        const TDnUnpackResult r = DnUnpackFirstFile(in.data(), in.size(), c.ext, 1 << 20, &data, "A");
        EXPECT_EQ(r.step, c.step) << r.sText;
        EXPECT_EQ(r.sText.rfind(c.textStart, 0), 0u) << r.sText;
        EXPECT_TRUE(data.empty());
        EXPECT_EQ(r.sText.find("(null)"), std::string::npos);
    }
    std::vector<uint8_t> data;
    EXPECT_EQ(DnUnpackFirstFile(nullptr, 0, "rar", 100, &data).step, EDnUnpackStep::Open);
}

class DnExtract : public testing::Test {
protected:
    TempDir dir;
    std::string Target() const { return dir.File("Tiny.zjg"); }
    std::string Put(const std::string& input)
    {
        const std::string p = dir.File("dl-" + input);
        EXPECT_TRUE(WriteFileBytes(p, Input(input)));
        return p;
    }
    // Every file of the folder (hidden ones included), sorted.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(DnExtract, AGoodArchiveReplacesTheTargetAndNamesStayOutOfPaths)
{
    ASSERT_TRUE(WriteFileBytes(Target(), {'o', 'l', 'd'}));
    const std::string archive = Put("traversal.rar");
    const TDnUnpackResult r = ExtractArchive(archive, Target(), "rar");
    ASSERT_EQ(r.step, EDnUnpackStep::Ok) << r.sText;
    EXPECT_EQ(ReadFileBytes(Target()), Input("tiny.zjg"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir.Path()) / "../../x"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir.Path()).parent_path() / "x"));
    // The archive stays for the caller to delete; no side file is left.
    EXPECT_EQ(Files(), (std::vector<std::string>{"Tiny.zjg", "dl-traversal.rar"}));

    const TDnUnpackResult abs = ExtractArchive(Put("absolute.zip"), Target(), "zip");
    EXPECT_EQ(abs.step, EDnUnpackStep::Ok) << abs.sText;
    EXPECT_FALSE(FileExists("/tmp/zivra-absolute.zjg"));
}

TEST_F(DnExtract, ABadDownloadNeverReplacesAGoodJigsaw)
{
    const std::vector<uint8_t> good = Input("tiny.zjg");
    ASSERT_TRUE(WriteFileBytes(Target(), good));
    struct Case {
        const char* file;
        const char* ext;
        EDnUnpackStep step;
    } cases[] = {
        {"not_jigsaw.zip", "zip", EDnUnpackStep::NotJigsaw}, {"truncated.rar", "rar", EDnUnpackStep::Unpack},
        {"bomb.zip", "zip", EDnUnpackStep::Unpack},          {"garbage.rar", "rar", EDnUnpackStep::Open},
        {"empty.zip", "zip", EDnUnpackStep::Empty},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string archive = Put(c.file);
        const TDnUnpackResult r = ExtractArchive(archive, Target(), c.ext, 1 << 20);
        EXPECT_EQ(r.step, c.step) << r.sText;
        EXPECT_FALSE(r.sText.empty());
        EXPECT_EQ(ReadFileBytes(Target()), good);
        EXPECT_TRUE(FileExists(archive));  // kept for a look
        DeleteFile(archive);
        EXPECT_EQ(Files(), std::vector<std::string>{"Tiny.zjg"});
    }
    const TDnUnpackResult missing = ExtractArchive(dir.File("gone.rar"), Target(), "rar");
    EXPECT_EQ(missing.step, EDnUnpackStep::Missing);
    EXPECT_EQ(missing.sText, "'" + dir.File("gone.rar") + "' does not exist!");
}

}  // namespace
