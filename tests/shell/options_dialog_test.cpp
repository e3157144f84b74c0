// The options dialog: loaded from the settings on each showing, stored only
// on OK, the mouse scheme's classification and refusals, the side switch
// and the texture rebuild.
#include "shell/options_dialog.h"

#include "field/field.h"
#include "field/field_win.h"
#include "field/mouse.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/puzzle.h"
#include "shell/shell.h"
#include "support/grid_jigsaw.h"
#include "support/test_support.h"
#include "support/dialog_wait.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The per-user folder in a temporary place, the languages listed, every
// setting at its default.
struct OptionsFixture {
    TempDir home;
    OptionsFixture()
    {
        UseUserFolder(home.Path());
        LangP_Init();
        Settings_Default();
    }
    ~OptionsFixture() { FreeOptionsForm(); }
    MCOptions* Form()
    {
        CreateOptionsForm(nullptr);
        return OptionsForm();
    }
};

// The window list over an 800 x 600 view and a small grid game, no view.
void OpenGridGame()
{
    FieldP.sResourceDir = SourcePath("resources");
    iMainViewW = iMaxMainViewW = iMaxMainViewScrollW = 800;
    iMainViewH = iMaxMainViewH = iMaxMainViewScrollH = 600;
    ViewWins_Create();
    DoFieldResize();
    BuildGridJigsaw(TGridJigsaw{});
    FileNames.bOpen = true;
    ChangeSide(0);
}

void Choose(QComboBox* box, int i)
{
    box->setCurrentIndex(i);
    emit box->activated(i);
}

int LangRow(const std::string& name)
{
    for (size_t i = 0; i < LangP.arLangDesc.size(); ++i)
        if (LangP.arLangDesc[i].sName == name)
            return int(i);
    return -1;
}

// Every control away from the defaults (and from each other's presets).
void MoveEveryControl(MCOptions* f)
{
    f->o_AutoSlider->setValue(37);
    f->o_AutoSave->setChecked(false);
    f->o_SoundPlay->setChecked(false);
    f->o_PlayRotCW->setCurrentIndex(7);
    f->o_PlayRotCCW->setCurrentIndex(5);
    f->o_PlayMoveOW->setCurrentIndex(0);
    f->o_PlayRotWheel->setChecked(false);
    f->o_PlayClickToDrag->setChecked(true);
    f->o_PlaySingleWin->setChecked(true);
    f->o_StuckKoefSlider->setValue(25);
    f->o_VisualEmbossMatrix->button(3)->click();
    f->o_VisualShowJoin->setChecked(false);
    f->o_LangList->selectRow(LangRow("russian"));
    f->o_DnSrc->setCurrentIndex(1);
}

}  // namespace

TEST(OptionsSchemes, EveryOneOfTheNineBytesTellsAPresetFromACustomScheme)
{
    EXPECT_EQ(ClassifySchema(DefMA), 0);
    EXPECT_EQ(ClassifySchema(KidsMA), 1);
    for (size_t byte = 0; byte < sizeof(MOUSE_SCHEMA); ++byte)
        for (const MOUSE_SCHEMA* preset : {&DefMA, &KidsMA}) {
            MOUSE_SCHEMA s = *preset;
            reinterpret_cast<uint8_t*>(&s)[byte] ^= 0x10;
            EXPECT_EQ(ClassifySchema(s), 2) << "byte " << byte;
        }
}

TEST(OptionsSchemes, TheNineChoicesAreDistinctAndCoverBothPresets)
{
    for (int a = 0; a < kMAChoiseCount; ++a)
        for (int b = a + 1; b < kMAChoiseCount; ++b)
            EXPECT_FALSE(MAChoise[a] == MAChoise[b]) << a << " " << b;
    for (const MOUSE_SCHEMA& s : {DefMA, KidsMA})
        for (const MOUSE_ACTION& a : {s.RotCW, s.RotCCW, s.MoveOW})
            EXPECT_GE(MAChoiseIndex(a), 0);
}

