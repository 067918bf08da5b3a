// One page's thumbnail: the picture at its own size with a shadow and a frame, an overlay mark
// for a marked page and the page number. It draws what its creator hands it and owns none of
// it. A single click does nothing; a double click sends the page number on.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

class CBitmapData;
class QImage;
struct tagDORNPAGEIMGINFO;

class CThumbButton : public QWidget
{
    Q_OBJECT

public:
    CThumbButton();
    ~CThumbButton() override;

    // A visible child of the parent at (0, 0, width, height); false without a parent.
    virtual bool CreateButton(int width, int height, QWidget* parent);

    // What a page shows: the record's picture, or the placeholder when the page gave no
    // record; the overlay only over a marked record; the page number as caption.
    void SetPage(std::uint32_t page, const tagDORNPAGEIMGINFO* record,
                 const CBitmapData* placeholder, const QImage* overlayIcon);

    // Widgets already paint into an off-screen backing store that is copied to the screen in
    // one step, so the thumbnail is drawn straight into it.
    void DrawItem(QPainter& painter, const QRect& rect);

    const CBitmapData* m_pImage = nullptr;  // the document's cache or its placeholder
    const QImage* m_pOverlayIcon = nullptr; // the document's overlay mark, or none
    QString m_strCaption;                   // the page number; read back as the page to open

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void OnDoubleClicked();
    void DrawThumb(QPainter& painter, const QRect& rect);
    void DrawImage(QPainter& painter, const CBitmapData& image, const QRect& rect);
    void DrawOverlayIcon(QPainter& painter, const CBitmapData& image, const QRect& rect);
    void DrawCaption(QPainter& painter, const CBitmapData& image, const QRect& rect);
};
