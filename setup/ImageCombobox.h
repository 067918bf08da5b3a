// A drop-down list whose items are pictures (ImageComboItem) rather than texts.
#pragma once

#include "setup/ImageComboItem.h"

#include <QComboBox>
#include <memory>

class ImageCombobox : public QComboBox
{
    Q_OBJECT

public:
    explicit ImageCombobox(QWidget* parent = nullptr);
    ~ImageCombobox() override;

    // Replaces the item table and the combobox's items with copies of `records`; a count of
    // 0 or less changes nothing.
    void SetItems(int count, const ImageComboItem* records);
    int GetItemCount() const { return m_itemCount; }

    // Paints item `index` at `rect`: its highlighted picture when the list is open and the
    // item is under the selection, else its normal one. An item without a record draws nothing.
    void DrawItem(QPainter& painter, const QRect& rect, int index, bool selected) const;

    // The record of item `index`; null when the item has none (its data is empty, 0 or -1).
    const ImageComboItem* RecordOf(int index) const;

    bool IsDroppedDown() const { return m_droppedDown; }
    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_itemCount = 0;
    std::unique_ptr<ImageComboItem[]> m_items;
    bool m_droppedDown = false;
};
