// A panel that places its components left to right and wraps them into rows (flow mode), or
// keeps them in one row (row mode).
#pragma once

#include "viewer/controls/CBasePanel.h"

#include <vector>

class CFlowPanel : public CBasePanel
{
    Q_OBJECT

public:
    explicit CFlowPanel(QWidget* parent = nullptr);
    ~CFlowPanel() override;

    // Lays the components out for the width that the vertical bar left before this pass;
    // when the pass shows or hides the bar, the rows follow at the next pass.
    void RecalcLayout() override;
    // Writes every component's unscrolled place; moves no window.
    int CalcLayout() override;

private:
    // Moves every component's window to its place less the scroll position.
    void MoveComponents(int scrollPos);
    int ScrollPosition();

    std::vector<controls::FlowItem> m_items; // reused by every pass
};
