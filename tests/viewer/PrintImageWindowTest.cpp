// Why: the page window takes the main window's place while it is open; its zoom controls,
// keys and closing must leave the document and the main window as the user left them.
#include "viewer/pagewindow/PrintImageWindow.h"

#include "tests/viewer/PrintImageTestSupport.h"
#include "tests/viewer/ThumbnailTestSupport.h"
#include "tests/viewer/ViewerFixture.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/dialogs/ProgressDialog.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/pagewindow/PrintImageFrame.h"
#include "viewer/pagewindow/PrintImageView.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// A page window on a document of its own, without the rest of the program.
class PrintImageFrameTest : public ::testing::Test
{
protected:
    PrintImageFrameTest()
    {
        m_document.m_pPrintImage = MakeSyntheticPage(310, 438);
        m_document.m_nPageToOpen = 12;
        m_frame = CreatePrintImageWindow(m_document);
    }
    ~PrintImageFrameTest() override
    {
        if (m_frame) {
            m_frame->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QToolButton* Button(const char* name) { return m_frame->findChild<QToolButton*>(name); }
    void Click(const char* name) { Button(name)->click(); }
    // A wheel turn over the page as the platform delivers it: spontaneous, so an ignored one
    // goes on to the parents.
    void Wheel(int delta, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton)
    {
        QWidget* viewport = m_frame->GetView()->viewport();
        const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), buttons,
                          modifiers, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&event);
        QApplication::sendEvent(viewport, &event);
    }

    CPYRNDoc m_document;
    QPointer<PrintImageFrame> m_frame;
};

TEST_F(PrintImageFrameTest, OpensTitledWithItsMenuAndAtHundredPercent)
{
    ASSERT_TRUE(m_frame);
    EXPECT_EQ(m_frame->windowTitle(), ResourceModule::String(138) + QStringLiteral(" - 12"));
    for (const unsigned id : {208u, 206u, 207u, 197u}) {
        const QAction* action =
            m_frame->m_wndMenuBar->findChild<QAction*>(QStringLiteral("command%1").arg(id));
        ASSERT_NE(action, nullptr) << id;
        EXPECT_EQ(action->text(), ResourceModule::String(id)) << id;
    }
    EXPECT_EQ(m_frame->m_nZoom, 100);
    EXPECT_EQ(m_frame->m_pZoomSlider->value(), 100);
    EXPECT_EQ(m_frame->m_pZoomLabel->text(), QStringLiteral("100%"));
    EXPECT_EQ(m_frame->m_pProgressBar->value(), 0);
    EXPECT_EQ(m_document.GetView(ViewSlot::PageImage), m_frame->GetView());
}

TEST_F(PrintImageFrameTest, ZoomButtonsClimbAndDescendTheLadder)
{
    ASSERT_TRUE(m_frame);
    // The label right-aligns the sign in three places below 100.
    const struct
    {
        const char* button;
        int zoom;
        const char* label;
    } steps[] = {{"zoomIn", 200, "200%"},  {"zoomIn", 300, "300%"},  {"zoomIn", 400, "400%"},
                 {"zoomIn", 500, "500%"},  {"zoomIn", 500, "500%"},  {"zoomOut", 400, "400%"},
                 {"zoomOut", 300, "300%"}, {"zoomOut", 200, "200%"}, {"zoomOut", 100, "100%"},
                 {"zoomOut", 50, "50  %"}, {"zoomOut", 50, "50  %"}, {"zoomIn", 100, "100%"}};
    for (const auto& step : steps) {
        Click(step.button);
        EXPECT_EVENTUALLY_EQ(m_frame->m_nZoom, step.zoom);
        EXPECT_EQ(m_document.m_nZoom, step.zoom);
        EXPECT_EQ(m_frame->m_pZoomSlider->value(), step.zoom);
        EXPECT_EQ(m_frame->m_pZoomLabel->text(), QString::fromLatin1(step.label));
        EXPECT_EQ(m_frame->GetView()->m_nEffectiveZoom, step.zoom);
    }
}

TEST_F(PrintImageFrameTest, DraggedZoomStepsToTheNeighbouringRungs)
{
    ASSERT_TRUE(m_frame);
    const struct
    {
        int dragged;
        const char* label;
        const char* button;
        int zoom;
    } cases[] = {{175, "175%", "zoomIn", 200}, {175, "175%", "zoomOut", 100},
                 {250, "250%", "zoomIn", 300}, {250, "250%", "zoomOut", 200},
                 {75, "75  %", "zoomIn", 100}, {99, "99  %", "zoomOut", 50}};
    for (const auto& c : cases) {
        int start = 100;
        int dragged = c.dragged; // where a drag from 100 left it
        m_frame->SetZoom(start);
        m_frame->SetZoom(dragged);
        ASSERT_EQ(m_frame->m_pZoomSlider->value(), c.dragged);
        EXPECT_EQ(m_frame->m_pZoomLabel->text(), QString::fromLatin1(c.label));
        Click(c.button);
        EXPECT_EVENTUALLY_EQ(m_frame->m_nZoom, c.zoom);
    }
    // A drag from 100 sampled at 150 is a step.
    int zoom = 100;
    m_frame->SetZoom(zoom);
    m_frame->m_pZoomSlider->setValue(150);
    EXPECT_EVENTUALLY_EQ(m_frame->m_nZoom, 200);
    EXPECT_EQ(m_frame->m_pZoomSlider->value(), 200);
}

