// Pictures for thumbnail tests: 24-bit page bitmaps as the decoder delivers them and an
// overlay mark of our own in place of the program's bitmap.
#pragma once

#include "formats/image/CBitmapData.h"
#include "formats/pagestream/DornPageImageInfo.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <memory>

namespace thumbtest {

// A uniform picture, or with `lines` a white page with a coloured heading and grey text lines.
inline std::unique_ptr<CBitmapData> MakePicture(int width, int height, QColor colour,
                                                bool lines = false)
{
    auto bitmap = std::make_unique<CBitmapData>();
    if (!bitmap->Create(width, height, 24)) {
        return nullptr;
    }
    QImage view(bitmap->m_pBits, width, height, bitmap->m_nStride, QImage::Format_BGR888);
    view.fill(lines ? QColor(Qt::white) : colour);
    if (lines) {
        QPainter painter(&view);
        painter.fillRect(10, 8, width / 2, 8, colour);
        for (int y = 24; y + 3 < height - 8; y += 7) {
            painter.fillRect(10, y, width - 20 - (y * 7) % 23, 3, QColor(150, 150, 150));
        }
    }
    return bitmap;
}

inline std::unique_ptr<tagDORNPAGEIMGINFO> MakeRecord(std::unique_ptr<CBitmapData> bitmap,
                                                      bool marked)
{
    auto record = std::make_unique<tagDORNPAGEIMGINFO>();
    record->pBitmap = std::move(bitmap);
    record->bMarked = marked;
    return record;
}

// 20 x 14: a red flag on a transparent ground.
inline QImage MakeMark()
{
    QImage mark(20, 14, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.fillRect(2, 0, 2, 14, QColor(90, 40, 0));
    painter.fillRect(4, 0, 16, 9, QColor(230, 20, 20));
    return mark;
}

} // namespace thumbtest
