#include "files/files.h"
#include "files/synthetic_game.h"
#include "model/game_state.h"
#include "model/puzzle.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// FileNames over the real resource folder and a fresh per-user folder.
struct SettingsHome {
    TempDir dir;
    std::string oldXdg = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    ~SettingsHome() { setenv("XDG_DATA_HOME", oldXdg.c_str(), 1); }
    SettingsHome()
    {
        setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
        std::string error;
        EXPECT_TRUE(FileNames_Create(&error)) << error;
    }
    void WritePlist(const std::string& body)
    {
        const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
        ASSERT_TRUE(WriteFileBytes(FileNames.sSettings, std::vector<uint8_t>(xml.begin(), xml.end())));
    }
};

std::string Entries(const std::vector<std::pair<std::string, std::string>>& kv)
{
    std::string s = "<dict>";
    for (const auto& [k, v] : kv)
        s += "<key>" + k + "</key><string>" + v + "</string>";
    return s + "</dict>";
}

}  // namespace

TEST(Settings, WrittenSettingsReadBackUnchanged)
{
    SettingsHome home;
    Settings_Default();
    DefJigP.Level = 11;
    DefJigP.ShapeStyle = 5;
    DefJigP.Rotate = 1;
    CurMA = KidsMA;
    OptP.StuckKoef = 27;
    OptP.Visual_EmbossStyle = 3;
    OptP.Sound_Play = false;
    OptP.DnSrc = DnSrcHost(1);
    AutoSaveP.iIntervalMin = 3;
    AutoSaveP.bEnabled = false;
    LangP.sCurLang = "russian";
    LastFiles_Update("/a/Один & <два>.svm");
    LastFiles_Update("/b/two.zjg");
    const TSettingsDict before = Settings_ToDict();
    ASSERT_TRUE(Settings_Write());
    EXPECT_EQ(CountSideFiles(FileNames.sJigsPath), 0);
    ASSERT_TRUE(Settings_Read());
    EXPECT_EQ(Settings_ToDict(), before);
    EXPECT_EQ(AutoSaveP.dtInterval, 180);
    EXPECT_EQ(LangGetKeyVal("B_Ok"), "ОК");  // the Russian file was read
    EXPECT_EQ(LastFiles.arFileNames[1], "/a/Один & <два>.svm");
}

