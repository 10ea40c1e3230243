#pragma once

#include "columnlayout.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

// The title table. As a grid it has `Rows()` rows of six text cells: row 0 is
// the header row (the column titles), rows 1 .. Rows() - 1 hold one drawing
// each, and every cell is also reachable by its linear index
// row * Cols() + column. As a Qt model it shows only the data rows; the
// header row becomes the horizontal header. Every access outside the table
// is ignored. Views count rows in an int: the lists that fill a table are
// capped far below that (PartsListFile::MaxRecords).
class TableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TableModel(QObject *parent = nullptr);

    qsizetype Rows() const { return m_cells.size() / ColumnLayout::Count; }
    // Growing appends empty rows, shrinking drops rows from the bottom; never below 1.
    void setRows(qsizetype rows);
    int Cols() const { return ColumnLayout::Count; }

    qsizetype CellIndex(qsizetype row, qsizetype col) const { return row * Cols() + col; }
    QString TextArray(qsizetype index) const;
    void setTextArray(qsizetype index, const QString &text);

    QString text(qsizetype row, int col) const { return TextArray(CellIndex(row, col)); }
    void setText(qsizetype row, int col, const QString &text);

    // Empties the cells of data rows firstRow .. lastRow, columns firstCol ..
    // lastCol (in either order), with one change notice.
    void clearBlock(qsizetype firstRow, qsizetype lastRow, int firstCol, int lastCol);
    // Removes one data row; the rows below move up. The header row stays.
    void RemoveItem(qsizetype row);
    // Empties every cell, header row included; Rows() stays.
    void Clear();
    // Writes the six column titles into row 0.
    void SetupGridColumns();
    // Stable ascending sort of all data rows on `column` (see SortRule).
    void Sort(int column);
    // The order Sort(column) would put the data rows in: order[i] is the
    // data row (0-based) that ends up at position i.
    QList<qsizetype> sortOrder(int column) const;
    // Moves data row order[i] to position i; the view's selection and current
    // cell travel with their rows. `order` must be a permutation of the data rows.
    void permuteRows(const QList<qsizetype> &order);

    // Every cell, header row first; shared, not copied, until either side changes.
    const QList<QString> &cells() const { return m_cells; }
    // Replaces every cell at once (one model reset); the size is rounded down
    // to whole rows, and never below the header row.
    void setCells(const QList<QString> &cells);

    // Replaces all data rows at once (one model reset), keeping the header row.
    void setDataRows(const QList<QStringList> &rows);
    // The same from six cells a row, row after row (a partial last row is
    // filled with empty cells); the cells are taken, not copied.
    void setDataCells(QList<QString> &&cells);
    QStringList rowTexts(qsizetype row) const;

    // Grid row of a Qt model row and back: the model's row 0 is grid row 1.
    static qsizetype gridRow(int modelRow) { return qsizetype(modelRow) + 1; }
    static int modelRow(qsizetype gridRow) { return int(gridRow - 1); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void announceChange(qsizetype row, int col);

    QList<QString> m_cells;
};
