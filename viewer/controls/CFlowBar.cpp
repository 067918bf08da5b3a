#include "viewer/controls/CFlowBar.h"

#include <QContextMenuEvent>

CFlowBar::CFlowBar(QWidget* parent) : QDockWidget(parent), m_pPanel(std::make_unique<CFlowPanel>())
{
    setObjectName(QStringLiteral("control318"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    CScrollCustomCtrl::RegisterWindowClass();
    m_pPanel->setObjectName(QStringLiteral("LayoutControl"));
    m_pPanel->setFocusPolicy(Qt::TabFocus);
    m_pPanel->m_nLayoutMode = controls::kLayoutFlow;
    setWidget(m_pPanel.get());
    setFocusProxy(m_pPanel.get());
    AdjustLayout();
}

CFlowBar::~CFlowBar() = default;

void CFlowBar::AdjustLayout()
{
    // The pane's layout already keeps the panel on its client area.
    m_pPanel->RecalcLayout();
}

void CFlowBar::moveEvent(QMoveEvent* event)
{
    QDockWidget::moveEvent(event);
    update();
}

void CFlowBar::resizeEvent(QResizeEvent* event)
{
    QDockWidget::resizeEvent(event);
    AdjustLayout();
}

void CFlowBar::contextMenuEvent(QContextMenuEvent* event)
{
    // Taken here, so that the main window never offers its own menu of bars over the pane.
    event->accept();
}
