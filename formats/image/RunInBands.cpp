#include "formats/image/RunInBands.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace formats {
namespace {

constexpr unsigned kMaxThreads = 8; // the caller included

} // namespace

bool RunInBands(int rows, int bandRows, const std::function<bool(int top, int bottom)>& work)
{
    if (rows <= 0) {
        return true;
    }
    bandRows = std::clamp(bandRows, 1, rows);
    const int bands = (rows - 1) / bandRows + 1;
    const int threads = std::min(
        bands, static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads)));
    std::atomic<int> next = 0;
    std::atomic<bool> ok = true;
    const auto takeBands = [&] {
        for (int band = next++; band < bands; band = next++) {
            const int top = band * bandRows;
            if (!work(top, top + std::min(bandRows, rows - top))) {
                ok = false;
            }
        }
    };
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i) {
        try {
            helpers.emplace_back(takeBands);
        } catch (const std::exception&) {
            break; // the threads running, or the caller alone, take the rest
        }
    }
    takeBands();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    return ok;
}

} // namespace formats
