#pragma once

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <vector>

class CPYRNDoc;
class PrintImageView;
class QAction;
class QLabel;
class QMenuBar;
class QProgressBar;
class QSlider;
class QStatusBar;
class QToolButton;

// The page-image window: a top-level window of its own around one PrintImageView, with the
// menu of resource 320, the zoom label, slider and progress bar in its status bar. While it is
// open the main window is hidden; closing it frees the page, resets the zoom and shows the
// main window again. It deletes itself when closed.
class PrintImageFrame : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr unsigned kMenuResource = 320;
    static constexpr unsigned kTitleString = 138;
    static constexpr unsigned kCmdAbout = 197;
    static constexpr unsigned kCmdRotateRight = 206;
    static constexpr unsigned kCmdRotateLeft = 207;
    static constexpr unsigned kCmdClose = 208;
    static constexpr unsigned kZoomSliderId = 314;
    static constexpr unsigned kProgressId = 317;

    // A frame for `document`, which must outlive its opening; made the process's current page
    // window (g_pPrintImageFrame).
    explicit PrintImageFrame(CPYRNDoc* document);
    ~PrintImageFrame() override;

    // Builds the menu bar, the status bar and its elements, and the view; 0 success.
    int OnCreate();
    PrintImageView* GetView() const { return m_pView; }

    // Applies a requested zoom (a slider position or a wheel step), snapping a step onto the
    // ladder 50, 100, 200, 300, 400, 500; the value applied is written back to `zoom`.
    void SetZoom(int& zoom);
    // The idle pass of the zoom slider: a moved slider is applied; a full progress bar is
    // emptied.
    void OnUpdateZoomSlider();
    // Exactly Ctrl (no other key, no mouse button) with the wheel steps the zoom by 50.
    void OnMouseWheel(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons, int delta);
    // The turn of a wheel event: vertical, else horizontal.
    static int WheelDelta(const QWheelEvent& event);
    void OnRotateRight();
    void OnRotateLeft();
    // Runs a command of the menu or the accelerators.
    void OnCommand(unsigned id);
    // The label text of a zoom: "100%", but "50  %" below 100 (the sign in three places).
    static QString ZoomLabelText(int zoom);

    QMenuBar* m_wndMenuBar = nullptr;
    QStatusBar* m_wndStatusBar = nullptr;
    QLabel* m_pZoomLabel = nullptr;
    QSlider* m_pZoomSlider = nullptr;
    QProgressBar* m_pProgressBar = nullptr;
    int m_nZoom = 100;
    std::vector<QAction*> m_hAccel; // the program's own accelerators

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void BuildMenu();
    QWidget* BuildZoomSlider();
    void AddAccelerator(const QKeySequence& keys, unsigned id);
    // Runs OnUpdateZoomSlider once the events now queued are handled, as an idle pass would.
    void ScheduleIdleUpdate();
    // Saves the size, resets the document and shows the main window again.
    void OnDestroy();
    // The outer size to keep: the normal size of a minimised window.
    QSize StoredSize() const;

    QPointer<CPYRNDoc> m_pDocument;
    PrintImageView* m_pView = nullptr;
    bool m_bIdlePending = false;
    bool m_bDestroyed = false;
};

// The page window most recently made, or null once it is gone.
extern QPointer<PrintImageFrame> g_pPrintImageFrame;

// Titles the current page window with string 138, " - " and `page`, gives it the stored outer
// size and centres it in the work area.
void ShowPrintImageWindow(std::uint32_t page);
