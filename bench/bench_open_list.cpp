// The open dialog over a folder of 500 jigsaws: the first showing must not
// wait for the pictures (the list is filled with names only, the pictures
// come tick by tick), and one tick of the picture reader stays within about
// 0.1 s plus one file's read.
//
// Runs without a display on Qt's offscreen platform.
#include "support.h"

#include "files/files.h"
#include "shell/open_dialog.h"
#include "shell/thumb_list.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kJigsaws = 500;

struct TBenchFolder {
    QTemporaryDir home;
    std::string jigs;  // the per-user folder, with the jigsaws
};
TBenchFolder* g_folder = nullptr;

// 500 jigsaws whose thumbnails are 320 x 240 photo-like JPEGs, as downloaded ones are.
bool MakeFolder()
{
    g_folder = new TBenchFolder;
    setenv("XDG_DATA_HOME", g_folder->home.path().toLocal8Bit().constData(), 1);
    setenv("ZIVRA_RESOURCE_DIR", BenchResourceDir().c_str(), 1);
    std::string error;
    if (!FileNames_Create(&error)) {
        std::fprintf(stderr, "bench_open_list: %s\n", error.c_str());
        return false;
    }
    FileNames.sDistJigsPath.clear();  // nothing to copy in
    g_folder->jigs = FileNames.sJigsPath;
    const std::vector<uint8_t> thumb = MakePhotoLikeJpeg(320, 240, 7);
    const uint8_t keys[10] = {2, 7, 1, 8, 2, 8, 1, 8, 2, 8};
    for (int i = 0; i < kJigsaws; ++i) {
        const std::string path = g_folder->jigs + StrFormat("Jigsaw %03d.zjg", i);
        if (!SaveJigFile(path, 1600, 1200, keys, thumb, "bench", thumb, &error)) {
            std::fprintf(stderr, "bench_open_list: %s\n", error.c_str());
            return false;
        }
    }
    return true;
}

// The list's first filling: names, dates, order and layout; no picture read.
void BM_OpenListFirstFill500(benchmark::State& state)
{
    MCOpenScrollView list(0, nullptr);
    list.resize(1200, 700);
    list.show();
    for (auto _ : state) {
        list.ClearList();
        list.UpdateListThumbs(g_folder->jigs, FileNames.sSetJigExt, "");
        list.o_ReadThumbTimer.stop();
        benchmark::DoNotOptimize(list.arListThumbs.data());
    }
    state.counters["entries"] = double(list.arListThumbs.size());
}
BENCHMARK(BM_OpenListFirstFill500)->Unit(benchmark::kMillisecond);

// Making the dialog at start-up: its controls, the piece-size pictures and
// both lists filled with names.
void BM_OpenDialogCreate500(benchmark::State& state)
{
    for (auto _ : state) {
        FreeOpenForm();
        MCOpen* d = CreateOpenForm(nullptr);
        state.PauseTiming();
        d->o_JigsScrollView->o_ReadThumbTimer.stop();
        state.ResumeTiming();
    }
    FreeOpenForm();
}
BENCHMARK(BM_OpenDialogCreate500)->Unit(benchmark::kMillisecond)->Iterations(5);

// From the open command to the dialog drawn on the screen: the lists
// brought up to date (and one with unread pictures again), the file shown,
// the window shown and painted, before any picture is read.
void BM_OpenDialogShow500(benchmark::State& state)
{
    MCOpen* d = CreateOpenForm(nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        d->hide();
        for (OListThumb& t : d->o_JigsScrollView->arListThumbs)
            t.image = QImage();
        state.ResumeTiming();
        sDVFileName.clear();
        d->SetFileName("");
        d->SetFormStyle(1);
        d->show();
        d->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        d->o_JigsScrollView->o_ReadThumbTimer.stop();
        d->o_GamesScrollView->o_ReadThumbTimer.stop();
        state.ResumeTiming();
    }
    FreeOpenForm();
}
BENCHMARK(BM_OpenDialogShow500)->Unit(benchmark::kMillisecond)->Iterations(10);

// One tick of the picture reader over unread entries: about 0.1 s of work.
void BM_OpenListReaderTick(benchmark::State& state)
{
    MCOpenScrollView list(0, nullptr);
    list.resize(1200, 700);
    list.show();
    list.UpdateListThumbs(g_folder->jigs, FileNames.sSetJigExt, "");
    int files = 0, ticks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (OListThumb& t : list.arListThumbs)
            t.image = QImage();
        list.StartReader();
        state.ResumeTiming();
        files += list.ReadThumbTick();
        ++ticks;
    }
    list.o_ReadThumbTimer.stop();
    state.counters["files_per_tick"] = double(files) / ticks;
}
BENCHMARK(BM_OpenListReaderTick)->Unit(benchmark::kMillisecond)->Iterations(5);

// One file's list read (header and thumbnail decoded, fitted to 160 x 120).
void BM_OpenListReadOneFile(benchmark::State& state)
{
    MCOpenScrollView list(0, nullptr);
    list.resize(1200, 700);
    list.show();
    list.UpdateListThumbs(g_folder->jigs, FileNames.sSetJigExt, "");
    list.dTickBudget = 0;  // a tick ends after its first read
    for (auto _ : state) {
        state.PauseTiming();
        list.arListThumbs[0].image = QImage();
        list.StartReader();
        state.ResumeTiming();
        benchmark::DoNotOptimize(list.ReadThumbTick());
    }
    list.o_ReadThumbTimer.stop();
}
BENCHMARK(BM_OpenListReadOneFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    BenchResetAll();
    if (!MakeFolder())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete g_folder;
    return 0;
}
