#include "field/celebration.h"

#include "field/compose.h"
#include "field/field.h"
#include "field/tools.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <algorithm>

OCelebrationP CelebrationP;

namespace {

constexpr int kBurstFrames = 5;  // the star's frames 0..4

// A small generator of its own: the game's random sequence must not move.
uint32_t NextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

}  // namespace

void OCelebrationP::start(double now)
{
    arBursts.clear();
    if (!IsGameOpen() || JigsInPlay() < 1)
        return;
    const TJig& base = Jigs[0];
    bScr = base.Win;
    // The picture's top-left in its window's content: where the first piece's home lies.
    const int left = base.X - base.HomeX, top = base.Y - base.HomeY;
    const int w = std::max(1, JigP.ImageW), h = std::max(1, JigP.ImageH);
    uint32_t state = uint32_t(JigP.GameSeed) ^ 0x5EEDu;
    for (int i = 0; i < kCelebrationBursts; ++i) {
        TBurst b;
        b.p = MakeTPoint(left + int(NextRandom(state) % uint32_t(w)), top + int(NextRandom(state) % uint32_t(h)));
        b.t0 = now + kCelebrationSpread * i / kCelebrationBursts;
        arBursts.push_back(b);
    }
    tEnd = arBursts.back().t0 + kBurstFrames * kBurstFrameTime;
}

void OCelebrationP::update(double now)
{
    if (bGameSolved && !bWasSolved && OptP.Visual_ShowJoin)
        start(now);
    bWasSolved = bGameSolved;
    if (!running())
        return;
    if (now >= tEnd)
        arBursts.clear();  // one more frame shows the field without them
    if (RedrawP == 0)
        RedrawP = 3;
}

void OCelebrationP::draw(double now) const
{
    const OMyWin* win = GetViewWin(bScr);
    if (!running() || !win || !win->bVisible || StarP.miStar.Texture == 0)
        return;
    const int s = kStarS * kBurstScale;
    for (const TBurst& b : arBursts) {
        if (now < b.t0)
            continue;
        const int frame = int((now - b.t0) / kBurstFrameTime);
        if (frame >= kBurstFrames)
            continue;
        int x = win->mrClient.L - win->iScrollL + b.p.x - s / 2, y = win->mrClient.T - win->iScrollT + b.p.y - s / 2;
        int cw = s, ch = s, sx = 0, sy = 0;
        if (!CalcDrawOnWinCoords(*win, x, y, cw, ch, sx, sy))
            continue;
        // Clipped in view pixels; the source is the star's frame at kBurstScale.
        MyImageDrawTexture(StarP.miStar, x, y, cw, ch, frame * kStarStep + sx / kBurstScale, sy / kBurstScale,
                           cw / kBurstScale, ch / kBurstScale);
    }
}

void OCelebrationP::gameOpened()
{
    arBursts.clear();
    bWasSolved = bGameSolved;
}

void Celebration_Reset() { CelebrationP = OCelebrationP{}; }