TEST(Settings, HostileValuesFallBackKeyByKeyOrAreClamped)
{
    SettingsHome home;
    home.WritePlist(Entries({{"DefJig_Level", "7"},
                             {"DefJig_ShapeStyle", "99"},      // no such style
                             {"StuckKoef", "12abc"},           // garbage number
                             {"Visual_EmbossStyle", "2"},
                             {"Sound_Play", ""},
                             {"CurMA_RotCW_Shift", "3"},       // not a modifier
                             {"CurMA_RotCW_Button", "0"},
                             {"Autosave_IntervalMin", "0"},    // clamped, never 0
                             {"Lang_Name", "klingon"},         // no such language file
                             {"LastFiles_Num", "6"},
                             {"LastFiles_0", "a"}, {"LastFiles_1", "b"}, {"LastFiles_2", "c"},
                             {"LastFiles_3", "d"}, {"LastFiles_4", "e"}, {"LastFiles_5", "f"},
                             {"DnSrc", "elsewhere.example"}})
                         .replace(0, 6, "<dict><key>DefJig_Rotate</key><integer>1</integer>"));
    ASSERT_TRUE(Settings_Read());
    EXPECT_EQ(DefJigP.Level, 7);
    EXPECT_EQ(DefJigP.ShapeStyle, 0);
    EXPECT_EQ(DefJigP.Rotate, 0);  // not a string
    EXPECT_EQ(OptP.StuckKoef, 12);
    EXPECT_EQ(OptP.Visual_EmbossStyle, 2);
    EXPECT_TRUE(OptP.Sound_Play);
    EXPECT_EQ(CurMA.RotCW.bShift, DefMA.RotCW.bShift);
    EXPECT_EQ(CurMA.RotCW.bButton, 0);
    EXPECT_EQ(AutoSaveP.iIntervalMin, 1);
    EXPECT_EQ(AutoSaveP.dtInterval, 60);
    EXPECT_EQ(LangP.sCurLang, "english");
    EXPECT_EQ(LastFiles.arFileNames, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(OptP.DnSrc, "elsewhere.example");
    EXPECT_EQ(FindDnSrcIndByAddr(OptP.DnSrc), 0);
    EXPECT_EQ(FindDnSrcIndByAddr(""), 0);
    EXPECT_EQ(FindDnSrcIndByAddr(StrLower(DnSrcHost(1))), 1);
    EXPECT_EQ(HomeSiteForInd(1).back(), '/');

    // An interval above an hour is clamped; a language name cannot leave the language folder.
    home.WritePlist(Entries({{"Autosave_IntervalMin", "100000"}, {"Lang_Name", "../language/russian"}}));
    ASSERT_TRUE(Settings_Read());
    EXPECT_EQ(AutoSaveP.iIntervalMin, 60);
    EXPECT_EQ(LangP.sCurLang, "english");
}

TEST(Settings, MissingOrUnreadableFilesLeaveEveryDefault)
{
    SettingsHome home;
    Settings_Default();
    EXPECT_EQ(CurMA, DefMA);
    EXPECT_EQ(OptP.DnSrc, DnSrcHost(0));
    EXPECT_EQ(AutoSaveP.dtInterval, 600);
    EXPECT_EQ(LangGetKeyVal("B_Ok"), "OK");  // the English file was read
    EXPECT_FALSE(Settings_Read());  // no file yet
    for (const std::string& body : {std::string("<array><string>1</string></array>"),
                                   std::string("<dict><key>DefJig_Level</key><string>7</string>"),  // cut short
                                   std::string("<dict><key>DefJig_Level</key><string>7</string></dict><dict/>"),
                                   std::string("not xml at all")}) {
        home.WritePlist(body);
        EXPECT_FALSE(Settings_Read()) << body;
        EXPECT_EQ(DefJigP.Level, 5) << body;
        EXPECT_EQ(LangP.sCurLang, "english") << body;
    }
}

TEST(Settings, PythonPlistlibReadsOursAndWeReadItsOwn)
{
    if (RunCommand("python3 -c 'import plistlib'", nullptr) != 0)
        GTEST_SKIP() << "python3 is not installed";
    SettingsHome home;
    Settings_Default();
    LastFiles_Update(std::string("/x/a\x01" "b\tc.svm"));  // a control character is dropped
    OptP.DnSrc = "host & <mirror>";
    ASSERT_TRUE(Settings_Write());
    std::string out, err;
    const std::string script =
        "import plistlib,sys\n"
        "d=plistlib.load(open(sys.argv[1],'rb'))\n"
        "assert all(isinstance(v,str) for v in d.values())\n"
        "print(d['DnSrc']); print(d['LastFiles_0']); print(d['DefJig_Level'])\n"
        "d['DefJig_Level']='9'; d['Lang_Name']='russian'\n"
        "plistlib.dump(d,open(sys.argv[1],'wb'))\n";
    ASSERT_TRUE(WriteFileBytes(home.dir.File("check.py"), std::vector<uint8_t>(script.begin(), script.end())));
    ASSERT_EQ(RunCommand("python3 '" + home.dir.File("check.py") + "' '" + FileNames.sSettings + "'", &out, &err), 0)
        << err;
    EXPECT_EQ(out, "host & <mirror>\n/x/ab\tc.svm\n5\n");
    ASSERT_TRUE(Settings_Read());
    EXPECT_EQ(DefJigP.Level, 9);
    EXPECT_EQ(LangP.sCurLang, "russian");
    EXPECT_EQ(OptP.DnSrc, "host & <mirror>");
}

// ---- Recent files ------------------------------------------------------------------------------

TEST(LastFiles, FiveOpenedKeepFourAndReopeningMovesToTheTop)
{
    int refreshed = 0;
    LastFiles.fnRefreshMenu = [&] { ++refreshed; };
    for (const char* f : {"/g/1.svm", "/g/2.svm", "/g/3.svm", "/g/4.svm", "/g/5.svm"})
        LastFiles_Update(f);
    EXPECT_EQ(LastFiles.arFileNames, (std::vector<std::string>{"/g/5.svm", "/g/4.svm", "/g/3.svm", "/g/2.svm"}));
    LastFiles_Update("/G/4.SVM");  // the same file, other case
    EXPECT_EQ(LastFiles.arFileNames, (std::vector<std::string>{"/G/4.SVM", "/g/5.svm", "/g/3.svm", "/g/2.svm"}));
    LastFiles_Update("  ");
    EXPECT_EQ(LastFiles_Count(), 4);
    EXPECT_EQ(refreshed, 7);
    EXPECT_EQ(LastFiles_MenuTitle(0), "1. 4.SVM");
    EXPECT_EQ(LastFiles_MenuTitle(4), "");
}

// ---- Autosave --------------------------------------------------------------------------------------

namespace {

void OpenChangedGame()
{
    FileNames.bOpen = true;
    AutoSaveP.bEnabled = true;
    AutoSaveP.iIntervalMin = 3;
    AutoSaveP.dtInterval = 180;
    AutoSaveP.dtStart = 1000;
    GameChanged();
}

}  // namespace

TEST(AutoSave, DueWithinOneTickUnlessASaveRunsOrTheGuardIsSetOrNothingChangedAndTheTickSaves)
{
    SettingsHome home;
    ASSERT_TRUE(AutoSave_AcquireLock(nullptr));
    OpenChangedGame();
    // The 5-second timer: the first tick at or after 3 minutes saves.
    double fired = -1;
    for (double now = 1000; now < 1400 && fired < 0; now += 5)
        if (AutoSave_IsDue(now))
            fired = now;
    EXPECT_EQ(fired, 1180);
    EXPECT_FALSE(AutoSave_IsDue(1179.9));
    ASSERT_TRUE(AutoSave_IsDue(2000));
    {
        AutoSaveGuard guard;
        EXPECT_FALSE(AutoSave_IsDue(2000));
    }
    // This instance's own save under way (its temporary file exists).
    FileNames.sTempSolve = FileNames.sJigsPath + ".Game.svm.00000001.svt";
    ASSERT_TRUE(WriteFileBytes(FileNames.sTempSolve, {1}));
    EXPECT_FALSE(AutoSave_IsDue(2000));
    ASSERT_TRUE(DeleteFile(FileNames.sTempSolve));
    FileNames.sTempSolve.clear();
    AutoSaveP.bNeedAutoSave = false;
    EXPECT_FALSE(AutoSave_IsDue(2000));
    AutoSaveP.bNeedAutoSave = true;
    AutoSaveP.bEnabled = false;
    EXPECT_FALSE(AutoSave_IsDue(2000));
    AutoSaveP.bEnabled = true;
    FileNames.bOpen = false;
    EXPECT_FALSE(AutoSave_IsDue(2000));

    // A due tick saves the autosave file and restarts the clock.
    MakeSyntheticGame(30, 20, 4, 8);
    OpenChangedGame();
    EXPECT_FALSE(AutoSave_Tick(1100));
    ASSERT_TRUE(AutoSave_Tick(1200));
    EXPECT_EQ(AutoSaveP.dtStart, 1200);
    EXPECT_FALSE(AutoSaveP.bNeedAutoSave);
    EXPECT_TRUE(AutoSaveP.bNeedSave);  // the player's own save is still due
    EXPECT_TRUE(OpenSolveFile_ForListOrPreview(FileNames.sAutoSaved, true));
    EXPECT_FALSE(FileExists(FileNames.sTempSolve));
    EXPECT_FALSE(AutoSave_Tick(1500));  // nothing changed since
}

TEST(AutoSave, SecondInstanceDoesNotAutosave)
{
    SettingsHome home;
    ASSERT_TRUE(AutoSave_AcquireLock(nullptr));
    OpenChangedGame();
    ASSERT_TRUE(AutoSave_IsDue(2000));
    // Another running game: its own open of the lock file (flock is per open file).
    const std::string other = "flock -n '" + FileNames.sJigsPath + "autosave.lock' true";
    EXPECT_NE(RunCommand(other, nullptr), 0);
    AutoSave_ReleaseLock();
    EXPECT_EQ(RunCommand(other, nullptr), 0);
    EXPECT_FALSE(AutoSave_IsDue(2000));  // this one no longer holds it

    // The first instance holds it (a child process), this one is refused and says why.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const bool held = AutoSave_AcquireLock(nullptr);
        if (write(fds[1], held ? "1" : "0", 1) != 1)
            _exit(2);
        pause();
        _exit(0);
    }
    close(fds[1]);
    char c = 0;
    ASSERT_EQ(read(fds[0], &c, 1), 1);
    ASSERT_EQ(c, '1');
    std::string message;
    EXPECT_FALSE(AutoSave_AcquireLock(&message));
    EXPECT_FALSE(message.empty());
    EXPECT_FALSE(AutoSave_IsDue(2000));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_TRUE(AutoSave_AcquireLock(nullptr));  // its holder died: the lock is free
}

