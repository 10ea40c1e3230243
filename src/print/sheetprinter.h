#pragma once

#include <QList>

#include <functional>

class QPageLayout;
class QPagedPaintDevice;
class QPainter;
class QString;
class TableModel;

// Pages of the parts list on sheets of paper (a printer or a PDF): each page
// drawn as the preview draws it, from the top-left corner of the sheet's
// printable area.
namespace SheetPrinter {

// How much the page is scaled on this sheet: 1 on A4 whose printable area
// holds the form; on other paper, or when the area is smaller than the form,
// the factor that makes the form fill the area.
double scaleFor(const QPageLayout &layout);

// Draws `pages` (numbers from 1) onto the device `painter` is active on, one
// sheet each, the whole sequence `copies` times, headed with `listName`.
// Returns the scale used. Before each sheet `proceed`, when given, hears how
// many are done; returning false stops the drawing there.
double drawPages(QPagedPaintDevice &device, QPainter &painter, const TableModel &table,
                 const QList<int> &pages, int copies = 1, const QString &listName = {},
                 const std::function<bool(int sheetsDone)> &proceed = {});

} // namespace SheetPrinter
