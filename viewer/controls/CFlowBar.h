// The thumbnail pane: a dockable pane holding one flow panel of thumbnails. It shows no
// context menu.
#pragma once

#include "viewer/controls/CFlowPanel.h"

#include <QDockWidget>
#include <memory>

class CFlowBar : public QDockWidget
{
    Q_OBJECT

public:
    // The pane's width when first docked (the main window sizes docked panes).
    static constexpr int kPaneWidth = 500;

    explicit CFlowBar(QWidget* parent = nullptr);
    ~CFlowBar() override;

    // Lays the panel out (the pane's own layout keeps it on the client area); the main frame
    // calls it after each added thumbnail.
    void AdjustLayout();

    std::unique_ptr<CFlowPanel> m_pPanel;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};
