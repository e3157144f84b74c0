// The report's layout against a machine with fixed answers.
#include "diagnostics/diagnostics.h"
#include "diagnostics/fake_facts.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/puzzle.h"
#include "base/helpers.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace {

std::vector<std::string> Lines(const std::string& text) { return SplitLines(text); }

// The lines between a heading and the next heading (or the closing rule).
std::vector<std::string> Section(const std::string& text, const std::string& name)
{
    std::vector<std::string> out;
    bool in = false;
    for (const std::string& line : Lines(text)) {
        if (line.rfind("------ ", 0) == 0 || line.rfind("=====", 0) == 0) {
            if (in)
                break;
            in = line == "------ " + name + " ------";
            continue;
        }
        if (in && !line.empty())
            out.push_back(line);
    }
    return out;
}

const char* const kHeadings[] = {"Program", "Screen", "OS", "Disks", "Hardware", "Network", "OpenGL"};

void FillMachine(FakeFacts& f)
{
    f.date = "2026-12-06 18:20:48 +0000";
    f.screen.bHave = true;
    f.screen.fW = 1920, f.screen.fH = 1200, f.screen.fVisibleW = 1920, f.screen.fVisibleH = 1160;
    f.screen.iDepth = 24;
    f.screen.fPixelRatio = 2.0;
    f.screen.arDesc = {{"Name", "HDMI-1"}, {"Model", "X"}};
    f.screen.fWinScaleFactor = 2.0;
    f.screen.bWantsBestResolution = true;
    f.software = {{"_name", "Debian"}, {"NAME", "Debian GNU/Linux"}, {"VERSION_ID", "12"}};
    TDiskFacts root;
    root.sPath = "/", root.bWritable = true, root.sDesc = "root", root.sFileSystemType = "ext4";
    root.bHaveStats = true, root.iBlockSize = 4096, root.iTotalBlocks = 1000, root.iFreeBlocks = 250;
    root.sMountTo = "/";
    TDiskFacts stick;
    stick.sPath = "/media/ann/USB STICK", stick.bRemovable = true, stick.bUnmountable = true;
    stick.sDesc = "/dev/sdb1", stick.sFileSystemType = "vfat";
    f.disks = {root, stick};
    f.hardware = {{"_name", "x"}, {"cpu_model", "Ryzen"}};
    f.network = {{{"_name", "lo"}, {"type", "Loopback"}}, {{"_name", "eth0"}, {"type", "Ethernet"}}};
    TDisplayFacts d;
    d.fW = 1920, d.fH = 1200, d.iModeW = 3840, d.iModeH = 2400, d.iBitsPerPixel = 32, d.fRefreshRate = 60;
    f.displays = std::vector<TDisplayFacts>{d};
    f.renderer = {"Mesa", "AMD Radeon", "4.6 (Compatibility Profile) Mesa 22.3.6", true, 512, 256};
}

const char* const kGolden = R"(========================================
Zivra Jigsaw Bemo System Report

Date: 2026-12-06 18:20:48 +0000

------ Program ------

<version>
<date>
Bundle Resource path = /opt/zivra/resources
Files path = /home/ann/.local/share/Zivra Jigsaw Bemo/

------ Screen ------

Frame: 1920.000000 x 1200.000000
VisibleFrame: 1920.000000 x 1160.000000
iMaxMainViewW,iMaxMainViewH: 1600 x 900
Depth = 24
Name: HDMI-1
Model: X
fScrScaleFactor = 2.000000
fWinScaleFactor = 2.000000
wantsBestResolutionOpenGLSurface = 1

------ OS ------

iOSVer: 120
NAME = Debian GNU/Linux
VERSION_ID = 12

------ Disks ------

Path = /
Removable=0 Writable=1 Unmountable=0
Desc=root
FileSystemType=ext4
BlockSize=4096
TotalBlocks=1000
FreeBlocks=250
mountTo=/

Path = /media/ann/USB STICK
Removable=1 Writable=0 Unmountable=1
Desc=/dev/sdb1
FileSystemType=vfat

------ Hardware ------

cpu_model = Ryzen

------ Network ------

_name = lo
type = Loopback

_name = eth0
type = Ethernet


------ OpenGL ------

Number of displays = 1

Info for display 0
CGDisplayBounds:
width=1920.000000
height=1200.000000
origin_x=0.000000
origin_y=0.000000
W=3840
H=2400
BitsPerPixel=32
RefreshRate=60.000000

RendererInfo:
deviceVRAM=512
deviceTextureRAM=256

GL_VENDOR=Mesa
GL_RENDERER=AMD Radeon
GL_VERSION=4.6 (Compatibility Profile) Mesa 22.3.6

========================================
)";

