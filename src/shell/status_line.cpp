#include "shell/status_line.h"

#include "files/files.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include <algorithm>
#include <cmath>
#include <cstdio>

TPlayClockP PlayClockP;

// ---- Play clock ---------------------------------------------------------------------------

void PlayClock_Reset() { PlayClockP = TPlayClockP{}; }

void PlayClock_GameOpened()
{
    PlayClock_Reset();
    if (FileNames.bOpen && !FileNames.sSolve.empty())
        PlayClockP.dSeconds = double(PlayTime_Load(FileNames.sSolve, JigP.GameSeed));
}

void PlayClock_Tick(double now, bool counting)
{
    if (counting && PlayClockP.dLastTick >= 0 && now > PlayClockP.dLastTick)
        PlayClockP.dSeconds += std::min(now - PlayClockP.dLastTick, kPlayClockMaxGap);
    PlayClockP.dLastTick = now;
}

void PlayClock_Saved(const std::string& path, bool autosave)
{
    const int64_t seconds = int64_t(PlayClockP.dSeconds);
    PlayTime_Store(path, JigP.GameSeed, seconds);
    // A save by the player also brings this instance's autosave up to date.
    if (!autosave && !FileNames.sAutoSaved.empty() && !StrEqualNoCase(path, FileNames.sAutoSaved) &&
        AutoSave_HoldsLock())
        PlayTime_Store(FileNames.sAutoSaved, JigP.GameSeed, seconds);
}

void PlayClock_InstallHooks()
{
    GameFileHooks.fnAfterSave = &PlayClock_Saved;
    GameFileHooks.fnGameOpened = &PlayClock_GameOpened;
}

// ---- Counting ---------------------------------------------------------------------------------

TStatusCounts StatusCountsFor(int pieces, int groups, bool solved)
{
    TStatusCounts c;
    c.iPieces = pieces;
    c.iGroups = groups;
    c.bSolved = solved;
    if (pieces <= 0)
        return c;
    // As the info dialog counts: the changes of group along the draw order
    // (one less than the groups), or every piece while nothing is joined.
    const int changes = std::max(0, groups - 1);
    const int unsolved = changes == pieces - 1 ? pieces : changes;
    c.iJoined = pieces - unsolved;
    c.iPercent = solved ? 100 : int(int64_t(c.iJoined) * 100 / pieces);
    return c;
}

TStatusCounts StatusCountPieces()
{
    const int n = FileNames.bOpen ? JigsInPlay() : 0;
    if (n <= 0)
        return {};
    std::vector<int32_t> layers(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        layers[size_t(i)] = JigAt(i).Layer;
    std::sort(layers.begin(), layers.end());
    const int groups = int(std::unique(layers.begin(), layers.end()) - layers.begin());
    return StatusCountsFor(n, groups, bGameSolved);
}

std::string PlayTimeText(int64_t seconds)
{
    seconds = std::max<int64_t>(0, seconds);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                  int(seconds / 60 % 60), int(seconds % 60));
    return buf;
}

std::string StatusLineText(const TStatusCounts& c, int64_t seconds)
{
    if (c.iPieces <= 0)
        return {};
    const std::string progress = LangFormat(LangGetKeyVal("SL_Progress"), {c.iJoined, c.iPieces, c.iPercent});
    const std::string time = LangFormat(LangGetKeyVal("SL_Time"), {PlayTimeText(seconds)});
    const std::string sep = "     ";
    if (c.bSolved)
        return LangGetKeyVal("SL_Solved") + sep + progress + sep + time;
    return progress + sep + LangFormat(LangGetKeyVal("SL_Groups"), {c.iGroups}) + sep + time;
}

// ---- The line -------------------------------------------------------------------------------------

MCStatusLine::MCStatusLine(QMainWindow* window) : QObject(window), window_(window)
{
    fnWindowActive = [this] { return window_->isActiveWindow(); };
    label_ = new QLabel(window);
    label_->setObjectName(QStringLiteral("statusLine"));
    label_->setTextFormat(Qt::PlainText);
    label_->setContentsMargins(8, 0, 8, 0);
    window->statusBar()->addWidget(label_, 1);
    window->statusBar()->setSizeGripEnabled(false);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &MCStatusLine::Tick);
    timer_.start();
}

void MCStatusLine::Tick()
{
    const bool counting = FileNames.bOpen && !bGameSolved && fnWindowActive && fnWindowActive();
    PlayClock_Tick(GetNow(), counting);
    Refresh();
}

void MCStatusLine::Refresh()
{
    const QString text = QString::fromStdString(StatusLineText(StatusCountPieces(), int64_t(PlayClockP.dSeconds)));
    if (label_->text() != text)
        label_->setText(text);
}
