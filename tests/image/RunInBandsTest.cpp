// Why: page turns and zoomed repaints split their rows over threads; a row done twice or
// left out, or a failed band that goes unnoticed, shows as a wrong or half-drawn page.
#include "formats/image/RunInBands.h"

#include <atomic>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(RunInBandsTest, EveryRowOnceInWholeBandsAndAnyFailedBandFailsTheWhole)
{
    const struct
    {
        int rows, bandRows;
    } cases[] = {{0, 64}, {1, 64}, {63, 64}, {64, 1}, {1000, 64}, {7016, 64}, {5, 0}};
    for (const auto& c : cases) {
        std::vector<std::atomic<int>> visits(static_cast<std::size_t>(c.rows));
        std::atomic<int> shortBands = 0; // only the last band may be short
        const bool ok = formats::RunInBands(c.rows, c.bandRows, [&](int top, int bottom) {
            for (int row = top; row < bottom; ++row) {
                ++visits[static_cast<std::size_t>(row)];
            }
            if (bottom - top < c.bandRows && bottom != c.rows) {
                ++shortBands;
            }
            return true;
        });
        EXPECT_TRUE(ok) << c.rows;
        EXPECT_EQ(shortBands, 0) << c.rows;
        for (int row = 0; row < c.rows; ++row) {
            ASSERT_EQ(visits[static_cast<std::size_t>(row)], 1) << c.rows << " row " << row;
        }
    }
    for (const int failing : {0, 500, 960}) {
        EXPECT_FALSE(formats::RunInBands(1000, 64, [failing](int top, int bottom) {
            return failing < top || failing >= bottom;
        })) << failing;
    }
}

} // namespace
