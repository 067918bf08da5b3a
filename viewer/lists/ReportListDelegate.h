#pragma once

#include <QStyledItemDelegate>

// Paints a report list's cell: the selection's highlight, then the text centred on one line,
// ended with "..." when it does not fit. Cheaper than the style's general item painting,
// which lays each text out for wrapping and icons that these lists never have.
class ReportListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit ReportListDelegate(QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
