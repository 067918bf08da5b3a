#include "viewer/pagewindow/PrintImageView.h"

#include "formats/image/CBitmapData.h"
#include "formats/image/RunInBands.h"
#include "formats/image/StretchRegion.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/pagewindow/PrintImageFrame.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <new>
#include <vector>

using namespace PrintImageGeometry;

namespace {

// Rows a thread stretches at a time: few enough to share the work out evenly, enough that
// setting up each band costs little.
constexpr int kBandRows = 32;

// The region stretch of `area` in horizontal bands: each pixel depends only on the source
// under it, so the bands together are the area's stretch. The page is only read meanwhile.
bool StretchInBands(const CBitmapData& page, const DeviceRect& target,
                    const formats::StretchArea& area, std::uint8_t* pixels, std::size_t stride)
{
    return formats::RunInBands(area.height, kBandRows, [&](int top, int bottom) {
        const formats::StretchArea rows{area.x, area.y + top, area.width, bottom - top};
        return formats::StretchHalftoneRegion(page, target.Width(), target.Height(), rows,
                                              pixels + top * stride, stride);
    });
}

} // namespace

PrintImageView::PrintImageView(CPYRNDoc* document, QWidget* parent)
    : QAbstractScrollArea(parent), m_pDocument(document)
{
    // Every paint covers its whole area, so nothing is erased first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    if (m_pDocument) {
        m_pDocument->SetView(ViewSlot::PageImage, this);
    }
}

PrintImageView::~PrintImageView()
{
    if (m_pDocument) {
        m_pDocument->RemoveView(this);
    }
}

QColor PrintImageView::BackgroundColour() const
{
    return palette().color(QPalette::Dark); // the button shadow
}

Resolution PrintImageView::Dpi() const
{
    return {std::max(1, logicalDpiX()), std::max(1, logicalDpiY())};
}

QSize PrintImageView::PageSize() const
{
    return m_pDocument ? m_pDocument->GetPrintImageSize() : QSize(0, 0);
}

int PrintImageView::CalcZoomPercent()
{
    const int zoom = m_pDocument ? m_pDocument->m_nZoom : 100;
    m_nEffectiveZoom =
        PrintImageGeometry::CalcZoomPercent(zoom, viewport()->size(), PageSize(), Dpi());
    return m_nEffectiveZoom;
}

QSize PrintImageView::CalcScrollSize()
{
    if (!m_pDocument || m_pDocument->m_nZoom == kFitPage) {
        return {1, 1};
    }
    const int zoom = CalcZoomPercent();
    return PrintImageGeometry::CalcScrollSize(m_pDocument->m_nZoom, zoom, PageSize(), Dpi());
}

QPoint PrintImageView::CalcPageOrigin()
{
    if (!m_pDocument) {
        return {0, 0};
    }
    const QSize zoomed = ZoomedPageSize(PageSize(), CalcZoomPercent(), Dpi());
    const QScrollBar* horizontal = horizontalScrollBar();
    const QScrollBar* vertical = verticalScrollBar();
    return PrintImageGeometry::CalcPageOrigin({horizontal->value(), vertical->value()},
                                              horizontal->maximum() > 0, vertical->maximum() > 0,
                                              viewport()->size(), zoomed);
}

PageMapping PrintImageView::OnPrepareDC()
{
    PageMapping mapping;
    mapping.extent = WindowExtent(CalcZoomPercent());
    mapping.dpi = Dpi();
    mapping.origin = CalcPageOrigin();
    return mapping;
}

void PrintImageView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0);
    if (m_pDocument) {
        ShowPrintImageWindow(m_pDocument->m_nPageToOpen);
    }
}

void PrintImageView::OnUpdate(DocumentView* sender, int hint)
{
    (void)sender;
    (void)hint;
    SetScrollSizes(CalcScrollSize());
    viewport()->update();
}