TEST(OptionsDialog, KidsThenOneChangedActionIsCustomAndChangingItBackIsKidsAgain)
{
    OptionsFixture fx;
    MCOptions* f = fx.Form();
    f->LoadControls();
    EXPECT_EQ(f->o_PlayModes->currentIndex(), 0);
    EXPECT_EQ(f->o_PlayRotCW->itemText(4), QString::fromStdString(LangGetKeyVal("Key4")));
    Choose(f->o_PlayModes, 1);
    EXPECT_TRUE(f->p_SelMA == KidsMA);
    EXPECT_EQ(f->o_PlayRotCW->currentIndex(), MAChoiseIndex(KidsMA.RotCW));
    EXPECT_TRUE(f->o_PlaySingleWin->isChecked());
    EXPECT_FALSE(f->o_PlayMoveOW->isEnabled()) << "one table: nothing to move to";
    EXPECT_FALSE(f->o_PlayMoveOWCap->isEnabled());

    const int kidsCCW = f->o_PlayRotCCW->currentIndex();
    f->o_PlayRotCCW->setCurrentIndex(8);
    EXPECT_EQ(f->o_PlayModes->currentIndex(), 2);
    f->o_PlayRotCCW->setCurrentIndex(kidsCCW);
    EXPECT_EQ(f->o_PlayModes->currentIndex(), 1);

    f->o_PlaySingleWin->setChecked(false);
    EXPECT_EQ(f->o_PlayModes->currentIndex(), 2);
    EXPECT_TRUE(f->o_PlayMoveOW->isEnabled());
    EXPECT_TRUE(f->o_PlayMoveOWIcon->isEnabled());
    Choose(f->o_PlayModes, 0);
    EXPECT_TRUE(f->p_SelMA == DefMA);
}

TEST(OptionsDialog, TwoGesturesOnOneMouseActionRefuseOkAndShowTheMousePage)
{
    OptionsFixture fx;
    MCOptions* f = fx.Form();
    QString message;
    int page = -1;
    bool stayedOpen = false;
    WhenModal<MCOptions>([&](MCOptions* d) {
        d->o_PlayMoveOW->setCurrentIndex(d->o_PlayRotCW->currentIndex());
        CloseMessageWhenShown(&message);
        d->o_ButOk->click();
        page = d->o_Pages->currentIndex();
        stayedOpen = d->isVisible();
        d->o_PlayMoveOW->setCurrentIndex(3);  // left + Shift: free
        d->o_ButOk->click();
    });
    EXPECT_EQ(f->ShowForm(), 1);
    EXPECT_EQ(message, QString::fromStdString(CaretMesFormat("MS_KeysMustBeDiff")));
    EXPECT_EQ(page, int(kPagePlay));
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(CurMA.MoveOW == MAChoise[3]);
    EXPECT_TRUE(CurMA.RotCW == DefMA.RotCW);
}

TEST(OptionsDialog, OneTableOnGathersTheSecondSideAndOffMovesNothing)
{
    OptionsFixture fx;
    OpenGridGame();
    const int n = JigsInPlay();
    ASSERT_GE(n, 6);
    for (int j = 0; j < n; j += 2)
        JigAt(j).Win = 1;
    ChangeSide(1);
    MCOptions* f = fx.Form();

    // Off (as it is): nothing moves.
    f->LoadControls();
    f->StoreControls();
    EXPECT_EQ(Jigs[0].Win, 1);
    EXPECT_EQ(bCurSide, 1);

    f->LoadControls();
    f->o_PlaySingleWin->setChecked(true);
    f->StoreControls();
    for (int j = 0; j < n; ++j)
        EXPECT_EQ(JigAt(j).Win, 0) << j;
    EXPECT_EQ(bCurSide, 0);
    EXPECT_TRUE(GetViewWin(0)->bVisible);
    EXPECT_EQ(CurMA.bSingleWin, 1);

    // Switching it off again moves nothing back.
    Jigs[1].Win = 1;  // (as a piece may lie there from a saved game)
    f->LoadControls();
    f->o_PlaySingleWin->setChecked(false);
    f->StoreControls();
    EXPECT_EQ(Jigs[1].Win, 1);
    EXPECT_EQ(Jigs[0].Win, 0);
    EXPECT_EQ(CurMA.bSingleWin, 0);
    ViewWins_Free();
}

