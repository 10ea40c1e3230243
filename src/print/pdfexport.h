#pragma once

#include <QString>

#include <functional>

class TableModel;

// The whole parts list as one A4 portrait PDF, one page per 50 rows, each
// page drawn exactly as it is printed. Written atomically: on failure the
// file at `path` is left as it was. Returns an empty string, or why not.
// Pages are headed with `listName`, or with the PDF's own file name.
// `proceed`, when given, hears before each page how many of how many are
// done; returning false stops the export and leaves the file as it was (the
// result is then empty: stopping is no failure).
QString writePartsListPdf(const TableModel &table, const QString &path,
                          const QString &listName = {},
                          const std::function<bool(int done, int pages)> &proceed = {});

// How many cells of the list are cut ("…") on its printed pages.
int shortenedCells(const TableModel &table);

// The typeface of printed pages: the Japanese gothic faces found here.
class QFont;
QFont printFont();
