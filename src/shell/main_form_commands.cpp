// The main form's commands, one function each, in the order of the menu
// table. Every command that saves, opens or shows a modal dialog holds
// bAutoSaveDoProc (AutoSaveGuard) while it runs.
//
// A dialog that another part provides is reached through one small function
// here (RunOptionsDialog, RunColorDialog, ShowInfoDialog, ShowDownloadDialog,
// ShowHelpTopic, ShowCreditsDialog, ShowSystemReport, OfferPictureAsJigsaw);
// until that dialog exists the function keeps a stand-in or does nothing.
#include "shell/main_form.h"

#include "base/my_image_qt.h"
#include "files/bin_io.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/edge_pieces.h"
#include "model/game_picture.h"
#include "model/puzzle.h"
#include "model/undo.h"
#include "shell/about_form.h"
#include "shell/color_dialog.h"
#include "shell/help_form.h"
#include "shell/info_form.h"
#include "shell/open_dialog.h"
#include "shell/open_game.h"
#include "shell/options_dialog.h"
#include "shell/shell.h"
#include "shell/system_report_cmd.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QColorDialog>
#include <QCursor>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// ---- Dialogs of other parts, as the commands reach them ----------------------------------------

// The game information dialog.
void ShowInfoDialog() { ShowGameInfo(DialogParent()); }

// The download dialog, not from start-up, through the same hook as the open dialog's extra button.
void ShowDownloadDialog()
{
    if (GameFileHooks.fnShowDownload)
        GameFileHooks.fnShowDownload();
}

void ShowCreditsDialog()
{
    MCCredits credits(DialogParent());
    credits.InitForm(FileNames.sResourcePath);
    credits.ShowForm();
}

// A plain picture dropped on the window. Until the open dialog takes pictures
// it is refused as any other file that is not a jigsaw.
// A dropped picture becomes a jigsaw of the player's own in the jigsaws
// folder, as the open dialog's "Add Picture" makes one; its path, or empty
// when the picture cannot be used (the player is told why, nothing written).
std::string OfferPictureAsJigsaw(const std::string& path)
{
    std::string jigsaw, message;
    if (MakeJigsawFromPicture(path, FileNames.sJigsPath, &jigsaw, &message))
        return jigsaw;
    ShowMessage(message);
    return {};
}

void OpenAddress(const std::string& address)
{
    if (!QDesktopServices::openUrl(QUrl(QString::fromStdString(address))))
        Platform().Log("could not open " + address);
}

}  // namespace

// Commands change what the menus and buttons allow; the view draws anew.
void MCMainForm::AfterGameCommand()
{
    UpdateCommandStates();
    RedrawP = kRedrawFull;
    MainView->update();
}

void MCMainForm::DeselectFirst()
{
    if (DragJigP.bSelected)
        DeselectJigs();
}

bool MCMainForm::OpenGame(const std::string& path)
{
    AutoSaveGuard guard;
    const bool ok = ShellOpenGame(path);
    AfterGameCommand();
    return ok;
}

void MCMainForm::OpenDroppedFile(const std::string& path)
{
    AutoSaveGuard guard;
    DeselectFirst();
    if (IsSolveFile(path))
        fnDialogOpenGameFile(path, true);   // a readable saved game opens at once
    else if (IsJigFile(path))
        fnDialogOpenGameFile(path, false);  // a jigsaw goes to the choice of pieces
    else if (const std::string jigsaw = OfferPictureAsJigsaw(path); !jigsaw.empty())
        fnDialogOpenGameFile(jigsaw, false);  // the new jigsaw goes to the choice of pieces
    AfterGameCommand();
}

// ---- Application menu ------------------------------------------------------------------------

void MCMainForm::MenuAppAbout()
{
    AutoSaveGuard guard;
    MCAbout about;
    about.InitForm(resourceDir_);
    about.ShowForm(false);
}

void MCMainForm::MenuAppOptions()
{
    AutoSaveGuard guard;
    if (RunOptionsDialog() == 1) {
        Settings_Write();
        AfterGameCommand();
    }
}

void MCMainForm::MenuAppHide() { showMinimized(); }

// ---- File menu -----------------------------------------------------------------------------------

void MCMainForm::MenuFileOpen()
{
    AutoSaveGuard guard;
    DeselectFirst();
    fnDialogOpenGameFile("", false);
    AfterGameCommand();
}

void MCMainForm::MenuFileLast(int i)
{
    if (i < 0 || i >= LastFiles_Count())
        return;
    AutoSaveGuard guard;
    DeselectFirst();
    const std::string path = LastFiles.arFileNames[size_t(i)];
    fnDialogOpenGameFile(path, true);
    AfterGameCommand();
}

