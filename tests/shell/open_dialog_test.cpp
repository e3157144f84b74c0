// The open dialog as the player meets it: the thumbnail lists, the level
// page, naming a saved game, deleting, jigsaws of the player's own pictures,
// and the modal run the files' commands go through. Questions are answered
// and messages noted by the recording platform.
#include "cutting/cutting.h"
#include "download/dialog/dn_form.h"
#include "files/files.h"
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "shell/open_dialog.h"
#include "shell/open_game.h"
#include "shell/shell.h"
#include "shell/thumb_list.h"
#include "support/test_support.h"
#include "support/dialog_wait.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QDropEvent>
#include <QUrl>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>

namespace {

using Kind = RecordingPlatform::Kind;

// A patterned w x h picture encoded as PNG.
std::vector<uint8_t> PicturePng(int w, int h, int tint = 0) { return MyImageEncode(*PatternImage(w, h, tint), "PNG"); }

// A jigsaw file of a w x h picture at path.
void WriteJigsaw(const std::string& path, int w, int h, int tint = 0)
{
    const std::vector<uint8_t> png = PicturePng(w, h, tint);
    const uint8_t keys[10] = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3};
    std::string error;
    ASSERT_TRUE(SaveJigFile(path, uint32_t(w), uint32_t(h), keys, png, "test", png, &error)) << error;
}

std::set<std::string> FolderFiles(const std::string& folder)
{
    std::set<std::string> out;
    for (const std::string& f : ListFolderSorted(folder))
        out.insert(f);
    return out;
}

std::vector<std::string> Names(const MCOpenScrollView& list)
{
    std::vector<std::string> out;
    for (const OListThumb& t : list.arListThumbs)
        out.push_back(t.sDisplayName);
    return out;
}

// A per-user folder of our own, the English texts, a memory field, and the dialog.
class OpenDialog : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(UseUserFolder(home.Path()));
        FileNames.sDistJigsPath = dist.Path() + "/";
        ASSERT_TRUE(ReadLangFile(LangMesFile("english")));
        SetFieldHost(&field);
        iMaxMainViewW = 1000;
        iMaxMainViewH = 700;
        DefJigP.FitToScreen = 0;
        sDVFileName.clear();
        iDVStyle = 1;
    }
    void TearDown() override
    {
        FreeOpenForm();
        SetFieldHost(nullptr);
    }
    std::string Jigs(const std::string& name) const { return FileNames.sJigsPath + name; }
    MCOpen* Form()
    {
        if (!g_OpenForm)
            CreateOpenForm(nullptr);
        return g_OpenForm;
    }
    // Runs the dialog modally in `style`; once it shows, `act` plays the
    // player's part. A dialog still open 10 s later is closed with 99.
    int RunModal(int style, const std::function<void(MCOpen*)>& act)
    {
        MCOpen* d = Form();
        return RunWhenShown(*d, [&] { act(d); }, [&] { d->SetFormStyle(style); return d->exec(); });
    }
    // Selects entry `name` of a list as a click does.
    static void Press(MCOpenScrollView* list, const std::string& name)
    {
        for (const OListThumb& t : list->arListThumbs)
            if (t.sDisplayName == name) {
                const QPoint c(t.mrCell.L + 20, t.mrCell.T + 20);
                QTest::mouseClick(list->View(), Qt::LeftButton, {}, c);
                return;
            }
        ADD_FAILURE() << "no entry " << name;
    }
    TempDir home, dist, pics;
    OMemoryField field;
};

}  // namespace

// ---- The lists ------------------------------------------------------------------------------

