#include "viewer/CPYRNDoc.h"

#include "formats/image/CBitmapData.h"
#include "formats/joblog/JobLogFile.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "viewer/ProgressDialog.h"

std::array<bool, 6> g_bMailSortAscending{true, true, true, true, true, true};
std::array<bool, 6> g_bSheetSortAscending{true, true, true, true, true, true};

CPYRNDoc::CPYRNDoc(QObject* parent) : QObject(parent) {}

CPYRNDoc::~CPYRNDoc()
{
    ClearLoadedData();
}

void CPYRNDoc::SetView(ViewSlot slot, DocumentView* view)
{
    m_views[static_cast<std::size_t>(slot)] = view;
}

void CPYRNDoc::RemoveView(DocumentView* view)
{
    for (auto& registered : m_views) {
        if (registered == view) {
            registered = nullptr;
        }
    }
}

DocumentView* CPYRNDoc::GetView(ViewSlot slot) const
{
    return m_views[static_cast<std::size_t>(slot)];
}

void CPYRNDoc::UpdateAllViews(DocumentView* sender, int hint)
{
    for (DocumentView* view : m_views) {
        if (view != nullptr && view != sender) {
            view->OnUpdate(sender, hint);
        }
    }
}

void CPYRNDoc::ClearLoadedData() {}
bool CPYRNDoc::OnNewDocument()
{
    return true;
}
bool CPYRNDoc::OnOpenDocument(const QString&)
{
    return false;
}
void CPYRNDoc::FillDocument(OpenLogContext&) {}
void CPYRNDoc::RunWorker(ProgressDialog&, std::function<void()>) {}
void CPYRNDoc::OnFileOpen() {}
void CPYRNDoc::OnFileSaveCsv() {}
bool CPYRNDoc::OnSaveDocument(const QString&)
{
    return false;
}
JobDetail* CPYRNDoc::FindDetail(std::uint32_t) const
{
    return nullptr;
}
CPYRNDoc::SheetPointers* CPYRNDoc::GetSheetList(std::uint32_t) const
{
    return nullptr;
}
bool CPYRNDoc::HasMailPage(std::uint32_t) const
{
    return false;
}
void CPYRNDoc::FreeMailPageList() {}
void CPYRNDoc::ResetPageImageCache(bool) {}
QSize CPYRNDoc::GetPrintImageSize() const
{
    return {};
}
int CPYRNDoc::CheckPageImages()
{
    return -1;
}
bool CPYRNDoc::StartThumbnailThread()
{
    return false;
}
bool CPYRNDoc::LoadPrintImage()
{
    return false;
}
bool CPYRNDoc::RotatePageImage(bool, QWidget*)
{
    return false;
}
bool CPYRNDoc::SortMailList(int)
{
    return true;
}
bool CPYRNDoc::SortSheetList(std::uint32_t, int)
{
    return true;
}
void CPYRNDoc::ResetSheetListOrder() {}
void CPYRNDoc::BuildMailFilterCandidates(int) {}
void CPYRNDoc::BuildSheetFilterCandidates(std::uint32_t, int) {}
void CPYRNDoc::RebuildFilteredMailList() {}
void CPYRNDoc::ResetMailFilterState() {}
void CPYRNDoc::ResetSheetFilterState() {}
QWidget* CPYRNDoc::MainWindow()
{
    return nullptr;
}
