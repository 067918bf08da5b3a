#include "viewer/pagewindow/PrintImageGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace PrintImageGeometry {
namespace {

std::int64_t ClampSide(std::int64_t side)
{
    return std::clamp<std::int64_t>(side, 0, kMaxZoomedSize);
}

// Centred along an axis where the page fits, else scrolled; then the margin.
int OriginAxis(bool bar, int scrollPosition, int client, int zoomed)
{
    const std::int64_t start =
        bar ? -std::int64_t{scrollPosition}
            : (std::int64_t{client} - (std::int64_t{zoomed} + 2 * kMargin)) / 2;
    return static_cast<int>(std::clamp<std::int64_t>(start + kMargin, INT_MIN, INT_MAX));
}

} // namespace

std::int64_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c)
{
    // Callers pass operands within 32 bits, so the product fits 64.
    if (c == 0) {
        return 0;
    }
    const std::int64_t product = a * b;
    std::int64_t quotient = product / c;
    const std::int64_t remainder = product % c;
    if (2 * std::llabs(remainder) >= std::llabs(c)) {
        quotient += (product < 0) == (c < 0) ? 1 : -1;
    }
    return quotient;
}

int SnapZoomStep(int current, int request)
{
    if (std::abs(current - request) != kZoomStep) {
        return request;
    }
    if (current > request) {
        return current > 400   ? 400
               : current > 300 ? 300
               : current > 200 ? 200
               : current > 100 ? 100
                               : 50;
    }
    return current < 100   ? 100
           : current < 200 ? 200
           : current < 300 ? 300
           : current < 400 ? 400
                           : 500;
}

int CalcZoomPercent(int documentZoom, QSize client, QSize page, Resolution dpi)
{
    if (documentZoom != kFitPage && documentZoom != kFitWidth) {
        return std::clamp(documentZoom, kMinZoom, kMaxZoom);
    }
    if (page.width() <= 0 || (documentZoom == kFitPage && page.height() <= 0)) {
        return kMinZoom;
    }
    // The client less the margins, in tenths of a millimetre.
    const std::int64_t across = MulDiv(kTenthsPerInch, client.width() - 2 * kMargin, dpi.x);
    const std::int64_t down = MulDiv(kTenthsPerInch, client.height() - 2 * kMargin, dpi.y);
    const std::int64_t fitWidth = across * 100 / page.width();
    std::int64_t zoom = fitWidth;
    if (documentZoom == kFitPage) {
        zoom = std::min(fitWidth, down * 100 / page.height());
    }
    return static_cast<int>(std::clamp<std::int64_t>(zoom, kMinZoom, kMaxZoom));
}

QSize ZoomedPageSize(QSize page, int zoomPercent, Resolution dpi)
{
    const std::int64_t width = MulDiv(std::max(0, page.width()), dpi.x, kTenthsPerInch);
    const std::int64_t height = MulDiv(std::max(0, page.height()), dpi.y, kTenthsPerInch);
    return {static_cast<int>(ClampSide(zoomPercent * width / 100)),
            static_cast<int>(ClampSide(zoomPercent * height / 100))};
}

QSize CalcScrollSize(int documentZoom, int zoomPercent, QSize page, Resolution dpi)
{
    if (documentZoom == kFitPage) {
        return {1, 1};
    }
    const QSize zoomed = ZoomedPageSize(page, zoomPercent, dpi);
    const int height = zoomed.height() + 2 * kMargin;
    return {documentZoom == kFitWidth ? 1 : zoomed.width() + 2 * kMargin, height};
}

QPoint CalcPageOrigin(QPoint scrollPosition, bool horizontalBar, bool verticalBar, QSize client,
                      QSize zoomedPage)
{
    return {OriginAxis(horizontalBar, scrollPosition.x(), client.width(), zoomedPage.width()),
            OriginAxis(verticalBar, scrollPosition.y(), client.height(), zoomedPage.height())};
}

int WindowExtent(int zoomPercent)
{
    return static_cast<int>(
        MulDiv(kTenthsPerInch, 100, std::clamp(zoomPercent, kMinZoom, kMaxZoom)));
}

QRect DeviceRect::Intersected(const QRect& area) const
{
    const std::int64_t l = std::max<std::int64_t>(left, area.left());
    const std::int64_t t = std::max<std::int64_t>(top, area.top());
    const std::int64_t r = std::min<std::int64_t>(right, std::int64_t{area.left()} + area.width());
    const std::int64_t b = std::min<std::int64_t>(bottom, std::int64_t{area.top()} + area.height());
    if (r <= l || b <= t) {
        return {};
    }
    return {static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l),
            static_cast<int>(b - t)};
}

DeviceRect PageMapping::PageRect(QSize page) const
{
    const std::int64_t width = ClampSide(MulDiv(std::max(0, page.width()), dpi.x, extent));
    const std::int64_t height = ClampSide(MulDiv(std::max(0, page.height()), dpi.y, extent));
    return {origin.x(), origin.y(), origin.x() + width, origin.y() + height};
}

std::array<DeviceRect, 4> PageMapping::FrameSides(QSize page, int penWidth) const
{
    const DeviceRect p = PageRect(page);
    const std::int64_t across = std::max<std::int64_t>(1, MulDiv(penWidth, dpi.x, extent));
    const std::int64_t down = std::max<std::int64_t>(1, MulDiv(penWidth, dpi.y, extent));
    // The pen is centred on the edge: half of it lies on the page.
    const std::int64_t left = p.left - across / 2;
    const std::int64_t right = p.right - across / 2;
    const std::int64_t top = p.top - down / 2;
    const std::int64_t bottom = p.bottom - down / 2;
    return {{{left, top, left + across, bottom + down},
             {left, top, right + across, top + down},
             {right, top, right + across, bottom + down},
             {left, bottom, right + across, bottom + down}}};
}

QPoint CentredPosition(const QRect& work, QSize window)
{
    return {work.left() + (work.width() - window.width()) / 2,
            work.top() + (work.height() - window.height()) / 2};
}

} // namespace PrintImageGeometry
