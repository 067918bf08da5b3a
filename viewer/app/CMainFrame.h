#pragma once

#include <QMainWindow>
#include <cstddef>
#include <cstdint>
#include <vector>

class CFlowBar;
class CPYRNDoc;
class QAction;
class QMenu;
class QMenuBar;
class QProgressBar;
class QStackedWidget;
class QStatusBar;
struct tagDORNPAGEIMGINFO;

// The viewer's main window: the menu, the status bar with the thumbnail progress, the
// thumbnail pane on the right, and one of the three views as its client.
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    // Commands of the menu and the accelerators.
    static constexpr unsigned kCmdJobResult = 130;
    static constexpr unsigned kCmdFileOpen = 131;
    static constexpr unsigned kCmdSaveCsv = 134;
    static constexpr unsigned kCmdMailList = 136;
    static constexpr unsigned kCmdMailDetail = 137;
    static constexpr unsigned kCmdAbout = 197;
    static constexpr unsigned kCmdExit = 203;
    static constexpr unsigned kCmdNextView = 32778;
    static constexpr unsigned kCmdPrevView = 32779;
    static constexpr unsigned kProgressId = 317;
    static constexpr unsigned kFlowBarId = 318;

    CMainFrame();
    ~CMainFrame() override;

    // Builds the bars and the pane; 0 success, -1 failure.
    int OnCreate();

    // The views live in a stack; the one shown is the active view.
    void AddView(QWidget* view);
    QWidget* GetActiveView() const;
    void SetActiveView(QWidget* view);

    // The title: `title`, " - ", the application title.
    void UpdateFrameTitleForDocument(const QString& title);

    // Runs a command of the menu or the accelerators, as the frame routes it. Commands that
    // are disabled do nothing.
    void OnCommand(unsigned id);
    bool IsCommandEnabled(unsigned id) const;
    // Enables 134, 136 and 137 by the document's state; called whenever that may have changed.
    void UpdateCommandStates();
    // The menu's action of command `id`, or null.
    QAction* CommandAction(unsigned id) const;

    void OnNextView();
    void OnPrevView();
    void SetupViewsAfterOpen();
    void InitBasicCommands();
    // Shows or hides the thumbnail pane, which keeps the width the user gave it.
    void ShowFlowBar(bool show);

    // --- The thumbnail pane and its run (CMainFrameThumbnails.cpp) ---
    // Deletes every thumbnail, with those still on their way, and scrolls the pane to its start.
    void ClearThumbnails();
    // The status bar's progress runs from 0 to `count` thumbnails.
    void SetThumbnailProgressRange(std::size_t count);
    void OnProgressPos(int position);
    // A thumbnail for `page` at the end of the pane: the record's picture, or the document's
    // placeholder without a record.
    void OnAddThumbnail(std::uint32_t page, const tagDORNPAGEIMGINFO* record);
    // Opens the page whose number a thumbnail's caption carries.
    void OnThumbnailDoubleClicked(const QString& pageText);

    QMenuBar* m_wndMenuBar = nullptr;
    QStatusBar* m_wndStatusBar = nullptr;
    QProgressBar* m_pProgressBar = nullptr; // owned by the status bar
    CFlowBar* m_wndFlowBar = nullptr;
    std::vector<QAction*> m_hMainAccel; // the program's own accelerators

    // The default size: every view whole, the mail detail view with all its columns beside the
    // thumbnail pane; no larger than the screen's free area.
    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenu();
    void AddAccelerator(const QKeySequence& keys, unsigned id);
    CPYRNDoc* GetActiveDocument() const;

    QStackedWidget* m_pViews = nullptr;
    std::vector<unsigned> m_basicCommands;
};
