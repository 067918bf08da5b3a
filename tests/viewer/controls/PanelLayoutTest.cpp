#include "viewer/controls/PanelLayout.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using controls::FlowItem;

struct FlowCase
{
    std::string name;
    int mode;
    int clientWidth;
    int clientHeight;
    int barWidth;
    std::vector<std::pair<int, int>> sizes;  // cx, cy
    std::vector<std::pair<int, int>> places; // x, y
    int extent;
};

const std::pair<int, int> kThumb{160, 160};

const FlowCase kFlowCases[] = {
    // Area 1..483 is 482 wide: the third thumbnail ends at 481 and still fits.
    {"ThreePerRowWithoutBar",
     1,
     484,
     400,
     0,
     {kThumb, kThumb, kThumb, kThumb},
     {{1, 1}, {161, 1}, {321, 1}, {1, 161}},
     320},
    // The bar leaves 465: the third one (right edge 481) opens the next row.
    {"TwoPerRowBesideBar",
     1,
     484,
     400,
     17,
     {kThumb, kThumb, kThumb, kThumb},
     {{1, 1}, {161, 1}, {1, 161}, {161, 161}},
     320},
    {"EmptyHasNoExtent", 1, 484, 400, 0, {}, {}, 0},
    {"EmptyRowHasNoExtent", 0, 484, 400, 0, {}, {}, 0},
    // Too wide for any row: placed alone at the start of its own row.
    {"WideComponentAloneOnItsRow",
     1,
     484,
     400,
     0,
     {kThumb, {600, 100}, kThumb},
     {{1, 1}, {1, 161}, {1, 261}},
     420},
    {"WideComponentFirst", 1, 484, 400, 0, {{600, 100}, kThumb}, {{1, 1}, {1, 101}}, 260},
    // A row is as high as its highest component.
    {"RowTakesTheHighest",
     1,
     484,
     400,
     0,
     {{160, 100}, {160, 200}, {300, 50}},
     {{1, 1}, {161, 1}, {1, 201}},
     250},
    // Any mode but the row flows.
    {"OtherModeFlows",
     7,
     484,
     400,
     0,
     {kThumb, kThumb, kThumb, kThumb},
     {{1, 1}, {161, 1}, {321, 1}, {1, 161}},
     320},
    {"RowIgnoresWidthAndBar",
     0,
     300,
     200,
     17,
     {kThumb, {100, 20}, {50, 90}},
     {{1, 1}, {161, 1}, {261, 1}},
     310},
};

void PrintTo(const FlowCase& c, std::ostream* os)
{
    *os << c.name;
}

class FlowLayoutTest : public testing::TestWithParam<FlowCase>
{};

} // namespace

// Why: the flow's wrap rule (width, not right edge; the bar's width) decides what users see.
TEST_P(FlowLayoutTest, PlacesComponentsAndReportsExtent)
{
    const FlowCase& c = GetParam();
    std::vector<FlowItem> items;
    for (auto [cx, cy] : c.sizes) {
        items.push_back({cx, cy, -99, -99});
    }
    EXPECT_EQ(controls::CalcFlowLayout(c.mode, c.clientWidth, c.clientHeight, c.barWidth, items),
              c.extent);
    std::vector<std::pair<int, int>> places;
    for (const FlowItem& item : items) {
        places.emplace_back(item.x, item.y);
    }
    EXPECT_EQ(places, c.places);
}

INSTANTIATE_TEST_SUITE_P(Cases, FlowLayoutTest, testing::ValuesIn(kFlowCases),
                         [](const auto& info) { return info.param.name; });