void PrintImageView::SetScrollSizes(QSize size)
{
    m_scrollSize = size;
    // A page is a tenth of the size, a line a tenth of a page.
    const auto set = [](QScrollBar* bar, int total, int client) {
        const int page = std::max(1, total / 10);
        bar->setPageStep(page);
        bar->setSingleStep(std::max(1, page / 10));
        bar->setRange(0, std::max(0, total - client));
    };
    set(horizontalScrollBar(), size.width(), viewport()->width());
    set(verticalScrollBar(), size.height(), viewport()->height());
}

void PrintImageView::OnDraw(QPainter& painter, const QRect& area)
{
    if (!m_pDocument) {
        return;
    }
    const PageMapping mapping = OnPrepareDC();
    const tagDORNPAGEIMGINFO* image = m_pDocument->m_pPrintImage.get();
    const QSize page = PageSize();
    // The background where no page pixel will lie.
    QRegion background(area);
    if (image != nullptr && image->pBitmap) {
        background -= mapping.PageRect(page).Intersected(area);
    }
    for (const QRect& rect : background) {
        painter.fillRect(rect, BackgroundColour());
    }
    if (image == nullptr) {
        return;
    }
    if (image->pBitmap) {
        DrawPageImage(painter, mapping, *image->pBitmap, page, area);
    }
    DrawPageFrame(painter, mapping, page, kFramePenWidth, QColor(Qt::black), area);
}

void PrintImageView::DrawPageImage(QPainter& painter, const PageMapping& mapping,
                                   const CBitmapData& bitmap, QSize page, const QRect& area)
{
    const DeviceRect target = mapping.PageRect(page);
    const QRect exposed = target.Intersected(area);
    if (exposed.isEmpty()) {
        return;
    }
    const std::size_t stride =
        (3 * static_cast<std::size_t>(exposed.width()) + 3) & ~std::size_t{3};
    const std::size_t bytes = stride * static_cast<std::size_t>(exposed.height());
    const formats::StretchArea region{exposed.left() - target.left, exposed.top() - target.top,
                                      exposed.width(), exposed.height()};
    if (!GrowPixels(bytes) || !StretchInBands(bitmap, target, region, m_pixels.data(), stride)) {
        // Nothing of the page to show there this time, and nothing stale either.
        painter.fillRect(exposed, BackgroundColour());
        return;
    }
    const QImage pixels(m_pixels.data(), exposed.width(), exposed.height(),
                        static_cast<qsizetype>(stride), QImage::Format_BGR888);
    painter.drawImage(exposed.topLeft(), pixels);
}

bool PrintImageView::GrowPixels(std::size_t bytes)
{
    if (m_pixels.size() < bytes) {
        try {
            m_pixels.resize(bytes);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    return true;
}

void PrintImageView::DrawPageFrame(QPainter& painter, const PageMapping& mapping, QSize page,
                                   int penWidth, const QColor& colour, const QRect& area)
{
    for (const DeviceRect& side : mapping.FrameSides(page, penWidth)) {
        const QRect visible = side.Intersected(area);
        if (!visible.isEmpty()) {
            painter.fillRect(visible, colour);
        }
    }
}

void PrintImageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    OnDraw(painter, event->rect());
}

void PrintImageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    OnUpdate(nullptr, 0);
}

void PrintImageView::scrollContentsBy(int dx, int dy)
{
    // What stays in view is moved; only the uncovered strips are painted.
    viewport()->scroll(dx, dy);
}

void PrintImageView::wheelEvent(QWheelEvent* event)
{
    // The view scrolls with the plain wheel only; with Ctrl or Shift the wheel is the frame's,
    // whichever widget has the focus.
    if (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) {
        if (auto* frame = qobject_cast<PrintImageFrame*>(window())) {
            frame->OnMouseWheel(event->modifiers(), event->buttons(),
                                PrintImageFrame::WheelDelta(*event));
        }
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}