class ReportLayout : public DiagnosticsTest {
protected:
    void SetUp() override
    {
        DiagnosticsTest::SetUp();
        FileNames.sResourcePath = "/opt/zivra/resources";
        FileNames.sJigsPath = dir.Path() + "/";
        SetHeadlessViewSize(1600, 900);
    }
    // Writes the report and answers its text with the version and build date
    // lines replaced by placeholders (after checking their form).
    std::string Report()
    {
        EXPECT_TRUE(CreateSystemReport(dir.File("r.txt"), false));
        std::string text = ReadText(dir.File("r.txt"));
        std::vector<std::string> lines = Lines(text);
        if (lines.size() < 9)
            return text;
        EXPECT_TRUE(std::regex_match(lines[7], std::regex(R"(Linux Version \d+\.\d+)"))) << lines[7];
        EXPECT_TRUE(std::regex_match(lines[8], std::regex(R"([A-Z][a-z]+ \d{1,2}, \d{4})"))) << lines[8];
        const size_t at = text.find(lines[7] + "\n" + lines[8] + "\n");
        return text.replace(at, lines[7].size() + lines[8].size() + 2, "<version>\n<date>\n");
    }

    TempDir dir;
};

TEST_F(ReportLayout, WithoutAGameEverySectionHasItsExactFormats)
{
    FillMachine(facts);
    GetOSVersion();
    GetDisplayScale();
    FileNames.sJigsPath = "/home/ann/.local/share/Zivra Jigsaw Bemo/";
    EXPECT_EQ(Report(), kGolden);
    EXPECT_TRUE(facts.opened.empty());
}

TEST_F(ReportLayout, AnOpenGameAddsItsParametersInOrderAfterTheProgram)
{
    FileNames.bOpen = true;
    FileNames.sJig = "/j/Sea.zjg", FileNames.sSolve = "/s/sea.svm", FileNames.sJigName = "Sea";
    JigP.GameSeed = -7, JigP.ImageW = 800, JigP.ImageH = 600, JigP.JigsL = 1, JigP.JigsT = 2;
    JigP.MaskS = 90, JigP.TileS = 60, JigP.TilePX = 13, JigP.TilePY = 10, JigP.PicPX = 3, JigP.PicPY = 4;
    JigP.TileNum = 130, JigP.TotalTileNum = 131, JigP.Level = 5, JigP.Rotate = 1, JigP.BorderStyle = 1;
    JigP.ShapeStyle = 6, JigP.SpreadOut = 1, JigP.FitToScreen = 0, JigP.SideNum = 1;
    const std::string text = Report();
    const std::string expected = "Files path = " + dir.Path() + "/\n"
        "\n------ Jigsaw ------\n\n"
        "sJig: /j/Sea.zjg\nsSolve: /s/sea.svm\nsJigName: Sea\n"
        "GameSeed = -7\nImageW = 800, ImageH = 600\nJigsL = 1, JigsT = 2\nMaskS = 90, TileS = 60\n"
        "TilePX = 13, TilePY = 10\nPicPX = 3, PicPY = 4\nTileNum = 130, TotalTileNum = 131\nLevel = 5\n"
        "Rotate = 1\nBorderStyle = 1\nShapeStyle = 6\nSpreadOut = 1\nFitToScreen = 0\nSideNum = 1\n"
        "\n------ Screen ------\n";
    EXPECT_NE(text.find(expected), std::string::npos) << text;
    FileNames.bOpen = false;
    EXPECT_EQ(Report().find("Jigsaw ------"), std::string::npos);
}

TEST_F(ReportLayout, NameKeyStaysOutOfOsAndHardwareButNotNetwork)
{
    FillMachine(facts);
    const std::string text = Report();
    for (const char* s : {"OS", "Hardware"})
        for (const std::string& line : Section(text, s))
            EXPECT_EQ(line.rfind("_name", 0), std::string::npos) << s << ": " << line;
    EXPECT_EQ(Section(text, "Network"),
              (std::vector<std::string>{"_name = lo", "type = Loopback", "_name = eth0", "type = Ethernet"}));
}

TEST_F(ReportLayout, EveryHeadingStandsInOrderWhenEverySourceIsEmpty)
{
    const std::string text = Report();
    size_t at = 0;
    for (const char* h : kHeadings) {
        const size_t next = text.find(std::string("\n------ ") + h + " ------\n\n", at);
        ASSERT_NE(next, std::string::npos) << h;
        at = next + 1;
    }
    EXPECT_EQ(Section(text, "OS"), std::vector<std::string>{"iOSVer: 0"});
    EXPECT_TRUE(Section(text, "Disks").empty());
    EXPECT_TRUE(Section(text, "Hardware").empty());
    EXPECT_TRUE(Section(text, "Network").empty());
    EXPECT_EQ(Section(text, "OpenGL"), std::vector<std::string>{"Number of displays = 0"});
    EXPECT_EQ(text.substr(text.size() - 42), "\n========================================\n");
}

TEST_F(ReportLayout, NetworkStopsAtTheFirstEmptyItemAndAfterTenItems)
{
    for (int i = 0; i < 12; ++i)
        facts.network.push_back({{"_name", "if" + std::to_string(i)}});
    EXPECT_EQ(Section(Report(), "Network").size(), 10u);
    facts.network[2].clear();
    EXPECT_EQ(Section(Report(), "Network"), (std::vector<std::string>{"_name = if0", "_name = if1"}));
}

