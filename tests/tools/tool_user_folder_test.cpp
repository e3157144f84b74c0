// zivra-tool beside a running game: the commands that look up the game's
// resources leave the per-user folder alone, so a save the game has under way
// (its temporary and side files) survives them.
#include "base/my_image.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

TEST(ToolBesideAGame, ResourceLookupLeavesTheSaveUnderWayAlone)
{
    TempDir dir;
    const std::string user = std::string(std::getenv("XDG_DATA_HOME")) + "/Zivra Jigsaw Bemo/";
    std::filesystem::create_directories(user);
    const std::vector<std::string> underWay = {"zivra.svt", "My game.svm.part", "settings.dat.part"};
    OMyImagePtr img = MyImageCreateExt(400, 300, false);
    MyImageFillRect(*img, 0, 0, 400, 300, RGB(200, 120, 10));
    ASSERT_TRUE(MyImageSaveToFile(*img, dir.File("pic.png")));
    const std::string commands[] = {
        "pics --out '" + dir.File("pics") + "'",
        "cut '" + dir.File("pic.png") + "' --out '" + dir.File("cut") + "' --style 3 --level 13 --seed 1",
    };
    for (const std::string& command : commands) {
        for (const std::string& name : underWay)
            ASSERT_TRUE(WriteFileBytes(user + name, {1, 2, 3})) << name;
        std::string out, err;
        EXPECT_EQ(RunCommand(ToolCommand() + " " + command, &out, &err), 0) << command << "\n" << err;
        for (const std::string& name : underWay)
            EXPECT_TRUE(std::filesystem::exists(user + name)) << command << " removed " << name;
    }
}
