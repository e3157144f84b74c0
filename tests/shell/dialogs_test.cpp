// The dialog toolkit and the platform seam as the player meets them: message
// boxes answered by clicking, the progress window turning the event loop,
// and sound files checked before they reach the player.
#include "field/compose.h"
#include "shell/shell.h"
#include "support/dialog_wait.h"
#include "support/test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

void ClickTitled(const QString& title, QString* text = nullptr)
{
    AnswerNextBox(title, [=](QMessageBox* box) {
        if (text)
            *text = box->text();
    });
}

// Notes the next question box's icon and button titles, then types the key into it.
void TypeIntoQuestion(Qt::Key key, Qt::KeyboardModifiers mods, QMessageBox::Icon* icon,
                      QStringList* titles)
{
    QTimer::singleShot(50, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            titles->append(b->text());
        // Mnemonics answer only in the active window.
        box->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(box));
        QTest::keyClick(box, key, mods);
        QTimer::singleShot(200, box, [box] { box->close(); });  // should the key do nothing
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

TEST(MessageBox, QuestionsShowTheQuestionIconAndAnswerToMnemonicsAndEscape)
{
    // Each row: the titles, a key typed, the answer, the titles as shown.
    const struct {
        const char *b1, *b2, *b3;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int answer;
        QStringList shown;
    } cases[] = {
        {"Yes", "No", "Cancel", Qt::Key_N, Qt::AltModifier, 2, {"&Yes", "&No", "&Cancel"}},
        {"Yes", "No", "Cancel", Qt::Key_Y, Qt::AltModifier, 1, {"&Yes", "&No", "&Cancel"}},
        {"Yes", "No", "Cancel", Qt::Key_Escape, Qt::NoModifier, 3, {"&Yes", "&No", "&Cancel"}},
        {"Yes", "No", "", Qt::Key_Escape, Qt::NoModifier, 2, {"&Yes", "&No"}},
        // A letter taken by an earlier button: the next free one.
        {"Save", "Skip", "Stay", Qt::Key_K, Qt::AltModifier, 2, {"&Save", "S&kip", "S&tay"}},
        {"Да", "Нет", "Отмена", Qt::Key_Return, Qt::NoModifier, 1, {"&Да", "&Нет", "&Отмена"}},
    };
    for (const auto& c : cases) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList titles;
        TypeIntoQuestion(c.key, c.mods, &icon, &titles);
        EXPECT_EQ(ShowQuestion("Go on?", c.b1, c.b2, c.b3), c.answer) << c.b1 << " " << int(c.key);
        EXPECT_EQ(icon, QMessageBox::Question);
        QStringList want = c.shown, got = titles;
        want.sort();
        got.sort();
        EXPECT_EQ(got, want);
    }
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
    RedrawP = kRedrawFull;
    p.RequestRedraw(kRedrawShow);
    EXPECT_EQ(RedrawP, kRedrawShow);
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
