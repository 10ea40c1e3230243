#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Blocks of cells as the text spreadsheets put on the clipboard: cells
// separated by tabs, rows by line ends. A cell holding a tab, a line end or
// a leading double quote is quoted with its quotes doubled, so that a
// spreadsheet pastes it back as one cell.
namespace TabSeparated {

QString write(const QList<QStringList> &rows);
// Rows as written by write() or by a spreadsheet; a final line end adds no row.
QList<QStringList> read(const QString &text);

} // namespace TabSeparated
