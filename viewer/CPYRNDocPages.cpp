// The document's page-image cache and page-image threads.
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "viewer/CPYRNDoc.h"

#include <algorithm>

bool CPYRNDoc::HasMailPage(std::uint32_t page) const
{
    return m_pMailPages &&
           std::find(m_pMailPages->begin(), m_pMailPages->end(), page) != m_pMailPages->end();
}

void CPYRNDoc::FreeMailPageList()
{
    m_pMailPages.reset();
}

void CPYRNDoc::ResetPageImageCache(bool recreate)
{
    m_pPageCache.reset();
    if (recreate) {
        m_pPageCache = std::make_unique<PageCache>();
    }
}

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

bool CPYRNDoc::RotatePageImage(bool right, QWidget* progressWindow)
{
    (void)right;
    (void)progressWindow;
    return false;
}