TEST(ThumbList, CellsFollowTheDocumentWidth)
{
    struct Case { int width, cols; };
    const Case cases[] = {{192, 1}, {367, 1}, {368, 2}, {1000, 5}, {1424, 8}};
    for (const Case& c : cases) {
        std::vector<OListThumb> list(11);
        const int h = ThumbListLayout(list, c.width);
        const int rows = (11 + c.cols - 1) / c.cols;
        EXPECT_EQ(h, rows * 168 + 16) << c.width;
        const OListThumb& last = list.back();
        EXPECT_EQ(last.mrCell.L, 8 + 176 * (10 % c.cols)) << c.width;
        EXPECT_EQ(last.mrCell.T, 8 + 168 * (10 / c.cols)) << c.width;
        EXPECT_EQ(last.mrThumb.L, last.mrCell.L + 8);
        EXPECT_EQ(last.mrThumb.T, last.mrCell.T + 8);
        EXPECT_EQ(last.mrThumb.W, 160);
        EXPECT_EQ(last.mrThumb.H, 120);
        EXPECT_EQ(last.mrLabel.T, last.mrCell.B - 32);
        EXPECT_EQ(last.mrLabel.H, 24);
    }
    std::vector<OListThumb> list(3);
    list[0].mrCell = vMyRectInitWH(1, 2, 3, 4);
    EXPECT_EQ(ThumbListLayout(list, 191), -1);  // too narrow: left as it was
    EXPECT_EQ(list[0].mrCell.L, 1);
}

TEST_F(OpenDialog, RefillsInsertNewFilesInOrderDropVanishedOnesAndRereadChangedOnes)
{
    for (const char* n : {"banana.zjg", "Date.zjg", "notes.txt"})
        WriteJigsaw(Jigs(n), 64, 48);
    MCOpenScrollView list(0, nullptr);
    list.resize(600, 400);
    list.show();
    list.UpdateListThumbs(FileNames.sJigsPath, "zjg", "");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"banana", "Date"}));
    list.dTickBudget = 0;  // one file a tick
    EXPECT_EQ(list.ReadThumbTick(), 1);
    EXPECT_TRUE(list.o_ReadThumbTimer.isActive());
    EXPECT_EQ(list.ReadThumbTick(), 1);
    EXPECT_EQ(list.ReadThumbTick(), 0);
    EXPECT_FALSE(list.o_ReadThumbTimer.isActive());  // the walk is over
    ASSERT_FALSE(list.arListThumbs[0].image.isNull());
    EXPECT_EQ(list.arListThumbs[0].image.size(), QSize(160, 120));

    WriteJigsaw(Jigs("apple.zjg"), 64, 48);
    WriteJigsaw(Jigs("Cherry.ZJG"), 64, 48);
    WriteJigsaw(Jigs("banana.zjg"), 80, 40, 99);  // changed on disk
    QFile::remove(QString::fromStdString(Jigs("Date.zjg")));
    QFile f(QString::fromStdString(Jigs("banana.zjg")));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    f.close();
    list.SetSelection(0);
    EXPECT_TRUE(list.UpdateListThumbs(FileNames.sJigsPath, "zjg", ""));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"apple", "banana", "Cherry"}));
    EXPECT_EQ(list.iSel, 1);  // the selection stays on its file
    EXPECT_TRUE(list.arListThumbs[1].image.isNull());  // read again
    WriteFileBytes(Jigs("apple.zjg"), std::vector<uint8_t>(300, 0x41));  // broken: no picture, the walk goes on
    list.arListThumbs[0].tModif = 0;
    list.UpdateListThumbs(FileNames.sJigsPath, "zjg", "");
    while (list.o_ReadThumbTimer.isActive())
        list.ReadThumbTick();
    EXPECT_TRUE(list.arListThumbs[0].image.isNull());
    EXPECT_FALSE(list.arListThumbs[1].image.isNull());
    EXPECT_FALSE(list.arListThumbs[2].image.isNull());
    EXPECT_FALSE(list.UpdateListThumbs(FileNames.sJigsPath, "zjg", Jigs("CHERRY.zjg")));
    EXPECT_EQ(list.iSel, 2);  // the preset is found whatever its case
}

