// One thumbnail in the pane: a component holding one thumbnail button, which it passes double
// clicks from on to the main window.
#pragma once

#include "viewer/controls/CComponentWnd.h"
#include "viewer/controls/CThumbButton.h"

#include <memory>

class CThumbComponentWnd : public CComponentWnd
{
public:
    static constexpr int kThumbSize = 160; // every thumbnail's m_cx and m_cy

    CThumbComponentWnd() = default;
    ~CThumbComponentWnd() override;

    // Where double clicks end: the main window, which the main frame names at its creation.
    static void SetMainWindow(QObject* mainWindow);
    static QObject* MainWindow();

    // The component's window and a new button in it (sized at the first MoveToRect); false,
    // with no button, without a parent.
    bool Create(QWidget* parent) override;
    void DestroyContents() override;
    // The component's window, then the button inside it, 2 pixels in at the left and top.
    void MoveToRect() override;

    std::unique_ptr<CThumbButton> m_pButton;

protected:
    bool event(QEvent* event) override;
};