void MCMainForm::MenuFileSave()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    DeselectFirst();
    ShellSave(false);
    AfterGameCommand();
}

void MCMainForm::MenuFileSaveAs()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    DeselectFirst();
    ShellSave(true);
    AfterGameCommand();
}

bool MCMainForm::SaveSolvedImageTo(const std::string& path, std::string* error)
{
    const OGamePictureInUse picture;
    if (!miJigs || miJigs->W <= 0 || miJigs->H <= 0 || !picture.ok()) {
        *error = "There is no finished picture to save.";
        return false;
    }
    const QString lower = QString::fromStdString(path).toLower();
    const bool jpeg = lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg"));
    // The open game may keep an opaque picture without its alpha: the file
    // is written as from the picture with it.
    QImage img = MyImageToQImage(*miJigs).convertToFormat(QImage::Format_RGBA8888);
    if (jpeg) {
        // JPEG has no transparency: the picture goes onto white.
        QImage flat(img.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter p(&flat);
        p.drawImage(0, 0, img);
        p.end();
        img = flat;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, jpeg ? "jpg" : "png");
    if (jpeg)
        writer.setQuality(92);
    if (!writer.write(img)) {
        *error = writer.errorString().toStdString();
        return false;
    }
    const std::vector<uint8_t> data(bytes.begin(), bytes.end());
    return WriteFileAtomically(path, data, error);
}

void MCMainForm::MenuFileSaveSolvedImage()
{
    if (!IsGameOpen() || !bGameSolved)
        return;
    AutoSaveGuard guard;
    const QString png = QStringLiteral("PNG (*.png)"), jpg = QStringLiteral("JPEG (*.jpg *.jpeg)");
    const std::string start = FileNames.sDocumentsPath + "/" + FileNames.sJigName + ".png";
    QString filter = png;
    QString chosen = QFileDialog::getSaveFileName(this, MainMenuItems[kMenuFileSaveSolvedImage]->text(),
                                                  QString::fromStdString(start), png + QStringLiteral(";;") + jpg,
                                                  &filter);
    MainLoopRun(0.05);
    if (chosen.isEmpty())
        return;
    const QString suffix = QFileInfo(chosen).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("jpg") && suffix != QLatin1String("jpeg"))
        chosen += filter == jpg ? QStringLiteral(".jpg") : QStringLiteral(".png");
    std::string error;
    if (!SaveSolvedImageTo(chosen.toStdString(), &error))
        ShowMessage(error + "\n" + chosen.toStdString());
}

void MCMainForm::MenuFileDownload()
{
    AutoSaveGuard guard;
    ShowDownloadDialog();
    AfterGameCommand();
}

// ---- Game menu ---------------------------------------------------------------------------------

void MCMainForm::MenuGameSide(int side)
{
    if (!IsGameOpen() || CurMA.bSingleWin)
        return;
    ChangeSide(side);
    MainView->update();
}

void MCMainForm::MenuGameThumb()
{
    OMyWin* t = GetViewWin(kThumbWin);
    if (!IsGameOpen() || !t)
        return;
    t->setVisible(!t->bVisible);
    if (t->bVisible) {
        t->changeLT(MakeTPoint(0, 0));
        t->move();
        t->moveToFront();
    }
    RedrawP = kRedrawFull;
    UpdateDraggedJigScr();
    MainView->update();
}

void MCMainForm::MenuGameGlass()
{
    OMyWin* g = GlassP.win.get();
    if (!IsGameOpen() || !g)
        return;
    g->setVisible(!g->bVisible);
    if (g->bVisible) {  // to the corner, but not to the front
        g->changeLT(MakeTPoint(0, 0));
        g->move();
    }
    RedrawP = kRedrawFull;
    UpdateDraggedJigScr();
    MainView->update();
}

void MCMainForm::MenuGameSelectAll()
{
    if (!IsGameOpen())
        return;
    DeselectFirst();
    bShowOnlyEdges = false;  // every piece is taken: the hidden ones show
    SelectJigs(kSelectAll);
    AfterGameCommand();
}

void MCMainForm::MenuGameArrangeJigs()
{
    if (!IsGameOpen() || !DragJigP.bSelected)
        return;
    bShowOnlyEdges = false;
    ArrangeSelectedJigs();
    Undo_Commit();
    AfterGameCommand();
}

