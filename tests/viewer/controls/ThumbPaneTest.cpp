#include "ThumbPictures.h"
#include "viewer/controls/CFlowBar.h"
#include "viewer/controls/CThumbComponentWnd.h"
#include "viewer/controls/ThumbDoubleClickEvent.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QMainWindow>
#include <QTest>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

using thumbtest::MakePicture;
using thumbtest::MakeRecord;

namespace {

const QColor kPicture(0, 0, 255);
const QColor kShadow(0x50, 0x50, 0x50);
const QColor kMark(255, 0, 0);

// Adds one thumbnail the way the main frame does on each delivered page.
CThumbComponentWnd& AddThumbnail(CFlowBar& pane, std::uint32_t page,
                                 const tagDORNPAGEIMGINFO* record, const CBitmapData* placeholder,
                                 const QImage* mark)
{
    auto component = std::make_unique<CThumbComponentWnd>();
    component->m_cx = CThumbComponentWnd::kThumbSize;
    component->m_cy = CThumbComponentWnd::kThumbSize;
    component->Create(pane.m_pPanel.get());
    component->m_pButton->SetPage(page, record, placeholder, mark);
    CThumbComponentWnd& added = *component;
    pane.m_pPanel->m_components.Add(std::move(component));
    pane.AdjustLayout();
    return added;
}

// Bounding box of the pixels that match.
template <typename Match>
QRect PixelsWhere(const QImage& image, Match match)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (match(image.pixelColor(x, y))) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

void SaveScreenshot(QWidget& widget, const QString& name)
{
    QDir().mkpath(QStringLiteral(PYRN_SCREENSHOT_DIR));
    widget.grab().save(QStringLiteral(PYRN_SCREENSHOT_DIR "/") + name);
}

struct PixelCase
{
    std::string name;
    int width;
    int height;
    bool marked;
    QRect picture;
    QRect mark; // empty: no mark
    int captionLeft;
};

const PixelCase kPixelCases[] = {
    {"LandscapeMarked", 120, 84, true, QRect(18, 26, 120, 84), QRect(118, 142, 20, 14), 18},
    {"PortraitUnmarked", 84, 120, false, QRect(36, 8, 84, 120), QRect(), 36},
};

void PrintTo(const PixelCase& c, std::ostream* os)
{
    *os << c.name;
}

class ThumbButtonPixelTest : public testing::TestWithParam<PixelCase>
{};

} // namespace

// Why: the picture, its shadow and frame, the mark and the caption sit where users expect them.
TEST_P(ThumbButtonPixelTest, DrawsPictureShadowFrameMarkAndCaption)
{
    const PixelCase& c = GetParam();
    const auto record = MakeRecord(MakePicture(c.width, c.height, kPicture), c.marked);
    QImage mark(20, 14, QImage::Format_ARGB32);
    mark.fill(kMark);
    QWidget parent;
    CThumbComponentWnd component;
    component.m_cx = component.m_cy = CThumbComponentWnd::kThumbSize;
    ASSERT_TRUE(component.Create(&parent));
    component.m_pButton->SetPage(7, record.get(), nullptr, &mark);
    component.m_x = component.m_y = 1;
    component.MoveToRect();
    EXPECT_EQ(component.geometry(), QRect(2, 2, 158, 158));
    ASSERT_EQ(component.m_pButton->geometry(), QRect(2, 2, 156, 156));

    const QImage shot = component.m_pButton->grab().toImage();
    const QColor face = component.m_pButton->palette().color(QPalette::Button);
    const QRect p = c.picture;
    EXPECT_EQ(PixelsWhere(shot, [](QColor v) { return v == kPicture; }), p.adjusted(1, 1, -1, -1));
    for (QPoint corner : {p.topLeft(), p.topRight(), p.bottomLeft(), p.bottomRight()}) {
        EXPECT_EQ(shot.pixelColor(corner), QColor(Qt::black)) << corner.x() << "," << corner.y();
    }
    // The shadow shows 5 pixels right of and below the picture, offset by 5.
    EXPECT_EQ(PixelsWhere(shot, [](QColor v) { return v == kShadow; }), p.translated(5, 5));
    EXPECT_EQ(shot.pixelColor(p.right() + 5, p.top() + 5), kShadow);
    EXPECT_EQ(shot.pixelColor(p.right() + 5, p.top() + 4), face);
    EXPECT_EQ(shot.pixelColor(p.left() + 4, p.bottom() + 5), face);
    EXPECT_EQ(shot.pixelColor(0, 0), face);

    EXPECT_EQ(PixelsWhere(shot, [](QColor v) { return v == kMark; }), c.mark);

    const QFontMetrics metrics(component.m_pButton->font());
    const QRect caption =
        PixelsWhere(shot.copy(0, p.bottom() + 6, 156, 156 - (p.bottom() + 6)), [](QColor v) {
            return v.red() < 128 && v.green() < 128 && v.blue() < 128;
        }).translated(0, p.bottom() + 6);
    ASSERT_FALSE(caption.isEmpty());
    EXPECT_GE(caption.left(), c.captionLeft);
    EXPECT_LE(caption.left(), c.captionLeft + 2);
    EXPECT_LE(caption.bottom(), 155);
    EXPECT_GE(caption.bottom(), 155 - metrics.descent() - 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, ThumbButtonPixelTest, testing::ValuesIn(kPixelCases),
                         [](const auto& info) { return info.param.name; });

// Why: only a marked record carries the mark; a page without a record shows the placeholder,
// never marked, with its number.
TEST(ThumbButtonTest, PageShowsRecordOrPlaceholderAndMarksOnlyMarkedRecords)
{
    const auto marked = MakeRecord(MakePicture(120, 84, kPicture), true);
    const auto plain = MakeRecord(MakePicture(120, 84, kPicture), false);
    const auto placeholder = MakePicture(84, 120, Qt::gray);
    const QImage mark = thumbtest::MakeMark();
    CThumbButton button;

    button.SetPage(12, marked.get(), placeholder.get(), &mark);
    EXPECT_EQ(button.m_pImage, marked->pBitmap.get());
    EXPECT_EQ(button.m_pOverlayIcon, &mark);
    EXPECT_EQ(button.m_strCaption, QStringLiteral("12"));

    button.SetPage(13, plain.get(), placeholder.get(), &mark);
    EXPECT_EQ(button.m_pImage, plain->pBitmap.get());
    EXPECT_EQ(button.m_pOverlayIcon, nullptr);

    button.SetPage(14, nullptr, placeholder.get(), &mark);
    EXPECT_EQ(button.m_pImage, placeholder.get());
    EXPECT_EQ(button.m_pOverlayIcon, nullptr);
    EXPECT_EQ(button.m_strCaption, QStringLiteral("14"));
}

namespace {

// Stands in for the main window: records the pages that double clicks deliver.
class PageReceiver : public QObject
{
public:
    std::vector<QString> pages;

    bool event(QEvent* event) override
    {
        if (event->type() != ThumbDoubleClickEvent::kType) {
            return QObject::event(event);
        }
        pages.push_back(static_cast<ThumbDoubleClickEvent*>(event)->PageText());
        return true;
    }
};

class ThumbPaneTest : public testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(800, 620);
        window.setCentralWidget(new QWidget);
        window.addDockWidget(Qt::RightDockWidgetArea, pane);
        window.resizeDocks({pane}, {CFlowBar::kPaneWidth}, Qt::Horizontal);
        window.show();
        CThumbComponentWnd::SetMainWindow(&receiver);
    }

    void TearDown() override { CThumbComponentWnd::SetMainWindow(nullptr); }

    QMainWindow window;
    CFlowBar* pane = new CFlowBar(&window);
    PageReceiver receiver;
};

} // namespace