TEST(OptionsDialog, TexturesAreRebuiltOnlyWhenTheEmbossStyleReallyChanges)
{
    OptionsFixture fx;
    MCOptions* f = fx.Form();
    std::vector<int> rebuilds;
    f->fnRebuildTextures = [&](int style) { rebuilds.push_back(style); };
    OptP.Visual_EmbossStyle = 2;
    f->LoadControls();
    EXPECT_EQ(f->o_VisualEmbossMatrix->checkedId(), 2);
    f->o_VisualEmbossMatrix->button(2)->click();  // the style in force, picked again
    f->StoreControls();
    EXPECT_TRUE(rebuilds.empty());
    f->LoadControls();
    f->o_VisualEmbossMatrix->button(0)->click();
    f->o_VisualEmbossMatrix->button(2)->click();  // there and back
    f->StoreControls();
    EXPECT_TRUE(rebuilds.empty());
    f->LoadControls();
    f->o_VisualEmbossMatrix->button(3)->click();
    f->StoreControls();
    ASSERT_EQ(rebuilds.size(), 1u);
    EXPECT_EQ(rebuilds[0], 3);
    EXPECT_EQ(OptP.Visual_EmbossStyle, 3);
}

TEST(OptionsDialog, TheEmbossPreviewLiesCentredOnTheTableGrey)
{
    OptionsFixture fx;
    MCOptions* f = fx.Form();
    ASSERT_TRUE(f->p_miEmbossSrc);
    for (int style = 0; style < 4; ++style) {
        f->UpdateEmbossImage(style);
        ASSERT_TRUE(f->p_miEmbossRes);
        const OMyImage& res = *f->p_miEmbossRes;
        const OMyImage& src = *f->p_miEmbossSrc;
        EXPECT_EQ(res.W, f->o_VisualEmbossImage->width());
        EXPECT_EQ(MyImageGetPixel(res, 0, 0) & 0xFFFFFF, 0x989898u);
        EXPECT_EQ(MyImageGetPixelAlpha(res, 0, 0), 255);
        // Every opaque pixel of the embossed picture shows at its centred place.
        const int ox = (res.W - src.W) / 2, oy = (res.H - src.H) / 2;
        const OMyImage& emb = *f->p_miEmbossDest;
        int checked = 0;
        for (int y = 0; y < emb.H; y += 7)
            for (int x = 0; x < emb.W; x += 7) {
                const uint32_t want = MyImageGetPixelAlpha(emb, x, y) ? MyImageGetPixel(emb, x, y) : 0x989898u;
                EXPECT_EQ(MyImageGetPixel(res, ox + x, oy + y) & 0xFFFFFF, want & 0xFFFFFF) << x << "," << y;
                ++checked;
            }
        EXPECT_GT(checked, 100);
    }
}

