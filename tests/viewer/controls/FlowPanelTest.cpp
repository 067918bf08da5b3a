#include "viewer/controls/CFlowPanel.h"

#include <QApplication>
#include <QStyle>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>

using controls::ScrollCode;

namespace {

// A shown flow panel of 160-pixel components, laid out after every change as the pane is.
class FlowPanelTest : public testing::Test
{
protected:
    void SetUp() override
    {
        panel.resize(484, 480);
        panel.show();
    }

    void Add(int count, int mode = controls::kLayoutFlow)
    {
        panel.m_nLayoutMode = mode;
        for (int i = 0; i < count; ++i) {
            auto component = std::make_unique<CComponentWnd>();
            component->m_cx = 160;
            component->m_cy = 160;
            ASSERT_TRUE(component->Create(&panel));
            ASSERT_TRUE(panel.m_components.Add(std::move(component)));
            panel.RecalcLayout();
        }
    }

    QRect Window(std::size_t index) const { return panel.m_components[index]->geometry(); }

    void Wheel(QWidget& target, int delta)
    {
        QWheelEvent event(QPointF(5, 5), target.mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&target, &event);
    }

    CFlowPanel panel;
};

} // namespace

// Why: the bar shows only when the content outgrows the panel, and the narrower rows it leaves
// come with the next pass, as the pane's users know it.
TEST_F(FlowPanelTest, VerticalBarAppearsOnlyForContentHigherThanThePanel)
{
    EXPECT_TRUE(panel.m_wndVScroll.isHidden());
    EXPECT_TRUE(panel.m_wndHScroll.isHidden());

    Add(9); // three rows of 160: exactly the panel's height
    EXPECT_TRUE(panel.m_wndVScroll.isHidden());
    EXPECT_EQ(Window(2), QRect(322, 2, 158, 158));

    Add(1); // a fourth row
    ASSERT_FALSE(panel.m_wndVScroll.isHidden());
    EXPECT_TRUE(panel.m_wndHScroll.isHidden());
    EXPECT_EQ(panel.m_wndVScroll.minimum(), 0);
    EXPECT_EQ(panel.m_wndVScroll.maximum(), 640 - 480 + 1); // range 0..640, page 480
    EXPECT_EQ(panel.m_wndVScroll.pageStep(), 480);
    const int barWidth = panel.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(panel.m_wndVScroll.geometry(), QRect(484 - barWidth, 0, barWidth, 480));
    EXPECT_EQ(Window(2), QRect(322, 2, 158, 158)) << "this pass still used the old width";

    panel.RecalcLayout();
    EXPECT_EQ(Window(2), QRect(2, 162, 158, 158));
    EXPECT_EQ(panel.m_wndVScroll.maximum(), 800 - 480 + 1);
}

namespace {

struct ScrollCase
{
    std::string name;
    int start;
    ScrollCode code;
    int thumb;
    int expected;
};

// Twelve components, two per row beside the bar: 960 in a 480-pixel panel, range 0..960,
// page 480, limit 481.
const ScrollCase kScrollCases[] = {
    {"LineDown", 0, ScrollCode::LineDown, 0, 20},
    {"LineUpNearTopStopsAtMin", 10, ScrollCode::LineUp, 0, 0},
    {"LineUpAtMin", 0, ScrollCode::LineUp, 0, 0},
    {"LineDownAtLimit", 481, ScrollCode::LineDown, 0, 481},
    {"LineDownNearLimitStopsAtLimit", 470, ScrollCode::LineDown, 0, 481},
    {"PageDown", 0, ScrollCode::PageDown, 0, 480},
    {"PageDownStopsAtLimit", 100, ScrollCode::PageDown, 0, 481},
    {"PageUpStopsAtMin", 100, ScrollCode::PageUp, 0, 0},
    {"ThumbTrack", 0, ScrollCode::ThumbTrack, 70, 70},
    {"ThumbPosition", 100, ScrollCode::ThumbPosition, 30, 30},
    {"Top", 50, ScrollCode::Top, 0, 0},
    {"BottomIsKeptAtLimit", 0, ScrollCode::Bottom, 0, 481},
    {"EndScrollKeeps", 30, ScrollCode::EndScroll, 99, 30},
};

void PrintTo(const ScrollCase& c, std::ostream* os)
{
    *os << c.name;
}

class PanelScrollTest : public FlowPanelTest, public testing::WithParamInterface<ScrollCase>
{};

} // namespace

