// The components of a panel in layout order; the list owns them.
#pragma once

#include "viewer/controls/CComponentWnd.h"

#include <cstddef>
#include <memory>
#include <vector>

class CComponentWndList
{
public:
    CComponentWndList() = default;
    virtual ~CComponentWndList();
    CComponentWndList(const CComponentWndList&) = delete;
    CComponentWndList& operator=(const CComponentWndList&) = delete;

    // Appends the component and takes it over; false, with nothing added, for none.
    bool Add(std::unique_ptr<CComponentWnd> component);
    // Deletes every component in list order and empties the list. Neither the layout nor the
    // scroll bars change: whoever empties a panel resets its scroll positions.
    void DeleteAll();

    std::size_t size() const { return m_components.size(); }
    bool empty() const { return m_components.empty(); }
    CComponentWnd* operator[](std::size_t index) const { return m_components[index].get(); }

private:
    std::vector<std::unique_ptr<CComponentWnd>> m_components;
};
