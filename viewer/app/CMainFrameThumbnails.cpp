// The main frame's side of the thumbnails: the pane filled page by page, the run's progress on
// the status bar, and a double-clicked thumbnail opening its page.
#include "formats/common/NumberParsing.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/controls/CFlowBar.h"
#include "viewer/controls/CThumbComponentWnd.h"
#include "viewer/document/AddThumbnailEvent.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/pagewindow/PrintImageWindow.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <algorithm>
#include <limits>

void CMainFrame::ClearThumbnails()
{
    if (m_wndFlowBar == nullptr) {
        return;
    }
    // Thumbnails posted for the pictures that go with the pane must not land afterwards.
    QCoreApplication::removePostedEvents(this, AddThumbnailEvent::kType);
    CFlowPanel& panel = *m_wndFlowBar->m_pPanel;
    panel.m_components.DeleteAll();
    panel.m_wndHScroll.setValue(0);
    panel.m_wndVScroll.setValue(0);
    m_wndFlowBar->AdjustLayout();
}

void CMainFrame::SetThumbnailProgressRange(std::size_t count)
{
    // An empty range stays an empty bar rather than Qt's busy indicator.
    const auto maximum = std::min<std::size_t>(count, std::numeric_limits<int>::max());
    m_pProgressBar->setRange(0, std::max(static_cast<int>(maximum), 1));
}

void CMainFrame::OnProgressPos(int position)
{
    m_pProgressBar->setValue(position);
}

void CMainFrame::OnAddThumbnail(std::uint32_t page, const tagDORNPAGEIMGINFO* record)
{
    const CPYRNDoc* document = GetActiveDocument();
    if (document == nullptr || m_wndFlowBar == nullptr) {
        return;
    }
    CFlowPanel* panel = m_wndFlowBar->m_pPanel.get();
    auto component = std::make_unique<CThumbComponentWnd>();
    component->m_cx = CThumbComponentWnd::kThumbSize;
    component->m_cy = CThumbComponentWnd::kThumbSize;
    // A thumbnail without a window of its own has no button to show the page: it is dropped.
    if (!component->Create(panel) || !component->m_pButton) {
        return;
    }
    component->m_pButton->SetPage(page, record, document->m_pPlaceholderThumb.get(),
                                  document->m_pThumbOverlayIcon.get());
    panel->m_components.Add(std::move(component));
    m_wndFlowBar->AdjustLayout();
}

void CMainFrame::OnThumbnailDoubleClicked(const QString& pageText)
{
    CPYRNDoc* document = GetActiveDocument();
    if (document == nullptr) {
        return;
    }
    std::uint64_t value = 0;
    const bool fits = ParseUInt64(pageText.toStdString(), value) == 0 &&
                      value <= std::numeric_limits<std::uint32_t>::max();
    document->m_nPageToOpen = fits ? static_cast<std::uint32_t>(value) : 0;
    // The page window takes this frame's place until it closes.
    if (document->LoadPrintImage()) {
        CreatePrintImageWindow(*document);
    }
}