// Why: a double click opens its page at once (before the click returns); single clicks and the
// strip around a button do nothing.
TEST_F(ThumbPaneTest, DoubleClickDeliversThePageSynchronously)
{
    const auto first = MakeRecord(MakePicture(120, 84, kPicture), false);
    CThumbComponentWnd& twelve = AddThumbnail(*pane, 12, first.get(), nullptr, nullptr);
    CThumbComponentWnd& thirteen = AddThumbnail(*pane, 13, nullptr, first->pBitmap.get(), nullptr);

    QTest::mouseClick(thirteen.m_pButton.get(), Qt::LeftButton);
    QTest::mouseDClick(twelve.m_pButton.get(), Qt::RightButton);
    QTest::mouseDClick(&thirteen, Qt::LeftButton, {}, QPoint(1, 1)); // the strip
    EXPECT_TRUE(receiver.pages.empty());

    QTest::mouseDClick(thirteen.m_pButton.get(), Qt::LeftButton, {}, QPoint(150, 150));
    EXPECT_EQ(receiver.pages, std::vector<QString>{QStringLiteral("13")});
}

// Why: right clicks on the pane must not bring up the main window's menu of bars and panes.
TEST_F(ThumbPaneTest, PaneShowsNoContextMenu)
{
    const auto record = MakeRecord(MakePicture(120, 84, kPicture), false);
    CThumbComponentWnd& thumb = AddThumbnail(*pane, 1, record.get(), nullptr, nullptr);
    int menusAsked = 0;
    struct Counter : QObject
    {
        int& count;
        explicit Counter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            // Swallowed, so that a failing run reports instead of opening a menu.
            return event->type() == QEvent::ContextMenu && ++count > 0;
        }
    } counter(menusAsked);
    window.installEventFilter(&counter);

    for (QWidget* target :
         {static_cast<QWidget*>(thumb.m_pButton.get()), static_cast<QWidget*>(pane->m_pPanel.get()),
          static_cast<QWidget*>(pane)}) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3),
                                target->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(target, &event);
    }
    EXPECT_EQ(menusAsked, 0);
    QContextMenuEvent outside(QContextMenuEvent::Mouse, QPoint(3, 3), QPoint(3, 3));
    QApplication::sendEvent(window.centralWidget(), &outside);
    EXPECT_EQ(menusAsked, 1) << "the counter must see menus asked for elsewhere";
}

// Why: people judge the pane by eye: a full pane of pages, some marked, one not decoded.
TEST_F(ThumbPaneTest, ScreenshotOfAPaneFullOfThumbnails)
{
    const QColor headings[] = {QColor(30, 90, 200), QColor(200, 60, 40), QColor(40, 150, 70)};
    std::vector<std::unique_ptr<tagDORNPAGEIMGINFO>> records;
    for (int i = 0; i < 14; ++i) {
        const bool portrait = i % 4 != 3;
        records.push_back(
            MakeRecord(MakePicture(portrait ? 84 : 120, portrait ? 120 : 84, headings[i % 3], true),
                       i % 5 == 1));
    }
    auto placeholder = MakePicture(84, 120, QColor(200, 200, 200));
    const QImage mark = thumbtest::MakeMark();
    for (int i = 0; i < 14; ++i) {
        AddThumbnail(*pane, 21 + i, i == 6 ? nullptr : records[i].get(), placeholder.get(), &mark);
    }
    SaveScreenshot(window, QStringLiteral("ThumbnailPane.png"));
    pane->m_pPanel->HandleScroll(controls::ScrollCode::Bottom, 0);
    pane->AdjustLayout();
    SaveScreenshot(window, QStringLiteral("ThumbnailPaneScrolled.png"));
    EXPECT_FALSE(pane->m_pPanel->m_wndVScroll.isHidden());
}
