// The version and scale probes and the readers of the system's text files.
#include "diagnostics/diagnostics.h"
#include "diagnostics/fake_facts.h"
#include "files/files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(OsVersionText, TheThreeWordLayoutsPickTheirVersionWord)
{
    const struct {
        const char* text;
        std::optional<int32_t> ver;
    } cases[] = {
        {"macOS 13.0 (22A380)", 130},
        {"OS X 10.9.5 (13F34)", 109},
        {"macOS 10.15.7 (19H2)", 115},   // ten times the major plus the whole minor
        {"Mac OS X 10.6.8 (10K549)", 106},
        {"Other 1 2", std::nullopt},     // three words, no fourth: nothing to read
        {"System Version: macOS 14.1", 141},  // otherwise the fourth word
        {"macOS 13.0", std::nullopt},    // fewer than three words
        {"", std::nullopt},
        {"macOS x13 (1)", 0},            // a word without digits reads as zero, as before
    };
    for (const auto& c : cases)
        EXPECT_EQ(OsVersionFromText(c.text), c.ver) << c.text;
}

TEST(OsVersionText, VersionIdReadsAsADecimalNumber)
{
    const struct {
        const char* id;
        std::optional<int32_t> ver;
    } cases[] = {
        {"12", 120}, {"22.04", 220}, {"23.10", 231}, {"11.7", 117}, {"39", 390},
        {"", std::nullopt}, {"rolling", std::nullopt}, {"12.", std::nullopt}, {"1.x", std::nullopt},
        {"-3", std::nullopt}, {"123456789", std::nullopt},  // would not fit once multiplied
    };
    for (const auto& c : cases)
        EXPECT_EQ(OsVersionFromVersionId(c.id), c.ver) << c.id;
}

using Probes = DiagnosticsTest;

TEST_F(Probes, OsVersionComesFromVersionIdAndStaysWithoutOne)
{
    facts.software = ParseOsRelease("NAME=\"Ubuntu\"\nVERSION_ID=\"22.04\"\n");
    GetOSVersion();
    EXPECT_EQ(iOsVer, 220);
    facts.software = ParseOsRelease("PRETTY_NAME=\"Debian GNU/Linux trixie/sid\"\nNAME=\"Debian GNU/Linux\"\n");
    GetOSVersion();
    EXPECT_EQ(iOsVer, 220);
    facts.software = {{"VERSION_ID", "bookworm"}};
    GetOSVersion();
    EXPECT_EQ(iOsVer, 220);
}

TEST_F(Probes, ScaleIsTheScreensPixelRatioOrOne)
{
    facts.screen.bHave = true;
    facts.screen.fPixelRatio = 1.5;
    GetDisplayScale();
    EXPECT_EQ(fScrScaleFactor, 1.5);
    facts.screen = TScreenFacts{};
    facts.screen.fPixelRatio = 3.0;  // no screen answered
    GetDisplayScale();
    EXPECT_EQ(fScrScaleFactor, 1.0);
}

TEST(SystemFiles, OsReleaseUnquotesValuesAndSkipsComments)
{
    const std::string text =
        "# written by the distribution\n"
        "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
        "\n"
        "VERSION_ID=\"12\"\n"
        "ID=debian\n"
        "HOME_URL='https://example.org/a\"b'\n"
        "QUOTED=\"say \\\"hi\\\" \\\\ \\$x\"\n"
        "NOEQUALS\n"
        "=nokey\n";
    const TReportPairs p = ParseOsRelease(text);
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0].sKey, "PRETTY_NAME");
    EXPECT_EQ(p[0].sValue, "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(p[1].sValue, "12");
    EXPECT_EQ(p[2].sValue, "debian");
    EXPECT_EQ(p[3].sValue, "https://example.org/a\"b");
    EXPECT_EQ(p[4].sValue, "say \"hi\" \\ $x");
}

