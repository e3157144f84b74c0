// The raster image's heavy operations at jigsaw sizes: the fill that paints
// every piece of the mask, the resize that fits a picture to the screen, the
// decode of a camera-sized JPEG and the BMP block that saved games embed,
// and the packing that keeps an idle game's picture small.
#include "support.h"

#include "base/pixel_pack.h"

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

// The picture as an open game holds it (decoded from its JPEG, no alpha),
// packed and unpacked again; ratio_pct is the packed size in % of the pixels.
void BM_PackPicture2560(benchmark::State& state)
{
    const std::vector<uint8_t> jpg = MakePhotoLikeJpeg(kW, kH);
    OMyImagePtr img = MyImageCreateFromData(jpg.data(), jpg.size(), false);
    std::vector<uint8_t> packed;
    for (auto _ : state) {
        packed = PackPixels(img->pMem, img->W, img->H, img->iBPP, size_t(img->iBPL));
        benchmark::DoNotOptimize(packed.data());
    }
    state.counters["ratio_pct"] = 100.0 * double(packed.size()) / double(img->ByteCount());
    state.counters["packed_MB"] = double(packed.size()) / 1e6;
}
BENCHMARK(BM_PackPicture2560)->Unit(benchmark::kMillisecond);

void BM_UnpackPicture2560(benchmark::State& state)
{
    const std::vector<uint8_t> jpg = MakePhotoLikeJpeg(kW, kH);
    OMyImagePtr img = MyImageCreateFromData(jpg.data(), jpg.size(), false);
    const std::vector<uint8_t> packed = PackPixels(img->pMem, img->W, img->H, img->iBPP, size_t(img->iBPL));
    std::vector<uint8_t> out(img->ByteCount());
    for (auto _ : state) {
        if (!UnpackPixels(packed, out.data(), img->W, img->H, img->iBPP))
            state.SkipWithError("unpacking failed");
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_UnpackPicture2560)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
