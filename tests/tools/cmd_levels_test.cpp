// zivra-tool levels: its fixed output format.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string Tool(const std::string& args, int* status, std::string* err = nullptr)
{
    std::string out;
    *status = RunCommand(ToolCommand() + " " + args, &out, err);
    return out;
}

}  // namespace

TEST(LevelsCommand, PrintsFourteenRowsOfTenNumbersAndNothingElse)
{
    int status = -1;
    const std::string out = Tool("levels 1000 750 0 0", &status);
    ASSERT_EQ(status, 0);
    std::istringstream lines(out);
    std::string line;
    std::vector<std::string> rows;
    while (std::getline(lines, line))
        rows.push_back(line);
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[0], "28 20 4 50 37 1850 0 0 0 1850");
    EXPECT_EQ(rows[6], "82 56 13 17 13 221 0 0 0 221");
    EXPECT_EQ(rows[13], "274 187 43 5 4 20 0 0 0 20");
    for (const std::string& r : rows) {
        std::istringstream fields(r);
        long v;
        int count = 0;
        while (fields >> v)
            ++count;
        EXPECT_EQ(count, 10) << r;
        EXPECT_EQ(r.find("  "), std::string::npos) << r;
    }
    EXPECT_EQ(out.back(), '\n');
    const std::string figure = Tool("levels 1024 768 3 1", &status);
    EXPECT_NE(figure.find("\n286 192 47 5 3 15 2 1 2 17\n"), std::string::npos) << figure;
}

TEST(LevelsCommand, PicturesTooSmallOrBadArgumentsPrintNothingAndFail)
{
    for (const char* args : {"levels 3 500 0 0", "levels 40 40 0 1", "levels 0 100 0 0", "levels 100 100 0 2",
                             "levels 100 x 0 0", "levels 100 100 0"}) {
        int status = -1;
        std::string err;
        EXPECT_EQ(Tool(args, &status, &err), "") << args;
        EXPECT_EQ(status, 2) << args;
        EXPECT_FALSE(err.empty()) << args;
    }
}
