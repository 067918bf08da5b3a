// Decoding A4 sub-pages at 600 dpi with four colour planes and a black plane of run-length
// coded bands: a full page decoded, composed and turned (goal: under 150 ms), its thumbnail in
// a 120 box (goal: under 150 ms), and the ten thumbnails of a ten-sub-page mail (goal: under
// 1.5 s).
#include "bench/BenchFiles.h"
#include "formats/image/CBitmapData.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 4960; // 2100 x 2970 tenths of a millimetre at 600 dpi
constexpr int kHeight = 7016;
constexpr int kRowBytes = kWidth / 2;
constexpr int kBandLines = 128;
constexpr int kSubPages = 10;
constexpr int kPlaneNumbers[] = {1, 2, 3, 5, 0}; // colour planes 0 to 2, spot, black

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Hash(std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ c * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    return h ^ (h >> 12);
}

void Fill(Bytes& row, int x0, int x1, int level)
{
    x0 = std::clamp(x0, 0, kWidth) / 2;
    x1 = std::clamp(x1, 0, kWidth) / 2;
    if (x1 > x0) {
        std::memset(row.data() + x0, level << 4 | level, static_cast<std::size_t>(x1 - x0));
    }
}

// One row of a plane of a printed letter: coloured blocks and a gradient in the colour planes, a
// photograph of fine detail, lines of text in the black plane.
void PaintRow(int plane, int y, Bytes& row)
{
    std::fill(row.begin(), row.end(), 0);
    if (plane < 4) {
        if (y >= 400 && y < 1400) {
            Fill(row, 300 + 400 * plane, 1500 + 400 * plane, 3 + 2 * plane);
        }
        if (y >= 1600 && y < 2400) {
            for (int x = 0; x < kWidth; x += 400) {
                Fill(row, x, x + 400, (x / 400 + plane) % 12);
            }
        }
        if (y >= 3000 && y < 4800) {
            for (int x = 2600; x < 4400; x += 2) {
                const std::uint32_t h =
                    Hash(static_cast<std::uint32_t>(x / 6), static_cast<std::uint32_t>(y / 3),
                         static_cast<std::uint32_t>(plane));
                row[static_cast<std::size_t>(x / 2)] =
                    static_cast<std::uint8_t>((h % 12) << 4 | (h >> 8) % 12);
            }
        }
        return;
    }
    // Text lines 50 pixels high every 80 pixels; glyphs of random strokes.
    const bool text = (y >= 300 && y < 2900) || (y >= 5000 && y < 6800);
    if (text && y % 80 < 50) {
        for (int x = 400; x < 4560; x += 24) {
            const std::uint32_t h =
                Hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y / 80),
                     static_cast<std::uint32_t>(y % 80 / 6));
            if (h % 5 != 0) {
                Fill(row, x + static_cast<int>(h % 8), x + 8 + static_cast<int>((h >> 4) % 12), 11);
            }
        }
    }
}

// Repeats of two or more bytes as repeat runs, everything else as literal runs.
void EncodeRuns(const Bytes& plain, Bytes& coded)
{
    coded.clear();
    const std::size_t size = plain.size();
    std::size_t i = 0;
    while (i < size) {
        std::size_t repeat = 1;
        while (i + repeat < size && repeat < 129 && plain[i + repeat] == plain[i]) {
            ++repeat;
        }
        if (repeat >= 2) {
            coded.push_back(static_cast<std::uint8_t>(257 - repeat));
            coded.push_back(plain[i]);
            i += repeat;
            continue;
        }
        std::size_t literal = 1;
        while (i + literal < size && literal < 128 &&
               !(i + literal + 1 < size && plain[i + literal] == plain[i + literal + 1])) {
            ++literal;
        }
        coded.push_back(static_cast<std::uint8_t>(literal - 1));
        coded.insert(coded.end(), plain.begin() + static_cast<std::ptrdiff_t>(i),
                     plain.begin() + static_cast<std::ptrdiff_t>(i + literal));
        i += literal;
    }
}

// The bands of one sub-page, each with its origin: plane by plane, 128 lines each.
std::vector<std::string> MakeBands()
{
    std::vector<std::string> bands;
    Bytes row(kRowBytes);
    Bytes plain;
    Bytes coded;
    for (int plane = 0; plane < 5; ++plane) {
        for (int y0 = 0; y0 < kHeight; y0 += kBandLines) {
            const int lines = std::min(kBandLines, kHeight - y0);
            plain.clear();
            for (int y = y0; y < y0 + lines; ++y) {
                PaintRow(plane, y, row);
                plain.insert(plain.end(), row.begin(), row.end());
            }
            EncodeRuns(plain, coded);
            std::string band = "?<0;" + std::to_string(y0) + ">X?<" +
                               std::to_string(kPlaneNumbers[plane]) + ";" +
                               std::to_string(kRowBytes) + ";" + std::to_string(lines) + ";" +
                               std::to_string(coded.size()) + ">I";
            band.append(coded.begin(), coded.end());
            bands.push_back(std::move(band));
        }
    }
    return bands;
}