TEST(SystemFiles, CpuAndMemoryGiveModelCountAndSizes)
{
    const std::string cpu =
        "processor\t: 0\nvendor_id\t: AuthenticAMD\nmodel name\t: AMD Ryzen 7 5800X 8-Core Processor\n\n"
        "processor\t: 1\nvendor_id\t: AuthenticAMD\nmodel name\t: AMD Ryzen 7 5800X 8-Core Processor\n";
    const TReportPairs c = ParseCpuInfo(cpu);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].sKey + "=" + c[0].sValue, "cpu_vendor=AuthenticAMD");
    EXPECT_EQ(c[1].sKey + "=" + c[1].sValue, "cpu_model=AMD Ryzen 7 5800X 8-Core Processor");
    EXPECT_EQ(c[2].sKey + "=" + c[2].sValue, "number_processors=2");
    const TReportPairs arm = ParseCpuInfo("processor : 0\nBogoMIPS : 108.00\nprocessor : 1\nModel : Raspberry Pi 4\n");
    ASSERT_EQ(arm.size(), 2u);
    EXPECT_EQ(arm[0].sValue, "Raspberry Pi 4");
    EXPECT_TRUE(ParseCpuInfo("").empty());
    const TReportPairs m = ParseMemInfo("MemTotal:       24669496 kB\nMemFree:  1 kB\nMemAvailable:   20000000 kB\n");
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].sKey + "=" + m[0].sValue, "physical_memory=24669496 kB");
    EXPECT_EQ(m[1].sKey + "=" + m[1].sValue, "available_memory=20000000 kB");
}

TEST(SystemFiles, MountsDecodeEscapesAndOnlyLocalDisksCount)
{
    const std::vector<TMountEntry> m = ParseMounts(
        "/dev/sda2 / ext4 rw,relatime 0 0\n"
        "/dev/sdb1 /media/ann/USB\\040STICK vfat ro,nosuid 0 0\n"
        "proc /proc proc rw 0 0\n"
        "broken line\n"
        "server:/export /mnt/nfs nfs4 rw 0 0\n"
        "rpool/home /home zfs rw 0 0\n"
        "/dev/sdc1 /mnt/smb cifs rw 0 0\n"
        "tmpfs /tmp/a\\134b tmpfs rw 0 0\n"
        "overlay / overlay rw,lowerdir=/l,upperdir=/u 0 0\n");
    ASSERT_EQ(m.size(), 8u);
    EXPECT_EQ(m[1].sDir, "/media/ann/USB STICK");
    EXPECT_EQ(m[1].sOptions, "ro,nosuid");
    EXPECT_EQ(m[6].sDir, "/tmp/a\\b");
    const bool local[] = {true, true, false, false, true, false, false, true};
    for (size_t i = 0; i < m.size(); ++i)
        EXPECT_EQ(IsLocalMount(m[i]), local[i]) << m[i].sDir;
}

TEST(SystemFiles, DisplayDepthsMapToBitsPerPixel)
{
    const int depths[][2] = {{24, 32}, {32, 32}, {16, 16}, {15, 16}, {8, 8}, {0, 0}, {12, 0}};
    for (const auto& d : depths)
        EXPECT_EQ(DisplayBitsPerPixelForDepth(d[0]), d[1]) << d[0];
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Log, "Unable to match pixel encoding"), 2);
}

}  // namespace

namespace {

bool AllPrintableAscii(const std::string& s)
{
    for (char c : s)
        if (c < 0x20 || c >= 0x7F)
            return false;
    return true;
}

TEST(SystemFiles, HostileFilesReadWithoutHarmAndEscapeToAscii)
{
    const std::string dir = SourcePath("tests/inputs/system_files/");
    const std::vector<std::string> names = ListFolderSorted(dir);
    ASSERT_GE(names.size(), 5u);
    for (const std::string& name : names) {
        const std::vector<uint8_t> b = ReadFileBytes(dir + name);
        const std::string text(b.begin(), b.end());
        for (const TReportPair& kv : ParseOsRelease(text)) {
            EXPECT_TRUE(AllPrintableAscii(ReportAscii(kv.sKey))) << name;
            EXPECT_TRUE(AllPrintableAscii(ReportAscii(kv.sValue))) << name;
            const auto v = OsVersionFromVersionId(kv.sValue);
            EXPECT_GE(v.value_or(0), 0) << name;
        }
        for (const TReportPair& kv : ParseCpuInfo(text))
            EXPECT_FALSE(kv.sKey.empty()) << name;
        ParseMemInfo(text);
        for (const TMountEntry& m : ParseMounts(text))
            EXPECT_TRUE(AllPrintableAscii(ReportAscii(m.sDir))) << name;
        EXPECT_TRUE(AllPrintableAscii(ReportAscii(text))) << name;
    }
    // A version too large for the number is no version at all.
    const TReportPairs huge = ParseOsRelease("VERSION_ID=99999999999999999999.99\n");
    EXPECT_EQ(OsVersionFromVersionId(huge.at(0).sValue), std::nullopt);
}

}  // namespace