TEST_F(OpenDialog, PicturesArriveWhileTheDialogIsModal)
{
    for (int i = 0; i < 6; ++i)
        WriteJigsaw(Jigs(StrFormat("J%d.zjg", i)), 64, 48);
    const int code = RunModal(1, [](MCOpen* d) {
        MCOpenScrollView* list = d->o_JigsScrollView;
        EXPECT_TRUE(WaitUntil([list] {
            for (const OListThumb& e : list->arListThumbs)
                if (e.image.isNull())
                    return false;
            return true;
        }));
        d->ButCancelPressed();
    });
    EXPECT_EQ(code, 0);
}

TEST_F(OpenDialog, DeletingAskesFirstAndDeleteAllOfJigsawsBringsTheBundledOnesBack)
{
    WriteJigsaw(dist.File("Bundled A.zjg"), 64, 48);
    WriteJigsaw(dist.File("Bundled B.zjg"), 64, 48);
    WriteJigsaw(Jigs("Mine.zjg"), 64, 48);
    WriteJigsaw(Jigs("g1.svm"), 10, 10);  // not a real saved game: the list does not care
    WriteJigsaw(Jigs("g2.svm"), 10, 10);
    MCOpen* d = Form();  // copies the bundled ones in
    d->SetFormStyle(1);
    MCOpenScrollView* jigs = d->o_JigsScrollView;
    EXPECT_EQ(Names(*jigs), (std::vector<std::string>{"Bundled A", "Bundled B", "Mine"}));

    jigs->SetSelection(2);
    Recorder().QueueAnswer(2);  // Cancel
    d->MenuDelete(jigs, false);
    EXPECT_TRUE(FileExists(Jigs("Mine.zjg")));
    EXPECT_EQ(Recorder().Count(Kind::Question, "Delete “Mine”?"), 1);
    d->MenuDelete(jigs, false);  // OK
    EXPECT_FALSE(FileExists(Jigs("Mine.zjg")));
    EXPECT_EQ(jigs->iSel, 1);  // the last one left

    QFile::remove(QString::fromStdString(Jigs("Bundled B.zjg")));  // gone behind the list's back
    d->MenuDelete(jigs, false);
    EXPECT_EQ(Recorder().Count(Kind::Message, "Could not delete “Bundled B”."), 1);

    WriteJigsaw(Jigs("Mine.zjg"), 64, 48);
    jigs->UpdateListThumbs(FileNames.sJigsPath, "zjg", "");
    d->MenuDelete(jigs, true);
    EXPECT_EQ(FolderFiles(FileNames.sJigsPath).count("Mine.zjg"), 0u);
    EXPECT_EQ(Names(*jigs), (std::vector<std::string>{"Bundled A", "Bundled B"}));
    EXPECT_EQ(jigs->iSel, 0);
    EXPECT_EQ(d->FileName(), "Bundled A.zjg");

    d->MenuDelete(d->o_GamesScrollView, true);
    EXPECT_TRUE(d->o_GamesScrollView->arListThumbs.empty());
    EXPECT_FALSE(FileExists(Jigs("g1.svm")));
    EXPECT_FALSE(FileExists(Jigs("g2.svm")));
}

// ---- The level page -------------------------------------------------------------------------

TEST(LevelPage, PieceCountsAndTheirLimit)
{
    const struct { int count; bool ok; } limits[] = {{0, false}, {1, true}, {4000, true}, {4001, false}};
    for (const auto& c : limits)
        EXPECT_EQ(PieceCountAllowed(c.count), c.ok) << c.count;
    // The preview: small tiles drawn small in the bitmap, big ones show the bitmap enlarged.
    const struct { int s, drawW, drawH, viewW, viewH; } sizes[] = {
        {20, 25, 26, 164, 168}, {64, 82, 84, 164, 168}, {128, 164, 168, 164, 168}, {129, 164, 168, 165, 169},
        {256, 164, 168, 328, 336}};
    for (const auto& c : sizes) {
        const TPieceSizeGeometry g = PieceSizeGeometry(c.s);
        EXPECT_EQ(g.drawW, c.drawW) << c.s;
        EXPECT_EQ(g.drawH, c.drawH) << c.s;
        EXPECT_EQ(g.viewW, c.viewW) << c.s;
        EXPECT_EQ(g.viewH, c.viewH) << c.s;
    }
}

