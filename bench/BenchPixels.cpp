// Page-sized pixel work: compositions, thumbnail reduction and turns of an A4 sub-page at
// 600 dpi.
#include "formats/image/CBitmapData.h"
#include "formats/image/PageGeometry.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/PixelConversion.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 4960;
constexpr int kHeight = 7016;

// A reader holding planes with runs of ink, as bands of printed pages have, over the given
// level range.
std::unique_ptr<CDornComFile> MakeReader(int colourCount, int levels)
{
    auto reader = std::make_unique<CDornComFile>();
    reader->m_pJobHeader = std::make_unique<tagDORNJOBHEADER>();
    reader->m_pJobHeader->nResolutionX = 600;
    reader->m_pJobHeader->nResolutionY = 600;
    std::mt19937 random(2024);
    auto makePlane = [&] {
        auto plane = std::make_unique<CBitmapData>();
        plane->Create(kWidth, kHeight, 4);
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* row = plane->m_pBits + y * std::size_t(plane->m_nStride);
            for (int x = 0; x < plane->m_nStride;) {
                const int run = 1 + static_cast<int>(random() % 64);
                const auto level = static_cast<std::uint8_t>(random() % levels);
                const int end = std::min(plane->m_nStride, x + run);
                std::memset(row + x, level << 4 | level, end - x);
                x = end;
            }
        }
        return plane;
    };
    for (int i = 0; i < colourCount; ++i) {
        reader->m_pColorPlanes.push_back(makePlane());
    }
    reader->m_pBlackPlane = makePlane();
    return reader;
}

// The page is written once before timing: the composition itself is measured.
void ComposeFour(benchmark::State& state)
{
    BuildCoverageTable8();
    const auto reader = MakeReader(3, 8);
    CBitmapData output;
    output.Create(kWidth, kHeight, 24);
    output.Clear();
    for (auto _ : state) {
        reader->ComposePlanes(&output, formats::CoverageTableForLevelMode(2));
        benchmark::DoNotOptimize(output.m_pBits);
    }
    FreeCoverageTables();
}
BENCHMARK(ComposeFour)->Unit(benchmark::kMillisecond)->UseRealTime();

void ComposeFive(benchmark::State& state)
{
    BuildCoverageTable8();
    const auto reader = MakeReader(4, 12);
    reader->m_pJobHeader->nAltLevelMode = 3;
    formats::SetSpotSelector(4);
    CBitmapData output;
    output.Create(kWidth, kHeight, 24);
    output.Clear();
    for (auto _ : state) {
        reader->ComposePlanes5(&output, formats::CoverageTableForLevelMode(2));
        benchmark::DoNotOptimize(output.m_pBits);
    }
    formats::SetSpotSelector(7);
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
    CDornComFile reader;
    reader.m_pJobHeader = std::make_unique<tagDORNJOBHEADER>();
    reader.m_pJobHeader->nResolutionX = 600;
    reader.m_pJobHeader->nResolutionY = 600;
    for (auto _ : state) {
        std::unique_ptr<CBitmapData> thumb;
        benchmark::DoNotOptimize(reader.ScaleToFit(&page, 120, thumb));
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
