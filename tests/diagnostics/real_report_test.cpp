// A real report of this machine, made by zivra-tool report (on the display
// when there is one, on Qt's offscreen screen otherwise).
#include "base/helpers.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Non-empty lines per section heading, in the order the headings appear.
std::vector<std::pair<std::string, int>> SectionSizes(const std::string& text)
{
    std::vector<std::pair<std::string, int>> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("------ ", 0) == 0)
            out.emplace_back(line, 0);
        else if (!line.empty() && !out.empty() && line.rfind("=====", 0) != 0)
            ++out.back().second;
    }
    return out;
}

TEST(RealReport, EverySectionOfThisMachineHasALine)
{
    TempDir dir;
    std::string out, err;
    ASSERT_EQ(RunCommand(ToolCommand() + " report " + dir.File("r.txt"), &out, &err), 0) << err;
    const std::string text = ReadText(dir.File("r.txt"));
    const auto sections = SectionSizes(text);
    const char* const expected[] = {"Program", "Screen", "OS", "Disks", "Hardware", "Network", "OpenGL"};
    ASSERT_EQ(sections.size(), std::size(expected)) << text;
    for (size_t i = 0; i < sections.size(); ++i) {
        EXPECT_EQ(sections[i].first, std::string("------ ") + expected[i] + " ------");
        EXPECT_GT(sections[i].second, 0) << sections[i].first << "\n" << text;
    }
    for (char c : text)
        ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);
    // Nothing that tells strangers where the machine is or who uses it.
    EXPECT_EQ(text.find("nodename"), std::string::npos);
    EXPECT_EQ(text.find("address"), std::string::npos);
    EXPECT_EQ(text.find("serial"), std::string::npos);
}

TEST(RealReport, ToolAddsTheGameItIsGivenAndFailsOnAFileItCannotWrite)
{
    TempDir dir;
    std::string out, err;
    const std::string game = SourcePath("tests/inputs/solve_file/tiny.svm");
    ASSERT_EQ(RunCommand(ToolCommand() + " report " + dir.File("r.txt") + " --game '" + game + "'", &out, &err), 0)
        << err;
    const std::string text = ReadText(dir.File("r.txt"));
    EXPECT_NE(text.find("\n------ Jigsaw ------\n\nsJig: "), std::string::npos) << text;
    EXPECT_NE(text.find("\nsSolve: " + game + "\n"), std::string::npos) << text;

    EXPECT_EQ(RunCommand(ToolCommand() + " report " + dir.File("none/r.txt"), &out, &err), 1);
    EXPECT_NE(err.find("Failed: fileHandleForWritingAtPath"), std::string::npos) << err;
    EXPECT_NE(err.find("cannot write"), std::string::npos) << err;
    EXPECT_EQ(RunCommand(ToolCommand() + " report", &out, &err), 2);
    EXPECT_EQ(RunCommand(ToolCommand() + " report " + dir.File("g.txt") + " --game /no/such.svm", &out, &err), 2);
    EXPECT_FALSE(FileExists(dir.File("g.txt")));
}

}  // namespace
