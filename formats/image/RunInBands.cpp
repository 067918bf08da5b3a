#include "formats/image/RunInBands.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <thread>
#include <vector>

namespace formats {
namespace {

constexpr unsigned kMaxBands = 8;

} // namespace

bool RunInBands(int rows, int minBandRows, const std::function<bool(int top, int bottom)>& work)
{
    if (rows <= 0) {
        return true;
    }
    const int processors =
        static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, kMaxBands));
    const int bands = std::clamp(rows / std::max(minBandRows, 1), 1, processors);
    std::vector<char> done(static_cast<std::size_t>(bands), 0);
    const auto run = [&](int band) {
        const auto top = static_cast<int>(std::int64_t{rows} * band / bands);
        const auto bottom = static_cast<int>(std::int64_t{rows} * (band + 1) / bands);
        done[static_cast<std::size_t>(band)] = work(top, bottom) ? 1 : 0;
    };
    std::vector<std::thread> helpers;
    for (int band = 1; band < bands; ++band) {
        try {
            helpers.emplace_back(run, band);
        } catch (const std::exception&) {
            run(band); // no thread to be had: this one does it
        }
    }
    run(0);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    return std::all_of(done.begin(), done.end(), [](char ok) { return ok != 0; });
}

} // namespace formats
