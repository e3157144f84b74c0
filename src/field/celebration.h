// The finished picture's celebration: when the game becomes solved, a few
// bursts of the join star's frames sparkle across the picture for well under
// two seconds, drawn on the view like the star. Skipped when the star is off.
#pragma once

#include "base/helpers.h"

#include <cstdint>
#include <vector>

constexpr int kCelebrationBursts = 14;       // bursts across the picture
constexpr double kCelebrationSpread = 1.0;   // seconds over which the bursts start
constexpr double kBurstFrameTime = 0.06;     // seconds each of the star's five frames shows
constexpr int kBurstScale = 2;               // bursts are the star drawn this many times larger

// ---- Celebration (per game; the opening of a game ends it) -----------------------------------
struct TBurst {
    TPoint p;        // centre, content pixels of the window
    double t0 = 0;   // start, seconds since start (SecondsSinceStart)
};
struct OCelebrationP {
    bool bWasSolved = false;      // bGameSolved when last looked at
    uint8_t bScr = 0;             // window the picture lies in
    std::vector<TBurst> arBursts; // empty when idle
    double tEnd = 0;              // when the last burst has ended, seconds since start

    bool running() const { return !arBursts.empty(); }
    // Every timer tick: starts when the game has just been solved (star on),
    // asks for frames while running and stops after the last burst.
    void update(double now);
    // Bursts over the solved picture, starting at `now`.
    void start(double now);
    // On the view after the field, clipped to the window's client.
    void draw(double now) const;
    // A game opened: nothing to celebrate, even if it was saved solved.
    void gameOpened();
};
extern OCelebrationP CelebrationP;

void Celebration_Reset();
