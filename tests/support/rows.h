#pragma once

#include "shell/tablemodel.h"

#include <QList>
#include <QString>
#include <QStringList>

// Tests write tables as rows of texts; the code keeps six cells a row in
// one list. Cells past the sixth are dropped, missing ones are empty.
inline QList<QString> cellsOf(const QList<QStringList> &rows)
{
    constexpr int perRow = 6;
    QList<QString> cells;
    cells.reserve(rows.size() * perRow);
    for (const QStringList &row : rows) {
        for (int col = 0; col < perRow; ++col) {
            cells.append(row.value(col));
        }
    }
    return cells;
}

inline QList<QStringList> rowsOf(const QList<QString> &cells)
{
    constexpr int perRow = 6;
    QList<QStringList> rows;
    for (qsizetype first = 0; first + perRow <= cells.size(); first += perRow) {
        rows.append(cells.mid(first, perRow));
    }
    return rows;
}

// The table's rows below its header replaced by these.
inline void setDataRows(TableModel &table, const QList<QStringList> &rows)
{
    table.setDataCells(cellsOf(rows));
}
