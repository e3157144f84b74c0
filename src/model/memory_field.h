// OMemoryField: a play field held in memory, for tests and the headless
// tools. It has the window list 0..6 (two sides, four pockets, the
// thumbnail), a captured window and a z-order, keeps the pockets' piece
// counts and content sizes, and records what the rules asked of the field.
//
// Install it with SetFieldHost(&field); the reset of the game state
// uninstalls it.
#pragma once

#include "model/game_state.h"

#include <array>
#include <vector>

class OMemoryField : public IFieldHost {
public:
    // The headless window list of the current view sizes; nothing captured.
    OMemoryField();

    // ---- What the rules read and change ----
    std::array<TFieldWin, kFieldWinCount> arWins;  // by list index
    std::array<int32_t, kFieldWinCount> arJigsNum{};  // groups in each pocket
    std::vector<int> arZOrder;     // back to front; the sides first
    int iCapture = -1;             // captured window; -1 none
    bool bWeightVisible = false;   // answered to IsWeightVisible

    // ---- What the rules asked for, in order ----
    struct TStar { int x, y, win; };
    std::vector<int> arStillBufModes;  // FillStillBuf calls
    std::vector<TStar> arStars;        // StarSetAt calls
    std::vector<int> arPocketCounts;   // PocketCountJigs calls (window index)
    std::vector<int> arScrollSizes;    // PocketUpdateScrollSize calls (window index)
    int iDirtyDX = 0, iDirtyDY = 0;    // sum of MoveDirtyRect offsets
    int iDirtyMoves = 0;               // MoveDirtyRect calls
    void ClearRecord();

    // Sets a window's client rectangle and scroll offsets (a scrolled or
    // moved window).
    void PlaceWin(int index, int l, int t, int w, int h, int scrollL = 0, int scrollT = 0);

    void FillStillBuf(int mode) override;
    bool IsWeightVisible() const override { return bWeightVisible; }
    std::optional<TFieldWin> CaptureWin() const override;
    std::optional<TFieldWin> ViewWin(int index) const override;
    void SetCaptureWin(int index) override;
    int RetWinForBkgCur() const override;
    void MoveWinToFront(int index) override;
    void PocketCountJigs(int index) override;
    void PocketUpdateScrollSize(int index) override;
    void MoveDirtyRect(int dx, int dy) override;
    void StarSetAt(int x, int y, int index) override;
};
