// A panel with its own two scroll bars laid over its right and bottom edges; subclasses lay
// out their contents and report how far they reach.
#pragma once

#include "viewer/controls/PanelLayout.h"

#include <QScrollBar>
#include <QWidget>

class CScrollCustomCtrl : public QWidget
{
    Q_OBJECT

public:
    explicit CScrollCustomCtrl(QWidget* parent = nullptr);
    ~CScrollCustomCtrl() override;

    // Widgets need no class registration; kept so that creators keep their order of steps.
    // The class's look (button-face background, arrow cursor) comes with every panel.
    static bool RegisterWindowClass();

    // Places and updates the bars and repaints the panel.
    virtual void RecalcLayout();
    // The content's extent in pixels along the scrolling direction.
    virtual int CalcLayout();

    void PositionScrollBars();
    void UpdateScrollBars();
    // Moves the bar of the current mode as the request says; true when its position changed.
    bool HandleScroll(controls::ScrollCode code, int thumbPos);

    QScrollBar m_wndHScroll{Qt::Horizontal, this};
    QScrollBar m_wndVScroll{Qt::Vertical, this};
    int m_nLayoutMode = controls::kLayoutRow;

protected:
    // The bar that scrolls in the current mode, and its position, read even while hidden.
    QScrollBar& ModeScrollBar();
    int ScrollBarExtent() const;

    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnScrollBarAction(QScrollBar& bar, int action);
    // One line per wheel message in the mode's direction, whatever the delta's size.
    bool OnMouseWheel(const QWheelEvent& event);
};