void MCMainForm::MenuGameGatherLostJigs()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    if (ShowQuestion(CaretMesFormat("Q_GatherLostJigs"), LangGetKeyVal("B_Yes"), LangGetKeyVal("B_No"), "") != 1)
        return;
    bShowOnlyEdges = false;
    GatherLostJigs();
    Undo_Commit();
    AfterGameCommand();
}

void MCMainForm::MenuGameInfo()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    ShowInfoDialog();
}

// Weight: carried onto the piece being dragged; lifted off a weighted group;
// put away while carried; else picked up at the mouse.
void MCMainForm::MenuGameWeight()
{
    if (!IsGameOpen())
        return;
    const TPoint m = MainView->toDevice(MainView->mapFromGlobal(QCursor::pos()));
    TPoint p = m;
    if (GlassP.win && GlassP.win->bVisible) {
        int tx = m.x, ty = m.y;
        if (GlassP.IfMouseUnderGlass(tx, ty, true) && CaptureWin == GlassP.win.get())
            p = MakeTPoint(tx, ty);
    }
    const bool inside = m.x >= 0 && m.y >= 0 && m.x < iMainViewW && m.y < iMainViewH;
    if (DragJigP.State == kDragPieces && iCurJig != -1) {
        iWeightJig = iCurJig;
        WeightP.updateButton();
    } else if (iWeightJig != -1) {
        WeightP.bVisible = false;
        iWeightJig = -1;
        WeightP.updateButton();
    } else if (WeightP.bVisible) {
        WeightP.bVisible = false;
        iWeightJig = -1;
        WeightP.updateButton();
        RedrawP = kRedrawFull;
    } else {
        WeightP.dragTo(inside ? p : MakeTPoint(-100, -100));
        RedrawP = kRedrawShow;
    }
    Undo_Commit();  // lifted (put down on a carried group, it joins the drag's step)
    UpdateCommandStates();
    MainView->update();
}

void MCMainForm::MenuGameBkgAll()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    DeselectFirst();
    const TWinParams keep = WinP;
    const QString caption = MainMenuItems[kMenuGameBkgAll]->text();
    if (RunColorDialog(this, caption, -1, WinP.lBkgColorAll, true) == 1) {
        GameChanged();
    } else {
        WinP = keep;
        UpdateScrBkgs();
    }
    UpdateDraggedJigScr();
    MainView->update();
}

void MCMainForm::MenuGameBkgCur()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    DeselectFirst();
    const OMyWin* w = RetWinForBkgCur();
    if (!w)
        return;
    const int i = w->bIndex;
    const int32_t keep = WinP.lBkgColors[i];
    const QString caption = MainMenuItems[kMenuGameBkgCur]->text();
    if (RunColorDialog(this, caption, i, keep, false) == 1) {
        GameChanged();
    } else {
        WinP.lBkgColors[i] = keep;
        UpdateScrBkgs();
    }
    UpdateDraggedJigScr();
    MainView->update();
}

// ---- Pockets menu --------------------------------------------------------------------------------

void MCMainForm::MenuPocketsPocket(int pocket)
{
    OMyWin* w = GetViewWin(kPocket0 + pocket);
    if (!IsGameOpen() || !w)
        return;
    PocketSetVisible(kPocket0 + pocket, !w->bVisible);
    UpdateDraggedJigScr();
    AfterGameCommand();
}

void MCMainForm::MenuPocketsTile()
{
    PocketsTile();
    AfterGameCommand();
}

void MCMainForm::MenuPocketsCascade()
{
    PocketsCascade();
    AfterGameCommand();
}

// ---- Help menu ---------------------------------------------------------------------------------

void MCMainForm::MenuHelpCont() { ShowHelpTopic(""); }

void MCMainForm::MenuHelpQuick() { ShowHelpTopic("quick"); }

// Both of the maker's sites open, the primary one first.
void MCMainForm::MenuHelpHomeSite()
{
    if (!HomeSitesAreReal())
        return;
    for (int i = 0; i < kDnSrcCount; ++i)
        OpenAddress(DnSrcProtocolPrefix() + HomeSiteForInd(i));
}

void MCMainForm::MenuHelpHomePage()
{
    if (!HomeSitesAreReal())
        return;
    for (int i = 0; i < kDnSrcCount; ++i)
        OpenAddress(DnSrcProtocolPrefix() + HomeSiteForInd(i) + HomePage());
}

void MCMainForm::MenuHelpSystemReport()
{
    AutoSaveGuard guard;
    ShowSystemReport();
}

void MCMainForm::MenuHelpCredits()
{
    AutoSaveGuard guard;
    ShowCreditsDialog();
}
