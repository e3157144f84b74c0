// The status line under the table: how far the open game has come (pieces in
// place, the share done, the groups left, counted as the info dialog counts)
// and how long it has been played.
//
// Play time counts while the main window is active, a game is open and it is
// not yet solved. It is kept outside the saved game, in the per-user record of
// play times (files/play_times.h), under the saved game's path and seed: every
// save of the game keeps it there, and opening a saved game takes it back.
#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QMainWindow;

// ---- Play clock (per game; PlayClock_GameOpened starts it anew) ------------------------
struct TPlayClockP {
    double dSeconds = 0;     // play time of the open game, seconds
    double dLastTick = -1;   // time (GetNow) of the last tick; -1: none yet
};
extern TPlayClockP PlayClockP;
constexpr double kPlayClockMaxGap = 5.0;  // seconds a single tick counts at most (a sleeping machine)

void PlayClock_Reset();
// A game opened: its time from the record when it is a saved game, else 0.
void PlayClock_GameOpened();
// One tick at `now`: the time since the last tick counts when `counting`.
void PlayClock_Tick(double now, bool counting);
// A save of the open game to path: its time goes into the record (for the
// autosave file too when a save by the player brought it up to date).
void PlayClock_Saved(const std::string& path, bool autosave);
// Installs the two hooks above into the game-file hooks.
void PlayClock_InstallHooks();

// ---- Counting ---------------------------------------------------------------------------
struct TStatusCounts {
    int iPieces = 0;   // pieces in play
    int iJoined = 0;   // pieces in place: the pieces less the info dialog's "unsolved"
    int iPercent = 0;  // the info dialog's solved share
    int iGroups = 0;   // groups, single pieces included
    bool bSolved = false;
};
// The counts from the number of groups (the info dialog's rule).
TStatusCounts StatusCountsFor(int pieces, int groups, bool solved);
// The open game's counts (no game: all zero).
TStatusCounts StatusCountPieces();
// "1:02:03" (hours unbounded), "0:00:00" for nothing.
std::string PlayTimeText(int64_t seconds);
// The line for the counts and the play time, from the language file; "" for no game.
std::string StatusLineText(const TStatusCounts& c, int64_t seconds);

// ---- The line ------------------------------------------------------------------------------
class MCStatusLine : public QObject {
    Q_OBJECT
public:
    // Puts the line into the window's status bar and starts its one-second tick.
    explicit MCStatusLine(QMainWindow* window);
    // Whether play time counts now (default: the window is the active one).
    std::function<bool()> fnWindowActive;
    QLabel* label() const { return label_; }
    // A tick now: the clock, then the text.
    void Tick();
    // The text again (counts, language); no clock.
    void Refresh();

private:
    QMainWindow* window_;
    QLabel* label_ = nullptr;
    QTimer timer_;
};
