#pragma once

#include "viewer/document/DocumentView.h"
#include "viewer/pagewindow/PrintImageGeometry.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <cstddef>
#include <cstdint>
#include <vector>

class CBitmapData;
class CPYRNDoc;
class QColor;
class QPainter;

// The page window's client: the document's page image at its zoom, with 20-pixel margins,
// centred where it fits and scrolled where it does not, area-averaged from the full page at
// every paint. Only the exposed part is drawn; no zoomed copy of the page is kept.
class PrintImageView : public QAbstractScrollArea, public DocumentView
{
    Q_OBJECT

public:
    static constexpr int kFramePenWidth = 4; // tenths of a millimetre at 100 %

    // Registers with `document` as its page-image view; unregisters when it goes.
    explicit PrintImageView(CPYRNDoc* document, QWidget* parent = nullptr);
    ~PrintImageView() override;

    CPYRNDoc* GetDocument() const { return m_pDocument; }

    // The geometry of the page at the document's zoom on this view's display.
    int CalcZoomPercent();
    QSize CalcScrollSize();
    QPoint CalcPageOrigin();
    // The mapping the page is drawn with; stores the zoom in m_nEffectiveZoom.
    PrintImageGeometry::PageMapping OnPrepareDC();

    // The first update, then the window titled, sized and centred for the page to open.
    void OnInitialUpdate() override;
    // Every hint alike: the scroll sizes again, and the whole view repainted.
    void OnUpdate(DocumentView* sender, int hint) override;
    // The button-shadow background, the page and its frame inside `area` (view pixels).
    void OnDraw(QPainter& painter, const QRect& area);
    virtual void DrawPageImage(QPainter& painter, const PrintImageGeometry::PageMapping& mapping,
                               const CBitmapData& bitmap, QSize page, const QRect& area);
    virtual void DrawPageFrame(QPainter& painter, const PrintImageGeometry::PageMapping& mapping,
                               QSize page, int penWidth, const QColor& colour, const QRect& area);

    // What the scroll bars run over, as last set.
    QSize ScrollSize() const { return m_scrollSize; }

    int m_nEffectiveZoom = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QColor BackgroundColour() const;
    PrintImageGeometry::Resolution Dpi() const;
    QSize PageSize() const;
    void SetScrollSizes(QSize size);
    // At least `bytes` in m_pixels; false when they cannot be had.
    bool GrowPixels(std::size_t bytes);

    QPointer<CPYRNDoc> m_pDocument;
    QSize m_scrollSize{1, 1};
    // The stretched pixels of the area being painted; grows, never shrinks, between paints.
    std::vector<std::uint8_t> m_pixels;
};