// Why: line, page and thumb requests keep the panel's own steps and never pass the range.
TEST_P(PanelScrollTest, RequestMovesTheBarWithinItsRange)
{
    const ScrollCase& c = GetParam();
    Add(12);
    panel.m_wndVScroll.setValue(c.start);
    EXPECT_EQ(panel.HandleScroll(c.code, c.thumb), c.expected != c.start);
    EXPECT_EQ(panel.m_wndVScroll.value(), c.expected);
    panel.RecalcLayout();
    EXPECT_EQ(Window(0).top(), 2 - c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PanelScrollTest, testing::ValuesIn(kScrollCases),
                         [](const auto& info) { return info.param.name; });

// Why: clicks on the bar itself must step as the panel's arithmetic says, and move the content.
TEST_F(FlowPanelTest, BarClicksStepByLineAndPage)
{
    Add(12);
    panel.m_wndVScroll.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(panel.m_wndVScroll.value(), 20);
    EXPECT_EQ(Window(0).top(), 2 - 20);
    panel.m_wndVScroll.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(panel.m_wndVScroll.value(), 481);
    EXPECT_EQ(Window(0).top(), 2 - 481);
}

// Why: one wheel message is one line, whatever its size and wherever over the panel it comes.
TEST_F(FlowPanelTest, WheelMovesOneLinePerMessage)
{
    Add(12);
    Wheel(panel, -120);
    EXPECT_EQ(panel.m_wndVScroll.value(), 20);
    Wheel(panel, -720);
    EXPECT_EQ(panel.m_wndVScroll.value(), 40);
    Wheel(panel.m_wndVScroll, -360); // over the bar itself
    EXPECT_EQ(panel.m_wndVScroll.value(), 60);
    Wheel(panel, 30);
    EXPECT_EQ(panel.m_wndVScroll.value(), 40);
    Wheel(panel, 0); // a touchpad's phase message carries no movement
    EXPECT_EQ(panel.m_wndVScroll.value(), 40);
    EXPECT_EQ(Window(0).top(), 2 - 40);
}

// Why: in one row the wheel scrolls sideways.
TEST_F(FlowPanelTest, RowScrollsHorizontally)
{
    Add(4, controls::kLayoutRow);
    ASSERT_FALSE(panel.m_wndHScroll.isHidden());
    EXPECT_TRUE(panel.m_wndVScroll.isHidden());
    EXPECT_EQ(panel.m_wndHScroll.maximum(), 640 - 484 + 1);
    Wheel(panel, -120);
    EXPECT_EQ(panel.m_wndHScroll.value(), 20);
    EXPECT_EQ(Window(1), QRect(162 - 20, 2, 158, 158));
}

// Why (mend): a panel grown taller than its scrolled content must show it from the top again,
// and a shrunk range must move the content with the bar; otherwise rows stay out of reach.
TEST_F(FlowPanelTest, ContentFollowsTheBarWhenItsRangeShrinksOrItHides)
{
    Add(12);
    panel.m_wndVScroll.setValue(481);
    panel.RecalcLayout();
    ASSERT_EQ(Window(0).top(), 2 - 481);

    panel.resize(484, 560); // limit 960 - 560 + 1
    EXPECT_EQ(panel.m_wndVScroll.value(), 401);
    EXPECT_EQ(Window(0).top(), 2 - 401);

    panel.resize(484, 1000);
    EXPECT_TRUE(panel.m_wndVScroll.isHidden());
    EXPECT_EQ(Window(0).top(), 2);
    Wheel(panel, -120); // no bar, nothing to scroll
    EXPECT_EQ(Window(0).top(), 2);
}

// Why: the thumbnail run empties the pane and resets the bars; the next mail starts at the top.
TEST_F(FlowPanelTest, EmptiedPanelStartsAtTheTop)
{
    Add(12);
    panel.m_wndVScroll.setValue(100);
    panel.RecalcLayout();
    EXPECT_FALSE(panel.m_components.Add(nullptr));
    EXPECT_EQ(panel.m_components.size(), 12u);

    panel.m_components.DeleteAll();
    EXPECT_TRUE(panel.m_components.empty());
    EXPECT_EQ(panel.findChildren<QWidget*>().size(), 2) << "only the bars are left";
    panel.m_wndHScroll.setValue(0);
    panel.m_wndVScroll.setValue(0);
    Add(1);
    EXPECT_EQ(Window(0), QRect(2, 2, 158, 158));
    EXPECT_TRUE(panel.m_wndVScroll.isHidden());
}
