// Page-sized pixel work: compositions, thumbnail reduction and turns of an A4 sub-page at
// 600 dpi.
#include "formats/CBitmapData.h"
#include "formats/PageGeometry.h"
#include "formats/PixelConversion.h"
#include "formats/PlaneComposition.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 4960;
constexpr int kHeight = 7016;

// Planes with runs of ink, as bands of printed pages have, over the given level range.
std::vector<CBitmapData> MakePlanes(int count, int levels)
{
    std::vector<CBitmapData> planes(count);
    std::mt19937 random(2024);
    for (CBitmapData& plane : planes) {
        plane.Create(kWidth, kHeight, 4);
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* row = plane.m_pBits + y * std::size_t(plane.m_nStride);
            for (int x = 0; x < plane.m_nStride;) {
                const int run = 1 + static_cast<int>(random() % 64);
                const auto level = static_cast<std::uint8_t>(random() % levels);
                const int end = std::min(plane.m_nStride, x + run);
                std::memset(row + x, level << 4 | level, end - x);
                x = end;
            }
        }
    }
    return planes;
}

void ComposeFour(benchmark::State& state)
{
    BuildCoverageTable8();
    const std::vector<CBitmapData> planes = MakePlanes(4, 8);
    const CBitmapData* colour[] = {&planes[0], &planes[1], &planes[2]};
    CBitmapData output;
    output.Create(kWidth, kHeight, 24);
    output.Clear(); // touch it once: the composition itself is measured
    for (auto _ : state) {
        platform::ComposeFourPlanes(output, colour, &planes[3],
                                    platform::CoverageTableForLevelMode(2));
        benchmark::DoNotOptimize(output.m_pBits);
    }
    FreeCoverageTables();
}
BENCHMARK(ComposeFour)->Unit(benchmark::kMillisecond)->UseRealTime();

void ComposeFive(benchmark::State& state)
{
    BuildCoverageTable8();
    const std::vector<CBitmapData> planes = MakePlanes(5, 12);
    const CBitmapData* colour[] = {&planes[0], &planes[1], &planes[2], &planes[3]};
    CBitmapData output;
    output.Create(kWidth, kHeight, 24);
    output.Clear();
    for (auto _ : state) {
        platform::ComposeFivePlanes(output, colour, &planes[4], 3,
                                    platform::CoverageTableForLevelMode(2), 4);
        benchmark::DoNotOptimize(output.m_pBits);
    }
    FreeCoverageTables();
}
BENCHMARK(ComposeFive)->Unit(benchmark::kMillisecond)->UseRealTime();

CBitmapData& Page()
{
    static CBitmapData page;
    if (page.m_pBits == nullptr) {
        page.Create(kWidth, kHeight, 24);
        std::mt19937 random(7);
        for (std::size_t i = 0; i < std::size_t(page.m_nStride) * kHeight; i += 64) {
            std::memset(page.m_pBits + i, static_cast<int>(random() & 0xFF), 64);
        }
    }
    return page;
}

void ScaleToFitBox120(benchmark::State& state)
{
    const CBitmapData& page = Page();
    for (auto _ : state) {
        std::unique_ptr<CBitmapData> thumb;
        benchmark::DoNotOptimize(platform::ScaleIntoBox(page, 120, 600, 600, thumb));
    }
}
BENCHMARK(ScaleToFitBox120)->Unit(benchmark::kMillisecond)->UseRealTime();

// The turned copy is a new 104 MB buffer each time, so its first-touch faults count.
void RotateRight(benchmark::State& state)
{
    const CBitmapData& page = Page();
    for (auto _ : state) {
        benchmark::DoNotOptimize(page.RotateRight(nullptr));
    }
}
BENCHMARK(RotateRight)->Unit(benchmark::kMillisecond)->UseRealTime();

void RotateLeft(benchmark::State& state)
{
    const CBitmapData& page = Page();
    for (auto _ : state) {
        benchmark::DoNotOptimize(page.RotateLeft(nullptr));
    }
}
BENCHMARK(RotateLeft)->Unit(benchmark::kMillisecond)->UseRealTime();

void Rotate180(benchmark::State& state)
{
    CBitmapData& page = Page();
    for (auto _ : state) {
        benchmark::DoNotOptimize(page.Rotate180(nullptr));
    }
}
BENCHMARK(Rotate180)->Unit(benchmark::kMillisecond)->UseRealTime();

// A fresh 24-bit page written once: the cost that the first touch of new storage adds.
void CreateAndTouchPage(benchmark::State& state)
{
    for (auto _ : state) {
        CBitmapData page;
        page.Create(kWidth, kHeight, 24);
        std::memset(page.m_pBits, 0xFF, std::size_t(page.m_nStride) * kHeight);
        benchmark::DoNotOptimize(page.m_pBits);
    }
}
BENCHMARK(CreateAndTouchPage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
