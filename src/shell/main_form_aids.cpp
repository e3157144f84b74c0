// The play aids of the main form: the Edit menu with Undo and Redo, and the
// Game menu's edge-piece commands. They stand outside the fixed menu table;
// the rules they call live in model/undo.h and model/edge_pieces.h.
#include "shell/main_form.h"

#include "files/files.h"
#include "model/edge_pieces.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "model/undo.h"
#include "shell/shell.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* AddAid(QMenu* menu, const char* key, const QList<QKeySequence>& keys)
{
    QAction* a = menu->addAction(QString::fromLatin1(key));
    a->setData(QString::fromLatin1(key));
    a->setShortcuts(keys);
    return a;
}

}  // namespace

void MCMainForm::BuildAidItems()
{
    // Edit sits between File and Game, where players look for Undo.
    auto* edit = new QMenu(QStringLiteral("MM_Edit"), this);
    AidItems.editMenu = edit;
    menuBar()->insertMenu(MainMenuItems[kMenuGame] ? MainMenuItems[kMenuGame] : topMenus_[2]->menuAction(), edit);
    AidItems.undo = AddAid(edit, "MM_EditUndo", {QKeySequence(QStringLiteral("Ctrl+Z"))});
    AidItems.redo = AddAid(edit, "MM_EditRedo",
                           {QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    connect(AidItems.undo, &QAction::triggered, this, [this] { MenuEditUndo(); });
    connect(AidItems.redo, &QAction::triggered, this, [this] { MenuEditRedo(); });
    connect(edit, &QMenu::aboutToShow, this, &MCMainForm::UpdateCommandStates);

    QMenu* game = topMenus_[2];
    game->addSeparator();
    AidItems.edgesToPocket = AddAid(game, "MM_GameEdgesToPocket", {QKeySequence(QStringLiteral("Ctrl+E"))});
    AidItems.showOnlyEdges = AddAid(game, "MM_GameShowOnlyEdges", {QKeySequence(QStringLiteral("Ctrl+Shift+E"))});
    AidItems.showOnlyEdges->setCheckable(true);
    connect(AidItems.edgesToPocket, &QAction::triggered, this, [this] { MenuGameEdgesToPocket(); });
    connect(AidItems.showOnlyEdges, &QAction::triggered, this, [this] { MenuGameShowOnlyEdges(); });
}

void MCMainForm::RetitleAidItems()
{
    if (AidItems.editMenu)
        AidItems.editMenu->setTitle(QString::fromStdString(LangGetKeyVal("MM_Edit")));
    for (QAction* a : {AidItems.undo, AidItems.redo, AidItems.edgesToPocket, AidItems.showOnlyEdges})
        if (a)
            a->setText(QString::fromStdString(LangGetKeyVal(a->data().toString().toStdString())));
}

void MCMainForm::UpdateAidStates()
{
    const bool game = IsGameOpen();
    const bool idle = DragJigP.State == kDragIdle;
    auto set = [](QAction* a, bool on) {
        if (a && a->isEnabled() != on)
            a->setEnabled(on);
    };
    set(AidItems.undo, game && idle && Undo_CanBack());
    set(AidItems.redo, game && idle && Undo_CanForth());
    set(AidItems.edgesToPocket, game);
    set(AidItems.showOnlyEdges, game);
    if (AidItems.showOnlyEdges && AidItems.showOnlyEdges->isChecked() != (game && bShowOnlyEdges))
        AidItems.showOnlyEdges->setChecked(game && bShowOnlyEdges);
}

// After a step back or forth: the weight's button, the pockets' captions and
// sizes follow the table; a carried piece or weight never survives a step.
void MCMainForm::AfterHistoryStep()
{
    WeightP.updateButton();
    for (int p = kPocket0; p < kPocket0 + 4; ++p) {
        PocketCountJigs(p);
        PocketUpdateScrollSize(p);
    }
    UpdateDraggedJigScr();
    AfterGameCommand();
}

void MCMainForm::MenuEditUndo()
{
    if (!IsGameOpen() || DragJigP.State != kDragIdle || !Undo_CanBack())
        return;
    WeightP.bVisible = false;  // a carried weight is put away first
    if (Undo_Back())
        AfterHistoryStep();
}

void MCMainForm::MenuEditRedo()
{
    if (!IsGameOpen() || DragJigP.State != kDragIdle || !Undo_CanForth())
        return;
    WeightP.bVisible = false;
    if (Undo_Forth())
        AfterHistoryStep();
}

void MCMainForm::MenuGameEdgesToPocket()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    DeselectFirst();
    const TEdgesToPocketResult plan = EdgePiecesToPocketPlan();
    switch (plan.status) {
    case TEdgesToPocket::Moved: {
        // Opened while still empty, the pocket takes a proper place and size.
        OMyWin* w = GetViewWin(plan.iPocket);
        if (w && !w->bVisible)
            PocketSetVisible(plan.iPocket, true);
        else if (w)
            w->moveToFront();
        const TEdgesToPocketResult r = EdgePiecesToPocket();
        PocketCountJigs(r.iPocket);
        PocketUpdateScrollSize(r.iPocket);
        Undo_Commit();
        UpdateDraggedJigScr();
        break;
    }
    case TEdgesToPocket::NoEmptyPocket:
        ShowMessage(CaretMesFormat("MS_NoEmptyPocket"));
        break;
    case TEdgesToPocket::NoEdgePieces:
        ShowMessage(CaretMesFormat("MS_NoEdgePieces"));
        break;
    }
    AfterGameCommand();
}

void MCMainForm::MenuGameShowOnlyEdges()
{
    if (!IsGameOpen())
        return;
    bShowOnlyEdges = !bShowOnlyEdges;
    UpdateDraggedJigScr();
    AfterGameCommand();
}
