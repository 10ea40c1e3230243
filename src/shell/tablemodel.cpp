#include "tablemodel.h"

#include "sortrule.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace {

// The Qt model counts rows in int; rows past that stay reachable by index only.
constexpr qsizetype maxRows = std::numeric_limits<int>::max() / 2;

} // namespace

TableModel::TableModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_cells.resize(ColumnLayout::Count);
}

void TableModel::setRows(qsizetype rows)
{
    rows = std::clamp<qsizetype>(rows, 1, maxRows);
    const qsizetype current = Rows();
    if (rows > current) {
        beginInsertRows(QModelIndex(), modelRow(current), modelRow(rows - 1));
        m_cells.resize(rows * Cols());
        endInsertRows();
    } else if (rows < current) {
        beginRemoveRows(QModelIndex(), modelRow(rows), modelRow(current - 1));
        m_cells.resize(rows * Cols());
        endRemoveRows();
    }
}

QString TableModel::TextArray(qsizetype index) const
{
    return index >= 0 && index < m_cells.size() ? m_cells.at(index) : QString();
}

void TableModel::setTextArray(qsizetype index, const QString &text)
{
    if (index < 0 || index >= m_cells.size()) {
        return;
    }
    m_cells[index] = text;
    announceChange(index / Cols(), int(index % Cols()));
}

void TableModel::setText(qsizetype row, int col, const QString &text)
{
    if (col < 0 || col >= Cols()) {
        return;
    }
    setTextArray(CellIndex(row, col), text);
}

void TableModel::announceChange(qsizetype row, int col)
{
    if (row == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex cell = index(modelRow(row), col);
        Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
    }
}

void TableModel::clearBlock(qsizetype firstRow, qsizetype lastRow, int firstCol, int lastCol)
{
    firstRow = std::clamp<qsizetype>(firstRow, 1, Rows() - 1);
    lastRow = std::clamp<qsizetype>(lastRow, 1, Rows() - 1);
    firstCol = std::clamp(firstCol, 0, Cols() - 1);
    lastCol = std::clamp(lastCol, 0, Cols() - 1);
    if (Rows() < 2) {
        return;
    }
    if (firstRow > lastRow) {
        std::swap(firstRow, lastRow);
    }
    if (firstCol > lastCol) {
        std::swap(firstCol, lastCol);
    }
    for (qsizetype row = firstRow; row <= lastRow; ++row) {
        for (int col = firstCol; col <= lastCol; ++col) {
            m_cells[CellIndex(row, col)].clear();
        }
    }
    Q_EMIT dataChanged(index(modelRow(firstRow), firstCol), index(modelRow(lastRow), lastCol),
                       {Qt::DisplayRole, Qt::EditRole});
}

void TableModel::RemoveItem(qsizetype row)
{
    if (row < 1 || row >= Rows()) {
        return;
    }
    beginRemoveRows(QModelIndex(), modelRow(row), modelRow(row));
    m_cells.remove(CellIndex(row, 0), Cols());
    endRemoveRows();
}

void TableModel::Clear()
{
    for (QString &cell : m_cells) {
        cell.clear();
    }
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, Cols() - 1);
    if (Rows() > 1) {
        Q_EMIT dataChanged(index(0, 0), index(modelRow(Rows() - 1), Cols() - 1));
    }
}

void TableModel::SetupGridColumns()
{
    for (int col = 0; col < Cols(); ++col) {
        m_cells[CellIndex(0, col)] = ColumnLayout::title(col);
    }
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, Cols() - 1);
}

void TableModel::Sort(int column)
{
    if (column < 0 || column >= Cols() || Rows() <= 2) {
        return;
    }
    permuteRows(sortOrder(column));
}

QList<qsizetype> TableModel::sortOrder(int column) const
{
    if (column < 0 || column >= Cols()) {
        return {};
    }
    return SortRule().order(Rows() - 1, [this, column](qsizetype row) -> const QString & {
        return m_cells[CellIndex(row + 1, column)];
    });
}

void TableModel::permuteRows(const QList<qsizetype> &order)
{
    const qsizetype dataRows = Rows() - 1;
    if (order.size() != dataRows || dataRows < 2) {
        return;
    }

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    ::permuteRows(m_cells.data() + CellIndex(1, 0), Cols(), order);

    // Selection and current cell travel with their rows.
    QList<int> newPosition(dataRows);
    for (qsizetype position = 0; position < dataRows; ++position) {
        newPosition[order[position]] = int(position);
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &old : before) {
        after.append(index(newPosition[old.row()], old.column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TableModel::setCells(const QList<QString> &cells)
{
    beginResetModel();
    m_cells = cells;
    // Resizing to the same size would still copy a shared list.
    const qsizetype wholeRows = std::max<qsizetype>(cells.size() / Cols(), 1) * Cols();
    if (m_cells.size() != wholeRows) {
        m_cells.resize(wholeRows);
    }
    endResetModel();
}

void TableModel::setDataRows(const QList<QStringList> &rows)
{
    beginResetModel();
    m_cells.resize(Cols());
    m_cells.reserve((rows.size() + 1) * Cols());
    for (const QStringList &row : rows) {
        for (int col = 0; col < Cols(); ++col) {
            m_cells.append(row.value(col));
        }
    }
    endResetModel();
}

void TableModel::setDataCells(QList<QString> &&cells)
{
    beginResetModel();
    const QList<QString> header = m_cells.mid(0, Cols());
    m_cells = std::move(cells);
    m_cells.resize((m_cells.size() + Cols() - 1) / Cols() * Cols());
    m_cells.insert(0, Cols(), QString());
    std::copy(header.begin(), header.end(), m_cells.begin());
    endResetModel();
}

QStringList TableModel::rowTexts(qsizetype row) const
{
    QStringList texts;
    for (int col = 0; col < Cols(); ++col) {
        texts.append(text(row, col));
    }
    return texts;
}

int TableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(Rows() - 1);
}

int TableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Cols();
}

QVariant TableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(gridRow(index.row()), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(ColumnLayout::alignment(index.column()));
    default:
        return {};
    }
}

bool TableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return false;
    }
    setText(gridRow(index.row()), index.column(), value.toString());
    return true;
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < Cols()) {
        if (role == Qt::DisplayRole) {
            return text(0, section);
        }
        if (role == Qt::TextAlignmentRole) {
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        }
        return {};
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole) {
        return section + 1;
    }
    return {};
}

Qt::ItemFlags TableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