struct Job
{
    std::string path;
    std::uint64_t bytesPerSubPage = 0;
};

// A job whose one page holds ten A4 sub-pages; each sub-page takes the same bands in another
// order. Landscape orientation, so every page is turned by 90 degrees.
Job WriteJob(const BenchFolder& folder)
{
    Job job;
    if (!folder.Ready()) {
        return job;
    }
    job.path = folder / "job.prn";
    std::string header = "?<0;0;0;0;0;600;600;0;3>#?<2;0;4>l?<1;600;600;4;0>z";
    for (int i = 0; i < 4; ++i) {
        header += "?<0;600;600;4;0>z";
    }
    const std::vector<std::string> bands = MakeBands();
    std::FILE* file = std::fopen(job.path.c_str(), "wb");
    if (file == nullptr) {
        return job;
    }
    std::string page = header + "?<1;2;3>x";
    std::fwrite(page.data(), 1, page.size(), file);
    for (int s = 0; s < kSubPages; ++s) {
        std::string subPage = "?<2100;2970;0;0;0;0>h";
        for (std::size_t b = 0; b < bands.size(); ++b) {
            subPage += bands[(b + static_cast<std::size_t>(s) * 7) % bands.size()];
        }
        subPage += "?<0>P";
        job.bytesPerSubPage = subPage.size();
        std::fwrite(subPage.data(), 1, subPage.size(), file);
    }
    const std::string end = "?<0>y?<0>E";
    std::fwrite(end.data(), 1, end.size(), file);
    std::fclose(file);
    return job;
}

struct Reader
{
    BenchFolder folder{"BenchPageDecode"};
    Job job;
    CDornComFile file;
    bool ready = false;

    Reader() : job(WriteJob(folder))
    {
        ready = !job.path.empty() && file.Open(job.path) == 0 && file.ReadJobHeader() == 0 &&
                file.BuildPageIndex() == 0 && file.LoadPageLayout(1) == 0 &&
                file.m_pSubPages->size() == kSubPages;
        // The planes are made by the first decode and kept by the reader from then on.
        ready = ready && file.ReadPageImage(1, 1, -1, nullptr) != nullptr;
    }
    ~Reader() { file.Close(); }
};

Reader& TheReader()
{
    static Reader reader;
    return reader;
}

void BM_FullPage(benchmark::State& state)
{
    Reader& reader = TheReader();
    if (!reader.ready) {
        state.SkipWithError("the job could not be written or read");
        return;
    }
    for (auto _ : state) {
        auto image = reader.file.ReadPageImage(1, 1, -1, nullptr);
        if (!image || image->pBitmap->m_nWidth != kHeight) {
            state.SkipWithError("decode failed");
            return;
        }
        benchmark::DoNotOptimize(image->pBitmap->m_pBits);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(reader.job.bytesPerSubPage));
}
BENCHMARK(BM_FullPage)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_Thumbnail(benchmark::State& state)
{
    Reader& reader = TheReader();
    if (!reader.ready) {
        state.SkipWithError("the job could not be written or read");
        return;
    }
    for (auto _ : state) {
        auto image = reader.file.ReadPageImage(1, 1, 120, nullptr);
        if (!image || image->pBitmap->m_nWidth != 120) {
            state.SkipWithError("decode failed");
            return;
        }
        benchmark::DoNotOptimize(image->pBitmap->m_pBits);
    }
}
BENCHMARK(BM_Thumbnail)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// The first thumbnail of a newly opened stream, which makes the reader's planes.
void BM_FirstThumbnailOfANewReader(benchmark::State& state)
{
    Reader& reader = TheReader();
    if (!reader.ready) {
        state.SkipWithError("the job could not be written or read");
        return;
    }
    for (auto _ : state) {
        CDornComFile file;
        if (file.Open(reader.job.path) != 0 || file.ReadJobHeader() != 0 ||
            file.BuildPageIndex() != 0 || file.LoadPageLayout(1) != 0 ||
            !file.ReadPageImage(1, 1, 120, nullptr)) {
            state.SkipWithError("decode failed");
            return;
        }
    }
}
BENCHMARK(BM_FirstThumbnailOfANewReader)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_TenThumbnailsOfOneMail(benchmark::State& state)
{
    Reader& reader = TheReader();
    if (!reader.ready) {
        state.SkipWithError("the job could not be written or read");
        return;
    }
    for (auto _ : state) {
        for (std::uint32_t s = 1; s <= kSubPages; ++s) {
            auto image = reader.file.ReadPageImage(1, s, 120, nullptr);
            if (!image) {
                state.SkipWithError("decode failed");
                return;
            }
            benchmark::DoNotOptimize(image->pBitmap->m_pBits);
        }
    }
}
BENCHMARK(BM_TenThumbnailsOfOneMail)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(4);

} // namespace

BENCHMARK_MAIN();
