#pragma once

#include <QString>

class TableModel;

// The whole parts list as one A4 portrait PDF, one page per 50 rows, each
// page drawn exactly as it is printed. Written atomically: on failure the
// file at `path` is left as it was. Returns an empty string, or why not.
// Pages are headed with `listName`, or with the PDF's own file name.
QString writePartsListPdf(const TableModel &table, const QString &path,
                          const QString &listName = {});

// How many cells of the list are cut ("…") on its printed pages.
int shortenedCells(const TableModel &table);

// The typeface of printed pages: the Japanese gothic faces found here.
class QFont;
QFont printFont();
