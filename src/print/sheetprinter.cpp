#include "sheetprinter.h"

#include "drawingtarget.h"
#include "pagelayout.h"
#include "pdfexport.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace SheetPrinter {

double scaleFor(const QPageLayout &layout)
{
    const QSizeF area = layout.paintRect(QPageLayout::Millimeter).size();
    const double fit =
        std::min(area.width() / PageLayout::formWidth, area.height() / PageLayout::formHeight);
    if (fit <= 0) {
        return 1;
    }
    const bool a4 = layout.pageSize().id() == QPageSize::A4;
    return (a4 && fit >= 1) ? 1 : fit;
}

double drawPages(QPagedPaintDevice &device, QPainter &painter, const TableModel &table,
                 const QList<int> &pages, int copies, const QString &listName,
                 const std::function<bool(int sheetsDone)> &proceed)
{
    const double scale = scaleFor(device.pageLayout());
    bool first = true;
    int done = 0;
    for (int copy = 0; copy < copies; ++copy) {
        for (const int page : pages) {
            if (proceed && !proceed(done++)) {
                return scale;
            }
            if (!first) {
                device.newPage();
            }
            first = false;
            painter.save();
            painter.scale(scale, scale);
            DrawingTarget target(painter, printFont());
            PageLayout::DrawFormLine(target, table, listName);
            PageLayout::DataSet(target, table, page);
            painter.restore();
        }
    }
    return scale;
}

} // namespace SheetPrinter
