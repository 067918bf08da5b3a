#include "setup/ImageCombobox.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

constexpr quintptr kNoRecord = ~quintptr(0);

// Paints the open list's items through the combobox, and gives them the record's height.
class ImageItemDelegate : public QAbstractItemDelegate
{
public:
    explicit ImageItemDelegate(ImageCombobox* combo) : QAbstractItemDelegate(combo), m_combo(combo)
    {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool selected =
            (option.state & (QStyle::State_Selected | QStyle::State_HasFocus)) != 0;
        m_combo->DrawItem(*painter, option.rect, index.row(), selected);
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        const ImageComboItem* record = m_combo->RecordOf(index.row());
        return record != nullptr ? QSize(record->width, record->height) : QSize(0, 0);
    }

private:
    ImageCombobox* m_combo;
};

} // namespace

ImageCombobox::ImageCombobox(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new ImageItemDelegate(this));
    // A drop-down list below the field, as a list box of its height, never a menu over it.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

ImageCombobox::~ImageCombobox() = default;

void ImageCombobox::SetItems(int count, const ImageComboItem* records)
{
    if (count <= 0 || records == nullptr) {
        return;
    }
    // The old items point into the old table: they go with it.
    clear();
    m_items = std::make_unique<ImageComboItem[]>(static_cast<std::size_t>(count));
    m_itemCount = count;
    for (int j = 0; j < count; ++j) {
        m_items[static_cast<std::size_t>(j)] = records[j];
        insertItem(j, QString());
        setItemData(
            j,
            QVariant::fromValue(reinterpret_cast<quintptr>(&m_items[static_cast<std::size_t>(j)])),
            Qt::UserRole);
    }
}

const ImageComboItem* ImageCombobox::RecordOf(int index) const
{
    const QVariant data = itemData(index, Qt::UserRole);
    const quintptr address = data.isValid() ? data.value<quintptr>() : 0;
    return address == 0 || address == kNoRecord ? nullptr
                                                : reinterpret_cast<const ImageComboItem*>(address);
}

void ImageCombobox::DrawItem(QPainter& painter, const QRect& rect, int index, bool selected) const
{
    const ImageComboItem* record = RecordOf(index);
    if (record == nullptr) {
        return;
    }
    const QPixmap& picture = m_droppedDown && selected ? record->highlighted : record->normal;
    painter.save();
    painter.setClipRect(rect);
    // The row beyond the picture takes the picture's own background.
    const QImage image = picture.toImage();
    if (!image.isNull()) {
        painter.fillRect(rect, image.pixelColor(image.width() - 1, 0));
    }
    const QRect target(rect.topLeft(), QSize(record->width, record->height));
    painter.drawPixmap(target.topLeft(), picture);
    painter.restore();
}

void ImageCombobox::showPopup()
{
    m_droppedDown = true;
    QComboBox::showPopup();
}

void ImageCombobox::hidePopup()
{
    QComboBox::hidePopup();
    m_droppedDown = false;
    update();
}

void ImageCombobox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const ImageComboItem* record = RecordOf(currentIndex());
    if (record == nullptr) {
        return;
    }
    // The closed field always shows the normal picture, centred on the field's height.
    painter.fillRect(field, palette().base());
    const QRect itemRect(field.left(), field.top() + (field.height() - record->height) / 2,
                         field.width(), record->height);
    DrawItem(painter, itemRect, currentIndex(), false);
}
