// The raster image's heavy operations at jigsaw sizes: the fill that paints
// every piece of the mask, the resize that fits a picture to the screen, the
// decode of a camera-sized JPEG and the BMP block that saved games embed.
#include "support.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr int kW = 2560, kH = 1920;

void BM_FloodFillMaskOf4000Cells(benchmark::State& state)
{
    std::vector<TPoint> seeds;
    OMyImagePtr pristine = MakeCellMask(kW, kH, 4000, &seeds);
    OMyImagePtr work = MyImageClone(*pristine);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work->pMem, pristine->pMem, pristine->ByteCount());
        state.ResumeTiming();
        int code = 0;
        for (const TPoint& s : seeds) {
            TRect r;
            MyImageFloodFill(*work, s.x, s.y, RGB(128, 0, uint32_t(25 + 25 * (code++ % 9))), &r);
            benchmark::DoNotOptimize(r);
        }
    }
    state.counters["cells"] = double(seeds.size());
}
BENCHMARK(BM_FloodFillMaskOf4000Cells)->Unit(benchmark::kMillisecond);

// The floor for the fill: one plain pass writing every pixel's colour bytes.
void BM_FillRectWholeMask(benchmark::State& state)
{
    OMyImagePtr img = MyImageCreateExt(kW, kH, true);
    for (auto _ : state) {
        MyImageFillRect(*img, 0, 0, kW, kH, RGB(255, 255, 255));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FillRectWholeMask)->Unit(benchmark::kMillisecond);

void BM_SmoothResize2560To1600(benchmark::State& state)
{
    OMyImagePtr src = MakePhotoLikeImage(kW, kH);
    OMyImagePtr dst = MyImageCreateExt(1600, 1200, true);
    for (auto _ : state) {
        MyImageSmoothResize(*dst, *src);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SmoothResize2560To1600)->Unit(benchmark::kMillisecond);

void BM_DecodeJpeg2560(benchmark::State& state)
{
    const std::vector<uint8_t> jpg = MakePhotoLikeJpeg(kW, kH);
    const bool convert = state.range(0) != 0;
    for (auto _ : state) {
        OMyImagePtr img = MyImageCreateFromData(jpg.data(), jpg.size(), convert);
        benchmark::DoNotOptimize(img.get());
    }
    state.counters["jpeg_KB"] = double(jpg.size()) / 1024;
}
BENCHMARK(BM_DecodeJpeg2560)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_BmpBlock2560(benchmark::State& state)
{
    OMyImagePtr img = MakePhotoLikeImage(kW, kH);
    for (auto _ : state) {
        std::vector<uint8_t> b = MyImageCopyToDataAsBmp2(*img);
        benchmark::DoNotOptimize(b.data());
    }
}
BENCHMARK(BM_BmpBlock2560)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
