#include "viewer/controls/CBasePanel.h"

CBasePanel::CBasePanel(QWidget* parent) : CScrollCustomCtrl(parent)
{
    m_nLayoutMode = controls::kLayoutFlow;
}

CBasePanel::~CBasePanel()
{
    m_components.DeleteAll();
}