TEST(Settings, AnUnreadableFileIsKeptAsideAndThePlayerToldOnce)
{
    SettingsHome home;
    LastFiles_Update("/games/one.svm");
    ASSERT_TRUE(Settings_Write());
    // One mistyped tag.
    std::vector<uint8_t> bytes = ReadFileBytes(FileNames.sSettings);
    const std::string text(bytes.begin(), bytes.end());
    const size_t at = text.find("</key>");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 2] = 'x';
    ASSERT_TRUE(WriteFileBytes(FileNames.sSettings, bytes));
    const std::string broken = FileNames.sSettings + ".broken";
    ASSERT_TRUE(WriteFileBytes(broken, {'o', 'l', 'd'}));  // an older copy gives way: one copy only
    Recorder().Clear();
    EXPECT_FALSE(Settings_Read());
    EXPECT_EQ(ReadFileBytes(broken), bytes);
    ASSERT_EQ(Recorder().Count(RecordingPlatform::Kind::Message), 1);
    EXPECT_NE(Recorder().events.back().text.find("settings.dat.broken"), std::string::npos);
    // Quitting writes the defaults; the kept copy stays, and no second message comes.
    ASSERT_TRUE(Settings_Write());
    EXPECT_EQ(ReadFileBytes(broken), bytes);
    EXPECT_TRUE(Settings_Read());
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message), 1);
}