TEST(OptionsDialog, CancelAfterMovingEveryControlLeavesTheSettingsAsTheyWere)
{
    OptionsFixture fx;
    ASSERT_GE(LangRow("russian"), 0);
    ASSERT_TRUE(Settings_Write());
    const std::vector<uint8_t> before = ReadFileBytes(FileNames.sSettings);
    MCOptions* f = fx.Form();
    WhenModal<MCOptions>([](MCOptions* d) {
        MoveEveryControl(d);
        d->o_ButCancel->click();
    });
    EXPECT_EQ(f->ShowForm(), 0);
    ASSERT_TRUE(Settings_Write());
    EXPECT_EQ(ReadFileBytes(FileNames.sSettings), before);

    // The same moves with OK change every one of them.
    WhenModal<MCOptions>([](MCOptions* d) {
        EXPECT_EQ(d->o_AutoSlider->value(), 10) << "loaded again on each showing";
        MoveEveryControl(d);
        d->o_ButOk->click();
    });
    EXPECT_EQ(f->ShowForm(), 1);
    EXPECT_EQ(AutoSaveP.iIntervalMin, 37);
    EXPECT_EQ(AutoSaveP.dtInterval, 37 * 60.0);
    EXPECT_FALSE(AutoSaveP.bEnabled);
    EXPECT_FALSE(OptP.Sound_Play);
    EXPECT_TRUE(CurMA.RotCW == MAChoise[7]);
    EXPECT_TRUE(CurMA.RotCCW == MAChoise[5]);
    EXPECT_TRUE(CurMA.MoveOW == MAChoise[0]);
    EXPECT_EQ(CurMA.bRotWheel, 0);
    EXPECT_EQ(CurMA.bClickToDrag, 1);
    EXPECT_EQ(CurMA.bSingleWin, 1);
    EXPECT_EQ(OptP.StuckKoef, 25);
    EXPECT_EQ(OptP.Visual_EmbossStyle, 3);
    EXPECT_FALSE(OptP.Visual_ShowJoin);
    EXPECT_EQ(LangP.sCurLang, "russian");
    EXPECT_EQ(OptP.DnSrc, DnSrcHost(1));
    // The new language titles the dialog itself at once.
    EXPECT_EQ(f->o_Pages->tabText(kPagePlay), QString::fromStdString(LangGetKeyVal("TS_Play")));
    EXPECT_EQ(f->windowTitle(), QString::fromStdString(LangGetKeyVal("Opt_FormCaption")));
    ASSERT_TRUE(Settings_Write());
    EXPECT_NE(ReadFileBytes(FileNames.sSettings), before);
}

TEST(OptionsDialog, AnUnknownSourceShowsTheFirstHostAndOkStoresIt)
{
    OptionsFixture fx;
    OptP.DnSrc = "elsewhere.invalid";
    MCOptions* f = fx.Form();
    f->LoadControls();
    EXPECT_EQ(f->o_DnSrc->currentIndex(), 0);
    f->StoreControls();
    EXPECT_EQ(OptP.DnSrc, DnSrcHost(0));
}

TEST(OptionsDialog, TheLanguageTableShowsAFlagForEveryLanguage)
{
    OptionsFixture fx;
    MCOptions* f = fx.Form();
    f->LoadControls();
    ASSERT_EQ(f->o_LangList->rowCount(), int(LangP.arLangDesc.size()));
    for (int row = 0; row < f->o_LangList->rowCount(); ++row) {
        EXPECT_EQ(f->o_LangList->rowHeight(row), 44);
        auto* flag = qobject_cast<QLabel*>(f->o_LangList->cellWidget(row, 0));
        ASSERT_NE(flag, nullptr);
        EXPECT_FALSE(flag->pixmap().isNull()) << row;
    }
    EXPECT_EQ(f->o_LangList->columnWidth(0), 90);
    const QModelIndexList sel = f->o_LangList->selectionModel()->selectedRows();
    ASSERT_EQ(sel.size(), 1);
    EXPECT_EQ(sel.first().row(), LangRow("english"));
}

// The English names of the nine choices must name the modifier the field
// really reads for each code (8 is Ctrl, 4 is Super).
TEST(OptionsSchemes, EachChoiceIsNamedAfterTheButtonAndModifierTheFieldReads)
{
    OptionsFixture fx;
    for (int k = 0; k < kMAChoiseCount; ++k) {
        const std::string name = LangGetKeyVal(StrFormat("Key%d", k));
        const MOUSE_ACTION a = MAChoise[k];
        EXPECT_EQ(name.find("Left") != std::string::npos, a.bButton == 0) << name;
        EXPECT_EQ(name.find("Right") != std::string::npos, a.bButton == 1) << name;
        EXPECT_EQ(name.find("Shift") != std::string::npos, a.bShift == 1) << name;
        EXPECT_EQ(name.find("Alt") != std::string::npos, a.bShift == 2) << name;
        EXPECT_EQ(name.find("Super") != std::string::npos, a.bShift == 4) << name;
        EXPECT_EQ(name.find("Ctrl") != std::string::npos, a.bShift == 8) << name;
    }
}
