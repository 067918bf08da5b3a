// A scrolling panel that owns a list of components.
#pragma once

#include "viewer/controls/CComponentWndList.h"
#include "viewer/controls/CScrollCustomCtrl.h"

class CBasePanel : public CScrollCustomCtrl
{
    Q_OBJECT

public:
    explicit CBasePanel(QWidget* parent = nullptr);
    // Deletes the components before the list and the scroll bars go.
    ~CBasePanel() override;

    CComponentWndList m_components;
};
