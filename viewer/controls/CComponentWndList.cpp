#include "viewer/controls/CComponentWndList.h"

CComponentWndList::~CComponentWndList()
{
    DeleteAll();
}

bool CComponentWndList::Add(std::unique_ptr<CComponentWnd> component)
{
    if (!component) {
        return false;
    }
    m_components.push_back(std::move(component));
    return true;
}

void CComponentWndList::DeleteAll()
{
    for (std::unique_ptr<CComponentWnd>& component : m_components) {
        component.reset();
    }
    m_components.clear();
}
