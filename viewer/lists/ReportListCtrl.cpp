#include "viewer/lists/ReportListCtrl.h"

#include "viewer/common/LoadBitmapResource.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/lists/ReportHeaderStyle.h"
#include "viewer/lists/ReportListDelegate.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPixmap>
#include <QStyle>
#include <memory>

namespace {

constexpr unsigned kHeaderBitmap = 326;
constexpr QRgb kMaskColour = 0x00FF00;

QStringList HeaderTexts(const ReportListCtrl::Columns& columns)
{
    QStringList texts;
    for (const ReportListCtrl::Column& column : columns) {
        texts.append(ResourceModule::String(column.stringId));
    }
    return texts;
}

} // namespace

ReportListCtrl::ReportListCtrl(const Columns& columns, QWidget* parent)
    : QTableView(parent), m_model(new ReportListModel(HeaderTexts(columns), this))
{
    setObjectName(QStringLiteral("control%1").arg(kListId));
    setModel(m_model);
    setItemDelegate(new ReportListDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setSortingEnabled(false); // the document owns order and direction
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignCenter);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    for (int column = 0; column < kColumns; ++column) {
        header->resizeSection(column, columns[static_cast<std::size_t>(column)].width);
    }
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* headerStyle = new ReportHeaderStyle;
    headerStyle->setParent(header);
    header->setStyle(headerStyle);

    // The header flips its own arrow before it reports the click; the owner's sort then sets
    // the arrow that stays.
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { OnColumnClick(column); });
    connect(header, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { OnNotify(position); });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OnDblClk(index.row(), index.column()); });
}

QSize ReportListCtrl::sizeHint() const
{
    const int width = horizontalHeader()->length() + 2 * frameWidth() +
                      style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return {width, QTableView::sizeHint().height()};
}

int ReportListCtrl::GetItemCount() const
{
    return m_model->rowCount();
}

QString ReportListCtrl::GetItemText(int row, int column) const
{
    return m_model->Text(row, column);
}

int ReportListCtrl::GetSelectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void ReportListCtrl::SelectRow(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    if (!index.isValid()) {
        return;
    }
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

void ReportListCtrl::SetSortColumn(int column, bool ascending)
{
    horizontalHeader()->setSortIndicator(column,
                                         ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void ReportListCtrl::MoveHeaderImage(int from, int to, const QIcon& image)
{
    if (from >= 0) {
        m_model->SetHeaderImage(from, QIcon());
    }
    if (to >= 0) {
        m_model->SetHeaderImage(to, image);
    }
}

QIcon ReportListCtrl::LoadHeaderImage()
{
    std::unique_ptr<QImage> bitmap;
    if (!LoadBitmapResource(kHeaderBitmap, bitmap)) {
        return {};
    }
    QImage image = bitmap->convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == kMaskColour) {
                line[x] = 0;
            }
        }
    }
    return QIcon(QPixmap::fromImage(image));
}

bool ReportListCtrl::OnKeyDown(int key)
{
    const int selected = GetSelectedRow();
    if (selected < 0) {
        return false;
    }
    const int last = GetItemCount() - 1;
    if (key == Qt::Key_Up && selected == 0) {
        SelectRow(last);
        return true;
    }
    if (key == Qt::Key_Down && selected == last) {
        SelectRow(0);
        return true;
    }
    return false;
}

int ReportListCtrl::HeaderColumnAt(const QPoint& position) const
{
    return horizontalHeader()->logicalIndexAt(position);
}

void ReportListCtrl::keyPressEvent(QKeyEvent* event)
{
    if (OnKeyDown(event->key())) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