TEST_F(PrintImageFrameTest, OnlyCtrlAloneWithTheWheelZooms)
{
    ASSERT_TRUE(m_frame);
    Wheel(120, Qt::ControlModifier);
    EXPECT_EQ(m_frame->m_nZoom, 200);
    Wheel(-360, Qt::ControlModifier); // one step whatever the delta
    EXPECT_EQ(m_frame->m_nZoom, 100);
    Wheel(120, Qt::ControlModifier | Qt::ShiftModifier);
    Wheel(120, Qt::ControlModifier, Qt::LeftButton);
    Wheel(-120, Qt::ControlModifier | Qt::AltModifier);
    Wheel(120, Qt::ShiftModifier);
    EXPECT_EQ(m_frame->m_nZoom, 100);
    // The plain wheel scrolls the page instead.
    Wheel(500, Qt::ControlModifier);
    Wheel(500, Qt::ControlModifier);
    ASSERT_EQ(m_frame->m_nZoom, 300);
    QScrollBar* bar = m_frame->GetView()->verticalScrollBar();
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->maximum() > 0; }));
    Wheel(-120, Qt::NoModifier);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(m_frame->m_nZoom, 300);
}

TEST_F(PrintImageFrameTest, ProgressBarShowsARotationAndEmptiesWhenFull)
{
    ASSERT_TRUE(m_frame);
    QCoreApplication::postEvent(m_frame, new ProgressEvent(50));
    EXPECT_EVENTUALLY_EQ(m_frame->m_pProgressBar->value(), 50);
    QCoreApplication::postEvent(m_frame, new ProgressEvent(100));
    QCoreApplication::sendPostedEvents(m_frame, ProgressEvent::kType);
    EXPECT_EQ(m_frame->m_pProgressBar->value(), 100);
    EXPECT_EVENTUALLY_EQ(m_frame->m_pProgressBar->value(), 0); // at the next idle pass
}

TEST_F(PrintImageFrameTest, KeysOfTheProgramItselfCloseTheWindow)
{
    ASSERT_TRUE(m_frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame));
    QTest::keyClick(m_frame, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_frame.isNull(); }));
    EXPECT_FALSE(m_document.m_pPrintImage);
}

TEST_F(PrintImageFrameTest, CtrlRAndCtrlLTurnThePageAndTheScrollSizeFollows)
{
    ASSERT_TRUE(m_frame);
    m_document.m_pComFile = std::make_unique<CDornComFile>();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame));
    const QSize upright = m_frame->GetView()->ScrollSize();
    QTest::keyClick(m_frame, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(m_document.m_pPrintImage->nRotation, 90);
    EXPECT_EQ(m_frame->GetView()->ScrollSize(), upright.transposed());
    QTest::keyClick(m_frame, Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(m_frame, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(m_document.m_pPrintImage->nRotation, 270);
    EXPECT_EQ(m_frame->GetView()->ScrollSize(), upright.transposed());
    EXPECT_EVENTUALLY_EQ(m_frame->m_pProgressBar->value(), 0);
}

TEST_F(PrintImageFrameTest, FailedTurnWarnsOverThePageWindowAndKeepsThePage)
{
    ASSERT_TRUE(m_frame);
    m_document.m_pComFile = std::make_unique<CDornComFile>();
    ASSERT_TRUE(m_document.m_pPrintImage->pBitmap->Create(4, 4, 8)); // a page it cannot turn
    int zoom = 300;
    m_frame->SetZoom(zoom);
    MessageRecorder boxes;
    m_frame->OnCommand(PrintImageFrame::kCmdRotateRight);
    ASSERT_EQ(boxes.Codes(), QStringList{QStringLiteral("05004")});
    // The main window is hidden while the page window is open; the box belongs to the latter.
    EXPECT_EQ(boxes.Boxes().front().owner, m_frame.data());
    EXPECT_EQ(m_document.m_pPrintImage->nRotation, 0);
    EXPECT_EQ(m_document.m_nZoom, 300);
}

// The page window in the running program, in place of its main window.
class PrintImageOpenTest : public ViewerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        m_document = theApp.GetDocument();
        ASSERT_NE(m_document, nullptr);
        m_main = theApp.GetMainFrame();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_main));
    }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    PrintImageFrame* Open(std::uint32_t page)
    {
        m_document->m_pPrintImage = MakeSyntheticPage(62, 88);
        m_document->m_nPageToOpen = page;
        return CreatePrintImageWindow(*m_document);
    }

    CPYRNDoc* m_document = nullptr;
    CMainFrame* m_main = nullptr;
};

