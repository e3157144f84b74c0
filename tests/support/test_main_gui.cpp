// The main of the GUI test binaries: as the core one, with a QApplication.
// These run under Xvfb when there is no display.
#include "field/field.h"
#include "field/main_view.h"
#include "shell/shell.h"
#include "support/test_support.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class ResetListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override
    {
        Shell_Reset();
        Field_Reset();
        ResetAllState();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TempDir xdg;
    setenv("XDG_DATA_HOME", xdg.Path().c_str(), 1);
    MainViewSetDefaultFormat();
    QApplication app(argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ResetListener);
    return RUN_ALL_TESTS();
}
