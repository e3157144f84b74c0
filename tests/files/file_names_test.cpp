#include "files/files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace {

// Sets an environment variable for its lifetime.
struct ScopedEnv {
    const char* name;
    std::optional<std::string> old;
    ScopedEnv(const char* n, const std::string& value) : name(n)
    {
        if (const char* v = std::getenv(n))
            old = v;
        setenv(n, value.c_str(), 1);
    }
    ~ScopedEnv() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
};

}  // namespace

TEST(FileNames, BuildsEveryPathUnderTheDataAndResourceFoldersAndClearsLeftovers)
{
    TempDir data;
    ScopedEnv xdg("XDG_DATA_HOME", data.File("deep/share"));  // missing levels are made
    std::string error;
    ASSERT_TRUE(FileNames_Create(&error)) << error;
    const std::string user = data.File("deep/share/Zivra Jigsaw Bemo/");
    EXPECT_EQ(FileNames.sUserPath, user);
    EXPECT_EQ(FileNames.sJigsPath, user);
    EXPECT_TRUE(FileExists(user));
    EXPECT_EQ(FileNames.sSettings, user + "settings.dat");
    EXPECT_EQ(FileNames.sAutoSaved, user + "autosaved.svm");
    EXPECT_EQ(FileNames.sTempSolve, "");  // no save under way
    EXPECT_EQ(FileNames.sLangPath, FileNames.sResourcePath + "/language/");
    EXPECT_EQ(FileNames.sDistJigsPath, FileNames.sResourcePath + "/jigs_bemo/");
    EXPECT_EQ(FileNames.sThumbPath, FileNames.sResourcePath + "/thumb_bemo/");
    EXPECT_EQ(FileNames.sDataPic, FileNames.sResourcePath + "/pic_zivra.dat");
    EXPECT_TRUE(FileExists(FileNames.sLangPath + "english.lng"));
    EXPECT_FALSE(FileNames.bOpen);

    // The next start-up removes leftover temporary saves and re-saves (this
    // version's names and older ones), nothing else.
    const std::vector<std::string> leftovers = {user + "zivra.svt", user + "Game.svm.part",
                                                user + ".Game.svm.0badf00d.svt", user + ".settings.dat.12345678.part"};
    const std::vector<std::string> kept = {user + "notes.part", user + ".notes.txt", user + "Game.svm"};
    for (const std::string& f : leftovers)
        ASSERT_TRUE(WriteFileBytes(f, {1, 2, 3}));
    for (const std::string& f : kept)
        ASSERT_TRUE(WriteFileBytes(f, {1, 2, 3}));
    ASSERT_TRUE(FileNames_Create(&error)) << error;
    for (const std::string& f : leftovers)
        EXPECT_FALSE(FileExists(f)) << f;
    for (const std::string& f : kept)
        EXPECT_TRUE(FileExists(f)) << f;
}

TEST(FileNames, StartUpLeavesTheSideFileOfASaveUnderWayAlone)
{
    TempDir data;
    ScopedEnv xdg("XDG_DATA_HOME", data.Path());
    std::string error;
    ASSERT_TRUE(FileNames_Create(&error)) << error;
    // Another running game is writing its temporary file: it holds its lock.
    OBinWriter other;
    std::string side;
    ASSERT_TRUE(CreateSideFile(FileNames.sJigsPath + "Game.svm", "svt", &other, &side));
    ASSERT_TRUE(other.Write("ZIVRA", 5));
    ASSERT_TRUE(FileNames_Create(&error)) << error;  // a second instance starts
    EXPECT_TRUE(FileExists(side));
    std::string commitError;
    ASSERT_TRUE(CommitSideFile(other, side, FileNames.sJigsPath + "Game.svm", &commitError)) << commitError;
    EXPECT_EQ(ReadFileBytes(FileNames.sJigsPath + "Game.svm").size(), 5u);
}

TEST(FileNames, MissingResourceFolderIsAClearError)
{
    ScopedEnv res("ZIVRA_RESOURCE_DIR", "/nonexistent/zivra-resources");
    std::string error;
    EXPECT_FALSE(FileNames_Create(&error));
    EXPECT_NE(error.find("/nonexistent/zivra-resources"), std::string::npos) << error;
}

TEST(FileNames, DocumentsFolderComesFromTheUserDirsFile)
{
    TempDir home;
    mkdir(home.File(".config").c_str(), 0755);
    mkdir(home.File("Dokumente").c_str(), 0755);
    const std::string line = "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
    ASSERT_TRUE(WriteFileBytes(home.File(".config/user-dirs.dirs"), std::vector<uint8_t>(line.begin(), line.end())));
    ScopedEnv h("HOME", home.Path());
    ScopedEnv c("XDG_CONFIG_HOME", home.File(".config"));
    std::string error;
    ASSERT_TRUE(FileNames_Create(&error)) << error;
    EXPECT_EQ(FileNames.sDocumentsPath, home.File("Dokumente"));
    EXPECT_EQ(TestPathFile("a.txt"), home.File("Dokumente/a.txt"));
}

TEST(FileNames, ExtensionsAreComparedInLowerCase)
{
    EXPECT_TRUE(IsJigFile("/x/Forest.ZJG"));
    EXPECT_TRUE(IsJigFile("forest.zjg"));
    EXPECT_FALSE(IsJigFile("forest.zjg.bak"));
    EXPECT_FALSE(IsJigFile("zjg"));
    EXPECT_TRUE(IsSolveFile("/home/u/Zivra Jigsaw Bemo/autosaved.svm"));
    EXPECT_TRUE(IsSolveFile("Game.SvM"));
    EXPECT_FALSE(IsSolveFile("Game.zjg"));
}

TEST(FileNames, BundledJigsawsAreCopiedButNeverOverwritten)
{
    TempDir res, data;
    mkdir(res.File("language").c_str(), 0755);
    mkdir(res.File("jigs_bemo").c_str(), 0755);
    ASSERT_TRUE(WriteFileBytes(res.File("jigs_bemo/b.zjg"), {'b'}));
    ASSERT_TRUE(WriteFileBytes(res.File("jigs_bemo/A.zjg"), {'a'}));
    ScopedEnv r("ZIVRA_RESOURCE_DIR", res.Path());
    ScopedEnv x("XDG_DATA_HOME", data.Path());
    std::string error;
    ASSERT_TRUE(FileNames_Create(&error)) << error;
    ASSERT_TRUE(WriteFileBytes(FileNames.sJigsPath + "b.zjg", {'m', 'i', 'n', 'e'}));

    EXPECT_EQ(ListFolderSorted(FileNames.sDistJigsPath), (std::vector<std::string>{"A.zjg", "b.zjg"}));
    EXPECT_EQ(CheckDistJigs(), 1);
    EXPECT_EQ(ReadFileBytes(FileNames.sJigsPath + "A.zjg"), std::vector<uint8_t>{'a'});
    EXPECT_EQ(ReadFileBytes(FileNames.sJigsPath + "b.zjg"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
    // Deleted in the user's folder: back on the next check.
    ASSERT_TRUE(DeleteFile(FileNames.sJigsPath + "A.zjg"));
    EXPECT_EQ(CheckDistJigs(), 1);
    EXPECT_EQ(CheckDistJigs(), 0);
}
