// Why: page turns and zoomed repaints split their rows over threads; a row done twice or
// left out, or a failed band that goes unnoticed, shows as a wrong or half-drawn page.
#include "formats/image/RunInBands.h"

#include <atomic>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(RunInBandsTest, EveryRowOnceAndAnyFailedBandFailsTheWhole)
{
    const struct
    {
        int rows, minBandRows;
    } cases[] = {{0, 64}, {1, 64}, {63, 64}, {64, 1}, {1000, 64}, {7016, 64}, {5, 0}};
    for (const auto& c : cases) {
        std::vector<std::atomic<int>> visits(static_cast<std::size_t>(c.rows));
        std::atomic<int> bands = 0;
        std::atomic<int> smallest = c.rows;
        const bool ok = formats::RunInBands(c.rows, c.minBandRows, [&](int top, int bottom) {
            ++bands;
            for (int row = top; row < bottom; ++row) {
                ++visits[static_cast<std::size_t>(row)];
            }
            for (int least = smallest; bottom - top < least;) {
                smallest.compare_exchange_weak(least, bottom - top);
            }
            return true;
        });
        EXPECT_TRUE(ok) << c.rows;
        EXPECT_LE(bands, 8) << c.rows;
        if (bands > 1) {
            EXPECT_GE(smallest, c.minBandRows) << c.rows;
        }
        for (int row = 0; row < c.rows; ++row) {
            ASSERT_EQ(visits[static_cast<std::size_t>(row)], 1) << c.rows << " row " << row;
        }
    }
    // A failed band fails the whole, whether the caller ran it (the first) or a helper.
    EXPECT_FALSE(formats::RunInBands(1000, 64, [](int top, int) { return top != 0; }));
    EXPECT_FALSE(formats::RunInBands(1000, 64, [](int, int bottom) { return bottom != 1000; }));
}

} // namespace