TEST_F(ReportLayout, RendererMemoryOnlyForAnAcceleratedRendererThatToldIt)
{
    FillMachine(facts);
    struct Case {
        bool accelerated;
        int vram;
        bool shown;
    } cases[] = {{true, 512, true}, {false, 512, false}, {true, -1, false}};
    for (const Case& c : cases) {
        facts.renderer.bAccelerated = c.accelerated;
        facts.renderer.iVideoMB = c.vram;
        const std::string text = Report();
        EXPECT_EQ(text.find("\nRendererInfo:\n") != std::string::npos, c.shown) << c.accelerated << " " << c.vram;
        EXPECT_NE(text.find("GL_RENDERER=AMD Radeon\n"), std::string::npos);
    }
    facts.displays.reset();  // the display query failed
    const std::vector<std::string> gl = Section(Report(), "OpenGL");
    EXPECT_EQ(gl, std::vector<std::string>{"Number of displays = 0"});
}

TEST_F(ReportLayout, NonAsciiTextIsEscapedAndTheWholeFileIsAscii)
{
    FileNames.sJigsPath = "/home/\xD0\x9F\xD1\x91\xD1\x82\xD1\x80/Zivra\\Jigsaw/";  // "Пётр"
    facts.software = {{"PRETTY_NAME", "Caf\xC3\xA9 \xF0\x9F\xA7\xA9 \xFF\tend"}};
    const std::string text = Report();
    EXPECT_NE(text.find("Files path = /home/\\u041F\\u0451\\u0442\\u0440/Zivra\\\\Jigsaw/\n"), std::string::npos);
    EXPECT_NE(text.find("PRETTY_NAME = Caf\\u00E9 \\U0001F9E9 \\xFF\\x09end\n"), std::string::npos);
    for (char c : text)
        ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);
}

TEST(ReportAsciiText, EscapesWhatIsNotPrintableAsciiAndKeepsTheRest)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"plain text 123 ~!", "plain text 123 ~!"},
        {"a\\b", "a\\\\b"},
        {"\x01\x7F", "\\x01\\x7F"},
        {"\xC3\xA9", "\\u00E9"},
        {"\xE2\x82\xAC", "\\u20AC"},
        {"\xF0\x9F\xA7\xA9", "\\U0001F9E9"},
        {"\xC3", "\\xC3"},              // cut short
        {"\xC0\xAF", "\\xC0\\xAF"},     // overlong
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},  // a surrogate
        {"\xE2\x82", "\\xE2\\x82"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReportAscii(c.in), c.out) << c.in;
}

TEST_F(ReportLayout, ASecondReportReplacesTheFirst)
{
    FillMachine(facts);
    EXPECT_TRUE(CreateSystemReport(dir.File("r.txt"), false));
    const size_t first = ReadText(dir.File("r.txt")).size();
    facts = FakeFacts{};
    const std::string second = Report();
    EXPECT_LT(second.size(), first);
    EXPECT_EQ(second.find("Ryzen"), std::string::npos);
    EXPECT_EQ(second.substr(0, 41), "========================================\n");
}

TEST_F(ReportLayout, LinesReachTheFileBeforeTheNextSourceIsAsked)
{
    FillMachine(facts);
    std::string seen;
    facts.onHardware = [&] { seen = ReadText(dir.File("r.txt")); };
    Report();
    EXPECT_NE(seen.find("Path = /media/ann/USB STICK\n"), std::string::npos) << seen;
    const std::string heading = "\n------ Hardware ------\n\n";
    ASSERT_GT(seen.size(), heading.size());
    EXPECT_EQ(seen.substr(seen.size() - heading.size()), heading);
}

TEST_F(ReportLayout, EmptyPathWritesIntoTheJigsawFolderAndOpensTheFile)
{
    EXPECT_TRUE(CreateSystemReport("", true));
    EXPECT_EQ(facts.opened, std::vector<std::string>{dir.File("zivra-report.txt")});
    EXPECT_FALSE(ReadText(dir.File("zivra-report.txt")).empty());
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message), 0);
}

TEST_F(ReportLayout, AFileThatCannotBeMadeOrFilledIsReportedAndNeverOpened)
{
    const struct {
        std::string path;
        const char* message;
    } cases[] = {
        {dir.File("no/such/folder/r.txt"), kReportOpenFailed},
        {dir.Path(), kReportOpenFailed},   // a folder
        {"/dev/full", kReportWriteFailed}, // no room for a single line
    };
    for (const auto& c : cases) {
        Recorder().Clear();
        EXPECT_FALSE(CreateSystemReport(c.path, true)) << c.path;
        EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message, c.message), 1) << c.path;
    }
    EXPECT_TRUE(facts.opened.empty());
    EXPECT_FALSE(FileExists(dir.File("no")));
}

}  // namespace