TEST_F(PrintImageOpenTest, ClosingFreesThePageResetsTheZoomAndBringsBackTheMainWindow)
{
    // Closing the only visible window must not end the program: only the main frame may.
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QPointer<PrintImageFrame> frame = Open(7);
    ASSERT_TRUE(frame);
    EXPECT_FALSE(m_main->isVisible());
    EXPECT_TRUE(frame->isVisible());
    int zoom = 400;
    frame->SetZoom(zoom);
    ASSERT_EQ(m_document->m_nZoom, 400);

    frame->close();
    EXPECT_EQ(m_document->m_nZoom, 100);
    EXPECT_EQ(m_document->m_nPageToOpen, 0u);
    EXPECT_FALSE(m_document->m_pPrintImage);
    EXPECT_TRUE(m_main->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.isNull(); }));
    EXPECT_EQ(lastClosed.count(), 0);
    EXPECT_EQ(m_document->GetView(ViewSlot::PageImage), nullptr);

    // The next page opens at 100 % again, and the program still serves it.
    frame = Open(8);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->m_nZoom, 100);
    EXPECT_EQ(frame->GetView()->m_nEffectiveZoom, 100);
    frame->close();
}

TEST_F(PrintImageOpenTest, TakesTheStoredSizeCentredAndStoresItsOwnOnClosing)
{
    theApp.m_nPrintImageWidth = 640;
    theApp.m_nPrintImageHeight = 480;
    QPointer<PrintImageFrame> frame = Open(1);
    ASSERT_TRUE(frame);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    EXPECT_EQ(frame->frameGeometry().size(), QSize(640, 480));
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(frame->frameGeometry().topLeft(), QPoint(work.left() + (work.width() - 640) / 2,
                                                       work.top() + (work.height() - 480) / 2));

    // The outer size comes back as it was kept, not grown by the window's decoration.
    frame->resize(700, 520);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->size() == QSize(700, 520); }));
    const QSize outer = frame->frameGeometry().size();
    frame->close();
    EXPECT_EQ(QSize(theApp.m_nPrintImageWidth, theApp.m_nPrintImageHeight), outer);
    frame = Open(2);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->frameGeometry().size(), outer);
    frame->close();
}

TEST_F(PrintImageOpenTest, MinimisedWindowStoresTheSizeItComesBackWith)
{
    QPointer<PrintImageFrame> frame = Open(1);
    ASSERT_TRUE(frame);
    frame->resize(610, 430);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->size() == QSize(610, 430); }));
    const QSize outer = frame->frameGeometry().size();
    frame->showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->isMinimized(); }));
    frame->close();
    EXPECT_EQ(QSize(theApp.m_nPrintImageWidth, theApp.m_nPrintImageHeight), outer);
}

TEST_F(PrintImageOpenTest, WindowThatCannotBeMadeLeavesTheMainWindowVisible)
{
    m_document->m_pPrintImage = MakeSyntheticPage(62, 88);
    m_document->m_nPageToOpen = 4;
    const auto noFrame = [](CPYRNDoc&) -> PrintImageFrame* { return nullptr; };
    EXPECT_EQ(CreatePrintImageWindow(*m_document, noFrame), nullptr);
    EXPECT_TRUE(m_main->isVisible());
    EXPECT_FALSE(m_document->m_pPrintImage);
    EXPECT_EQ(m_document->m_nPageToOpen, 0u);
}

TEST_F(PrintImageOpenTest, PageThatCannotBeLoadedOpensNothing)
{
    // No page images in this log: LoadPrintImage refuses, and the main window stays.
    EXPECT_EQ(OpenPrintImageWindow(*m_document, 5), nullptr);
    EXPECT_EQ(m_document->m_nPageToOpen, 5u);
    EXPECT_TRUE(m_main->isVisible());
}

} // namespace

// The road both openers take, on a real log: the page decoded behind its progress dialog, the
// main window hidden, the page window titled with the page and showing it.
class PrintImageRoadTest : public ThumbnailFixture
{};

TEST_F(PrintImageRoadTest, OpensTheDecodedPageInPlaceOfTheMainWindow)
{
    CollectPages({5, 4, 3, 2, 1});
    QPointer<PrintImageFrame> frame = OpenPrintImageWindow(*m_document, 3);
    ASSERT_TRUE(frame);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_FALSE(m_frame->isVisible());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), ResourceModule::String(138) + QStringLiteral(" - 3"));
    const auto expected = Decode(3, -1);
    ASSERT_TRUE(expected && m_document->m_pPrintImage);
    EXPECT_TRUE(SamePixels(*m_document->m_pPrintImage->pBitmap, *expected->pBitmap));
    frame->close();
}
