#include "viewer/controls/CThumbButton.h"

#include "formats/image/CBitmapData.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "viewer/controls/ControlColors.h"
#include "viewer/controls/ThumbDoubleClickEvent.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kShadowOffset = 5;
constexpr int kRaise = 10; // the picture sits this far above the centre, above the caption
const QColor kShadowColour(0x50, 0x50, 0x50);

// The bitmap's pixels seen as an image without a copy; a null image for anything but a
// 24-bit buffer with storage.
QImage PixelView(const CBitmapData& image)
{
    if (image.m_nBitCount != 24 || image.m_pBits == nullptr || image.m_nWidth <= 0 ||
        image.m_nHeight <= 0) {
        return {};
    }
    return QImage(image.m_pBits, image.m_nWidth, image.m_nHeight, image.m_nStride,
                  QImage::Format_BGR888);
}

} // namespace

CThumbButton::CThumbButton()
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CThumbButton::~CThumbButton() = default;

bool CThumbButton::CreateButton(int width, int height, QWidget* parent)
{
    if (parent == nullptr) {
        return false;
    }
    setParent(parent);
    setGeometry(0, 0, width, height);
    show();
    return true;
}

void CThumbButton::SetPage(std::uint32_t page, const tagDORNPAGEIMGINFO* record,
                           const CBitmapData* placeholder, const QImage* overlayIcon)
{
    m_pImage = record != nullptr ? record->pBitmap.get() : placeholder;
    m_strCaption = QString::number(page);
    m_pOverlayIcon = record != nullptr && record->bMarked ? overlayIcon : nullptr;
    update();
}

void CThumbButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawItem(painter, rect());
}

void CThumbButton::DrawItem(QPainter& painter, const QRect& rect)
{
    painter.save();
    DrawThumb(painter, rect);
    painter.restore();
}

void CThumbButton::DrawThumb(QPainter& painter, const QRect& rect)
{
    painter.fillRect(0, 0, rect.width(), rect.height(), controls::ButtonFaceColor(*this));
    // Before its creator hands it a picture the button shows its face only.
    if (m_pImage == nullptr) {
        return;
    }
    DrawImage(painter, *m_pImage, rect);
    if (m_pOverlayIcon != nullptr) {
        DrawOverlayIcon(painter, *m_pImage, rect);
    }
    if (!m_strCaption.isEmpty()) {
        DrawCaption(painter, *m_pImage, rect);
    }
}

void CThumbButton::DrawImage(QPainter& painter, const CBitmapData& image, const QRect& rect)
{
    const int iw = image.m_nWidth;
    const int ih = image.m_nHeight;
    const int x0 = rect.width() / 2 - iw / 2;
    const int y0 = rect.height() / 2 - ih / 2 - kRaise;
    painter.save();
    painter.translate(x0, y0);
    painter.fillRect(kShadowOffset, kShadowOffset, iw, ih, kShadowColour);
    const QImage pixels = PixelView(image);
    if (!pixels.isNull()) {
        // Painting blends three-byte pixels far more slowly than it converts a small picture
        // first (about 80 against 20 microseconds a thumbnail).
        painter.drawImage(0, 0, pixels.convertToFormat(QImage::Format_RGB32));
    }
    // A 1-pixel black line on the picture's own border.
    painter.fillRect(0, 0, iw, 1, Qt::black);
    painter.fillRect(0, ih - 1, iw, 1, Qt::black);
    painter.fillRect(0, 0, 1, ih, Qt::black);
    painter.fillRect(iw - 1, 0, 1, ih, Qt::black);
    painter.restore();
}

void CThumbButton::DrawOverlayIcon(QPainter& painter, const CBitmapData& image, const QRect& rect)
{
    // The mark's right edge on the picture's right edge, its bottom on the button's bottom.
    const int w = rect.width();
    const int x = w - (w - image.m_nWidth) / 2 - m_pOverlayIcon->width();
    const int y = rect.height() - m_pOverlayIcon->height();
    painter.drawImage(x, y, *m_pOverlayIcon);
}

void CThumbButton::DrawCaption(QPainter& painter, const CBitmapData& image, const QRect& rect)
{
    // Starts at the picture's left edge (not centred on its own width), bottom on the bottom.
    const QFontMetrics metrics = painter.fontMetrics();
    const int x = rect.width() / 2 - image.m_nWidth / 2;
    const int y = rect.height() - metrics.height();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(x, y + metrics.ascent(), m_strCaption);
}

void CThumbButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    OnDoubleClicked();
}

void CThumbButton::OnDoubleClicked()
{
    // The receiver may open windows and run a modal loop; nothing here is touched afterwards.
    if (QWidget* parent = parentWidget()) {
        ThumbDoubleClickEvent event(m_strCaption);
        QCoreApplication::sendEvent(parent, &event);
    }
}
