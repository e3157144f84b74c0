// The dialog toolkit and the platform seam as the player meets them: message
// boxes answered by clicking, the progress window turning the event loop,
// and sound files checked before they reach the player.
#include "field/compose.h"
#include "shell/shell.h"
#include "support/gui_wait.h"
#include "support/test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Clicks the button titled `title` of the next message box as soon as it is
// up, noting its text.
void ClickTitled(const QString& title, QString* text = nullptr)
{
    WhenModalShows([=](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr) << "no message box came up";
        if (text)
            *text = box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == title)
                return b->click();
        box->close();
        FAIL() << "no button " << title.toStdString();
    });
}

}  // namespace

TEST(MessageBox, QuestionsAnswerByButtonPositionAndAMessageShowsItsTextAsItStands)
{
    ClickTitled("No");
    EXPECT_EQ(ShowQuestion("Save?", "Yes", "No", ""), 2);
    ClickTitled("Yes");
    EXPECT_EQ(ShowQuestion("Save?", "Yes", "No", ""), 1);
    ClickTitled("Cancel");
    EXPECT_EQ(ShowQuestion("Save?", "Yes", "No", "Cancel"), 3);
    QString text;
    ClickTitled("OK", &text);
    ShowMessage("100%d <b>sure</b>$D");
    EXPECT_EQ(text, QStringLiteral("100%d <b>sure</b>$D"));
}

TEST(MainWindowSeam, ProgressTurnsTheEventLoopAndTitleEditedMarkAndRedrawReachTheWindow)
{
    QWidget main;
    main.resize(600, 400);
    main.show();
    SetDialogParent(&main);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    ProgressShowBar("Opening", 14);
    EXPECT_TRUE(ProgressVisible());
    for (int i = 0; i < 14; ++i) {
        ProgressIncPos(1.0);
        QElapsedTimer busy;  // work that never returns to the event loop by itself
        busy.start();
        while (busy.elapsed() < 3) {
        }
    }
    EXPECT_DOUBLE_EQ(ProgressPos(), 14.0);
    EXPECT_GE(ticks, 5);
    ProgressHideBar();
    EXPECT_FALSE(ProgressVisible());

    QtPlatform& p = TheQtPlatform();
    p.SetTitle("Forest - Zivra Jigsaw");
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Forest - Zivra Jigsaw[*]"));
    p.SetEdited(true);
    EXPECT_TRUE(main.isWindowModified());
    RedrawP = 1;
    p.RequestRedraw(2);
    EXPECT_EQ(RedrawP, 2);
    SetDialogParent(nullptr);
}

TEST(Sound, OurWavFilesPassTheCheckButBrokenOrForeignOnesNeverReachThePlayer)
{
    for (const char* name : {"set", "win"}) {
        std::string why;
        EXPECT_TRUE(CheckWavFile(SourcePath(std::string("resources/") + name + ".wav"), &why)) << name << ": " << why;
    }
    TempDir dir;
    const std::vector<uint8_t> good = ReadFileBytes(SourcePath("resources/set.wav"));
    ASSERT_GT(good.size(), 100u);
    std::vector<uint8_t> truncated(good.begin(), good.begin() + 60);
    std::vector<uint8_t> adpcm = good;
    adpcm[20] = 2;  // format 2: not PCM
    std::vector<uint8_t> huge = good;
    huge[40] = huge[41] = huge[42] = huge[43] = 0xFF;  // a data chunk of 4 GB in a small file
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {{"garbage", std::vector<uint8_t>(500, 0x41)},
                          {"truncated", truncated},
                          {"adpcm", adpcm},
                          {"huge", huge},
                          {"empty", {}}};
    for (const Case& c : cases) {
        const std::string path = dir.File(std::string(c.name) + ".wav");
        WriteFileBytes(path, c.bytes);
        std::string why;
        EXPECT_FALSE(CheckWavFile(path, &why)) << c.name;
        EXPECT_FALSE(why.empty()) << c.name;
    }
    EXPECT_FALSE(CheckWavFile(dir.File("missing.wav"), nullptr));
}
