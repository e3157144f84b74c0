// The main of the core test binaries: a private XDG data folder for the whole
// run and a clean slate before every test.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class ResetListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { ResetAllState(); }
};

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TempDir xdg;  // lives for the whole run
    setenv("XDG_DATA_HOME", xdg.Path().c_str(), 1);
    testing::UnitTest::GetInstance()->listeners().Append(new ResetListener);
    return RUN_ALL_TESTS();
}