TEST(LevelPage, SeedTextsTrimAndReadAsAnInteger)
{
    const struct { const char* text; std::optional<int32_t> seed; } cases[] = {
        {"", std::nullopt}, {" \n\t", std::nullopt}, {" 1234\n", 1234}, {"-7", -7},
        {"12ab", 12}, {"abc", 0}, {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseSeedText(c.text), c.seed) << c.text;
}

TEST_F(OpenDialog, PieceSizePreviewIsTheShapeFilledWithTheBackgroundAndHardEdged)
{
    MCOpen* d = Form();
    ASSERT_TRUE(d->p_nsiShapeMasks && d->p_nsiShapeBkg);
    for (int shape = 0; shape < 7; ++shape) {
        OMyImagePtr small = DrawPieceSize(*d->p_nsiShapeMasks, *d->p_nsiShapeBkg, 40, shape, 0);
        ASSERT_TRUE(small) << shape;
        int opaque = 0;
        for (int y = 0; y < small->H; ++y)
            for (int x = 0; x < small->W; ++x) {
                const int a = MyImageGetPixelAlpha(*small, x, y);
                EXPECT_TRUE(a == 0 || a == 255) << shape;
                opaque += a == 255;
                // Nothing outside the 51 x 52 drawing centred in the bitmap.
                if (x < 56 || x > 56 + 51 || y < 58 || y > 58 + 52) {
                    EXPECT_EQ(a, 0) << shape << " " << x << "," << y;
                }
            }
        EXPECT_GT(opaque, 51 * 52 / 4) << shape;
    }
    OMyImagePtr plain = DrawPieceSize(*d->p_nsiShapeMasks, *d->p_nsiShapeBkg, 200, 0, 0);
    OMyImagePtr embossed = DrawPieceSize(*d->p_nsiShapeMasks, *d->p_nsiShapeBkg, 200, 0, 2);
    ASSERT_TRUE(plain && embossed);
    EXPECT_NE(plain->Bitmap, embossed->Bitmap);  // the current emboss is applied
}

TEST_F(OpenDialog, FrameAndLevelGiveTheGridsPieceCountAndOKFollowsIt)
{
    // 400 x 290: tile 40 is a level both with and without a frame.
    WriteJigsaw(Jigs("Field.zjg"), 400, 290);
    MCOpen* d = Form();
    sDVFileName.clear();
    d->SetFileName("Field.zjg");
    d->SetFormStyle(1);
    ASSERT_EQ(d->p_bFilePreview, 1);
    EXPECT_TRUE(d->o_ButOk->isEnabled());
    EXPECT_TRUE(d->o_Comment->isHidden());
    for (const auto& c : {std::pair{0, 70}, std::pair{1, 54}}) {
        d->BorderPressed(c.first);
        EXPECT_EQ(d->GetSelBorder(), c.first);
        bool seen = false;
        for (int level = 0; level < kMaskLevels; ++level) {
            d->SliderMoved(level);
            EXPECT_TRUE(d->o_ButOk->isEnabled());
            if (NewJigP.TileS != 40)
                continue;
            seen = true;
            EXPECT_EQ(NewJigP.TotalTileNum, c.second);
            EXPECT_EQ(d->o_SizeBox->title(), QString("%1 pieces").arg(c.second));
        }
        EXPECT_TRUE(seen) << "frame " << c.first;
    }
    EXPECT_EQ(DefJigP.BorderStyle, 1);  // the choice is the next default too
    d->ShapePressed(3);
    EXPECT_EQ(d->o_ShapesBox->title(), QStringLiteral("Figure Shapes"));
    EXPECT_EQ(DefJigP.ShapeStyle, 3);
    ASSERT_TRUE(d->p_miPieceSize);
    EXPECT_EQ(d->p_miPieceSize->W, 164);
}

TEST_F(OpenDialog, AnUnreadableJigsawShowsInvalidJigsawAndCannotBeAccepted)
{
    WriteFileBytes(Jigs("Broken.zjg"), std::vector<uint8_t>(500, 0x5A));
    MCOpen* d = Form();
    d->show();
    d->SetFormStyle(1);
    Press(d->o_JigsScrollView, "Broken");
    EXPECT_EQ(d->p_bFilePreview, 0);
    EXPECT_FALSE(d->o_Comment->isHidden());
    EXPECT_EQ(d->o_Comment->text(), QStringLiteral("Invalid Jigsaw"));
    EXPECT_FALSE(d->o_ButOk->isEnabled());
    EXPECT_FALSE(d->o_ShapeBut[0]->isEnabled());
}

// ---- Finishing ------------------------------------------------------------------------------

TEST_F(OpenDialog, SaveStyleRefusesBadNamesAndAsksBeforeReplacing)
{
    struct Case { const char* typed; const char* message; };
    const Case refused[] = {{"a/b", "MS_InvalidFileName"}, {"a\\b", "MS_InvalidFileName"},
                            {"why?", "MS_InvalidFileName"}, {"   ", "MS_EnterFileName"}, {".svm", "MS_InvalidFileName"}};
    for (const Case& c : refused) {
        Recorder().Clear();
        const int code = RunModal(2, [&](MCOpen* d) {
            d->SetFileName(c.typed);
            d->ButOkPressed();
            EXPECT_TRUE(d->isVisible()) << c.typed;
            d->ButCancelPressed();
        });
        EXPECT_EQ(code, 0);
        EXPECT_EQ(Recorder().Count(Kind::Message, CaretMesFormat(c.message)), 1) << c.typed;
    }
    EXPECT_TRUE(FolderFiles(FileNames.sJigsPath).empty());

    sDVFileName.clear();
    int code = RunModal(2, [](MCOpen* d) {
        EXPECT_TRUE(d->o_FileName->isVisible());
        EXPECT_FALSE(d->o_ButExtra->isVisible());
        EXPECT_EQ(d->o_ButOk->text(), QStringLiteral("Save"));
        d->SetFileName("  Evening.svm ");
        QTest::keyClick(d, Qt::Key_Return);
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(sDVFileName, Jigs("Evening.svm"));

    WriteJigsaw(Jigs("Evening.svm"), 10, 10);
    Recorder().Clear();
    Recorder().QueueAnswer(2);  // keep the old one
    code = RunModal(2, [](MCOpen* d) {
        d->SetFileName("Evening");
        d->ButOkPressed();
        EXPECT_TRUE(d->isVisible());
        d->ButOkPressed();  // replace it
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(Recorder().Count(Kind::Question, "“Evening” already exists. Replace it?"), 2);
}

TEST_F(OpenDialog, KeysAndButtonsEndWithTheirCodes)
{
    WriteJigsaw(Jigs("Field.zjg"), 200, 150);
    struct Case { Qt::Key key; int style, code; };
    const Case cases[] = {{Qt::Key_Escape, 1, 0}, {Qt::Key_E, 1, 2}, {Qt::Key_Escape, 2, 0}};
    for (const Case& c : cases) {
        const int code = RunModal(c.style, [&](MCOpen* d) {
            EXPECT_EQ(d->minimumSize(), QSize(807, 589));
            EXPECT_GE(d->width(), 807);
            QTest::keyClick(d, c.key);
        });
        EXPECT_EQ(code, c.code) << c.key;
    }
    // Through the open command the extra button leads on to more jigsaws.
    ShellInstallFileHooks();
    QTimer poll;
    bool downloadShown = false;
    QObject::connect(&poll, &QTimer::timeout, [&downloadShown] {
        if (g_DnForm && g_DnForm->isVisible()) {
            downloadShown = true;
            g_DnForm->HideForm();
        } else if (g_OpenForm && g_OpenForm->isVisible()) {
            QTest::keyClick(g_OpenForm, Qt::Key_E);
        }
    });
    poll.start(10);
    EXPECT_FALSE(DialogOpenGameFile("", false));
    poll.stop();
    EXPECT_TRUE(downloadShown);
    // "E" typed into the name is a letter, not the extra button (hidden in save style anyway).
    const int code = RunModal(2, [](MCOpen* d) {
        d->SetFileName("");
        QTest::keyClicks(d->o_FileName, "Eve");
        EXPECT_EQ(d->FileName(), "Eve");
        d->ButCancelPressed();
    });
    EXPECT_EQ(code, 0);
}

// A saved game of the jigsaw at `jig`, cut at the coarsest level.
std::string MakeSavedGame(const std::string& jig, const std::string& path)
{
    NewJigP = DefJigP;
    EXPECT_TRUE(OpenJigFile_ForListOrPreview(jig, false));
    NewJigP.ShapeStyle = 4;
    NewJigP.BorderStyle = 1;
    NewJigP.Rotate = 1;
    CountNewJigPieces(NewJigP, NewJigP.ImageW, NewJigP.ImageH, 1);
    NewJigP.Level = 13;
    CountNewJigPieces(NewJigP, NewJigP.ImageW, NewJigP.ImageH, 1);
    EXPECT_TRUE(OpenGameFile(jig, 5u));
    EXPECT_TRUE(SaveSolveFile(path, false));
    return path;
}

TEST_F(OpenDialog, DoubleClicksOpenASavedGameAtOnceAndTakeAJigsawToTheLevelPage)
{
    WriteJigsaw(Jigs("Field.zjg"), 200, 150);
    MakeSavedGame(Jigs("Field.zjg"), Jigs("Played.svm"));
    auto dclick = [this](MCOpenScrollView* list, const std::string& name) {
        const int i = list->IndexOfPath(Jigs(name));
        ASSERT_GE(i, 0) << name;
        const TMyRect& c = list->arListThumbs[size_t(i)].mrCell;
        QTest::mouseDClick(list->View(), Qt::LeftButton, {}, QPoint(c.L + 30, c.T + 30));
    };
    int code = RunModal(1, [&](MCOpen* d) {
        d->o_Pages->setCurrentIndex(1);
        dclick(d->o_GamesScrollView, "Played.svm");
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(sDVFileName, Jigs("Played.svm"));

    code = RunModal(1, [&](MCOpen* d) {
        d->o_Pages->setCurrentIndex(0);
        EXPECT_EQ(d->o_ButOk->text(), QStringLiteral("Next"));
        dclick(d->o_JigsScrollView, "Field.zjg");
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->o_Pages->currentIndex(), 2);
        EXPECT_EQ(d->o_ButOk->text(), QStringLiteral("Open"));
        EXPECT_TRUE(d->o_GamesScrollView->iSel < 0);  // one selection across the two lists
        d->ButOkPressed();
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(sDVFileName, Jigs("Field.zjg"));
}

TEST_F(OpenDialog, ASavedGameShownKeepsItsOwnCutWhateverIsPressed)
{
    WriteJigsaw(Jigs("Field.zjg"), 200, 150);
    MakeSavedGame(Jigs("Field.zjg"), Jigs("Played.svm"));
    MCOpen* d = Form();
    sDVFileName = Jigs("Played.svm");  // as the open command presets it
    d->SetFileName("Played.svm");
    d->SetFormStyle(1);
    ASSERT_EQ(d->p_bFilePreview, 2);
    const TJigParams newBefore = NewJigP, defBefore = DefJigP;
    const QString count = d->o_SizeBox->title();
    EXPECT_FALSE(d->o_ShapeBut[0]->isEnabled());
    d->ShapePressed(1);
    d->BorderPressed(0);
    d->MixPressed(1);
    d->RotatePressed();
    d->FitPressed();
    d->SliderMoved(0);
    EXPECT_EQ(std::memcmp(&NewJigP, &newBefore, sizeof NewJigP), 0);
    EXPECT_EQ(std::memcmp(&DefJigP, &defBefore, sizeof DefJigP), 0);
    EXPECT_EQ(d->o_SizeBox->title(), count);
    EXPECT_EQ(d->o_SizeSlider->value(), 13);
    EXPECT_TRUE(d->o_ButOk->isEnabled());
}

// Opens Field.zjg through the files' command and the dialog; answers the cut.
std::vector<std::pair<int, int>> OpenThroughDialog(const std::function<void(MCOpen*)>& seed, int32_t* gameSeed)
{
    bool acted = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (acted || !g_OpenForm || !g_OpenForm->isVisible())
            return;
        acted = true;
        MCOpen* d = g_OpenForm;
        d->SetFileName("Field.zjg");
        d->CheckAndShowFile();
        d->ButOkPressed();  // Next
        seed(d);
        d->ButOkPressed();  // Open
    });
    poll.start(10);
    EXPECT_TRUE(DialogOpenGameFile("", false));
    EXPECT_TRUE(acted);
    std::vector<std::pair<int, int>> homes;
    for (int i = 0; i < JigP.TotalTileNum; ++i)
        homes.push_back({JigAt(i).SiteX, JigAt(i).SiteY});
    *gameSeed = JigP.GameSeed;
    return homes;
}

TEST_F(OpenDialog, ATypedSeedRepeatsTheCutAndAnEmptyOrHiddenOneNever)
{
    WriteJigsaw(Jigs("Field.zjg"), 300, 200);
    DefJigP.Level = 10;
    ShellInstallFileHooks();
    auto typed = [](const char* text) {
        return [text](MCOpen* d) {
            if (!d->p_bSeedShown)
                d->SeedButtonPressed();
            d->o_SeedText->setText(text);
        };
    };
    auto hidden = [](MCOpen* d) {
        if (d->p_bSeedShown)
            d->SeedButtonPressed();
        d->o_SeedText->setText("77");  // typed, but the box is hidden
    };
    int32_t s1 = 0, s2 = 0, s3 = 0, s4 = 0, s5 = 0;
    const auto a = OpenThroughDialog(typed(" 4242\n"), &s1);
    const auto b = OpenThroughDialog(typed("4242"), &s2);
    EXPECT_EQ(s1, 4242);
    EXPECT_EQ(s2, 4242);
    EXPECT_EQ(a, b);
    EXPECT_EQ(g_OpenForm->o_SeedText->text(), QStringLiteral("4242"));
    OpenThroughDialog(typed(""), &s3);
    OpenThroughDialog(hidden, &s4);
    OpenThroughDialog(hidden, &s5);
    EXPECT_EQ(std::set<int32_t>({s3, s4, s5, 4242}).size(), 4u);
    GameFileHooks = OGameFileHooks{};
}

// ---- Own pictures ---------------------------------------------------------------------------

TEST_F(OpenDialog, APlayersPictureBecomesAJigsawKeepingItsBytesAndABrokenOneWritesNothing)
{
    const std::vector<uint8_t> png = PicturePng(320, 200);
    const std::string picture = pics.File("Holiday.png");
    WriteFileBytes(picture, png);
    MCOpen* d = Form();
    d->SetFormStyle(1);
    const std::set<std::string> before = FolderFiles(FileNames.sJigsPath);

    struct Bad { const char* name; std::vector<uint8_t> bytes; };
    std::vector<uint8_t> truncated(png.begin(), png.begin() + 40);
    const Bad bad[] = {{"garbage.jpg", std::vector<uint8_t>(2000, 0x33)},
                       {"truncated.png", truncated},
                       {"empty.png", {}},
                       {"tiny.png", PicturePng(300, 60)}};
    for (const Bad& b : bad) {
        WriteFileBytes(pics.File(b.name), b.bytes);
        Recorder().Clear();
        EXPECT_FALSE(d->AddOwnPicture(pics.File(b.name))) << b.name;
        ASSERT_EQ(Recorder().Count(Kind::Message), 1) << b.name;
        EXPECT_NE(Recorder().events.back().text.find(b.name), std::string::npos) << Recorder().events.back().text;
    }
    EXPECT_FALSE(d->AddOwnPicture(pics.File("missing.png")));
    EXPECT_EQ(FolderFiles(FileNames.sJigsPath), before);  // no jigsaw, no side file

    ASSERT_TRUE(d->AddOwnPicture(picture));
    const std::string jig = Jigs("Holiday.zjg");
    ASSERT_TRUE(FileExists(jig));
    TJigFileInfo info;
    ASSERT_TRUE(JigFile_ReadInfo(jig, &info));
    EXPECT_EQ(info.header.W, 320u);
    EXPECT_EQ(info.header.H, 200u);
    EXPECT_EQ(info.ThumbW, 160);
    EXPECT_EQ(info.ThumbH, 100);
    EXPECT_EQ(info.Desc, "Holiday");
    OBinReader r;
    ASSERT_TRUE(r.OpenFile(jig));
    std::string desc;
    std::vector<uint8_t> kept;
    ASSERT_TRUE(JigFile_ReadPlayParts(r, info.DataOfs, &desc, &kept));
    EXPECT_EQ(kept, png);  // the player's own bytes, not re-encoded
    // Selected in the list; Next goes on to the level page.
    const OListThumb* sel = d->o_JigsScrollView->Selected();
    ASSERT_NE(sel, nullptr);
    EXPECT_EQ(sel->sAbsPath, jig);
    EXPECT_EQ(d->p_bFilePreview, 1);
    d->ButOkPressed();
    EXPECT_EQ(d->o_Pages->currentIndex(), 2);
    d->SliderMoved(13);
    d->ButOkPressed();  // Open: the cut chosen on the level page is played
    EXPECT_EQ(sDVFileName, jig);
    ASSERT_TRUE(OpenGameFile(sDVFileName));
    EXPECT_EQ(JigP.ImageW, 320);
    EXPECT_EQ(JigP.Level, 13);
    EXPECT_GE(JigP.TotalTileNum, 16);
    // The same picture again, dropped onto the list, gets a name of its own.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(picture))});
    d->show();
    d->o_Pages->setCurrentIndex(0);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(d->o_JigsScrollView->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(d->o_JigsScrollView->viewport(), &drop);
    EXPECT_TRUE(FileExists(Jigs("Holiday 2.zjg")));
    EXPECT_EQ(d->o_JigsScrollView->Selected()->sDisplayName, "Holiday 2");
}

// ---- Texts ----------------------------------------------------------------------------------

TEST_F(OpenDialog, TextsFollowALanguageSwitch)
{
    MCOpen* d = Form();
    d->SetFormStyle(1);
    EXPECT_EQ(d->o_Pages->tabText(0), QStringLiteral("Jigsaws"));
    ASSERT_TRUE(ReadLangFile(LangMesFile("russian")));
    EXPECT_EQ(d->o_Pages->tabText(0), QString::fromStdString(LangGetKeyVal("TS_Jigs")));
    EXPECT_NE(d->o_Pages->tabText(0), QStringLiteral("Jigsaws"));
    EXPECT_EQ(d->o_ButAddPicture->text(), QString::fromStdString(LangGetKeyVal("B_AddPicture")));
    EXPECT_EQ(d->windowTitle(), QString::fromStdString(LangGetKeyVal("Cap_Load")));
}
