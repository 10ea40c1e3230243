#include "tablehistory.h"

#include "tablemodel.h"

#include <QUndoCommand>

#include <utility>

namespace {

class CellCommand : public QUndoCommand
{
public:
    CellCommand(TableModel &table, qsizetype row, int col, const QString &text)
        : QUndoCommand(QStringLiteral("セルの編集")), m_table(table), m_row(row), m_col(col),
          m_old(table.text(row, col)), m_new(text)
    {}
    void redo() override { m_table.setText(m_row, m_col, m_new); }
    void undo() override { m_table.setText(m_row, m_col, m_old); }

private:
    TableModel &m_table;
    qsizetype m_row;
    int m_col;
    QString m_old;
    QString m_new;
};

class ClearCommand : public QUndoCommand
{
public:
    ClearCommand(TableModel &table, qsizetype firstRow, qsizetype lastRow, int firstCol,
                 int lastCol)
        : QUndoCommand(QStringLiteral("削除")), m_table(table),
          m_firstRow(std::min(firstRow, lastRow)), m_lastRow(std::max(firstRow, lastRow)),
          m_firstCol(std::min(firstCol, lastCol)), m_lastCol(std::max(firstCol, lastCol))
    {
        m_old.reserve((m_lastRow - m_firstRow + 1) * (m_lastCol - m_firstCol + 1));
        for (qsizetype row = m_firstRow; row <= m_lastRow; ++row) {
            for (int col = m_firstCol; col <= m_lastCol; ++col) {
                m_old.append(table.text(row, col));
            }
        }
    }
    void redo() override { m_table.clearBlock(m_firstRow, m_lastRow, m_firstCol, m_lastCol); }
    void undo() override
    {
        qsizetype next = 0;
        for (qsizetype row = m_firstRow; row <= m_lastRow; ++row) {
            for (int col = m_firstCol; col <= m_lastCol; ++col) {
                m_table.setText(row, col, m_old.at(next++));
            }
        }
    }

private:
    TableModel &m_table;
    qsizetype m_firstRow;
    qsizetype m_lastRow;
    int m_firstCol;
    int m_lastCol;
    QList<QString> m_old;
};

class RemoveRowCommand : public QUndoCommand
{
public:
    RemoveRowCommand(TableModel &table, qsizetype row)
        : QUndoCommand(QStringLiteral("１行削除")), m_table(table), m_row(row),
          m_texts(table.rowTexts(row))
    {}
    void redo() override { m_table.RemoveItem(m_row); }
    void undo() override
    {
        // Append, then move the new last row up to where it was.
        const qsizetype rows = m_table.Rows();
        m_table.setRows(rows + 1);
        for (int col = 0; col < m_table.Cols(); ++col) {
            m_table.setText(rows, col, m_texts.value(col));
        }
        QList<qsizetype> order;
        order.reserve(rows);
        for (qsizetype position = 0; position < rows; ++position) {
            const qsizetype gridRow = position + 1;
            order.append(gridRow < m_row ? position : gridRow == m_row ? rows - 1 : position - 1);
        }
        m_table.permuteRows(order);
    }

private:
    TableModel &m_table;
    qsizetype m_row;
    QStringList m_texts;
};

class SortCommand : public QUndoCommand
{
public:
    SortCommand(TableModel &table, QList<qsizetype> order)
        : QUndoCommand(QStringLiteral("ｿｰﾄ")), m_table(table), m_order(std::move(order))
    {}
    void redo() override { m_table.permuteRows(m_order); }
    void undo() override
    {
        QList<qsizetype> inverse(m_order.size());
        for (qsizetype position = 0; position < m_order.size(); ++position) {
            inverse[m_order[position]] = position;
        }
        m_table.permuteRows(inverse);
    }

private:
    TableModel &m_table;
    QList<qsizetype> m_order;
};

class WholeTableCommand : public QUndoCommand
{
public:
    WholeTableCommand(TableModel &table, const QString &label, QList<QString> before)
        : QUndoCommand(label), m_table(table), m_before(std::move(before)), m_after(table.cells())
    {}
    // The change is already made when the command is pushed.
    void redo() override
    {
        if (m_done) {
            m_table.setCells(m_after);
        }
        m_done = true;
    }
    void undo() override { m_table.setCells(m_before); }

private:
    TableModel &m_table;
    QList<QString> m_before;
    QList<QString> m_after;
    bool m_done = false;
};

} // namespace

TableHistory::TableHistory(TableModel &table, QObject *parent) : QObject(parent), m_table(table)
{
    connect(&m_stack, &QUndoStack::cleanChanged, this,
            [this](bool clean) { Q_EMIT modifiedChanged(!clean); });
}

void TableHistory::setText(qsizetype row, int col, const QString &text)
{
    if (row < 1 || row >= m_table.Rows() || col < 0 || col >= m_table.Cols() ||
        m_table.text(row, col) == text) {
        return;
    }
    m_stack.push(new CellCommand(m_table, row, col, text));
}

void TableHistory::clearBlock(qsizetype firstRow, qsizetype lastRow, int firstCol, int lastCol)
{
    if (m_table.Rows() < 2) {
        return;
    }
    const qsizetype last = m_table.Rows() - 1;
    m_stack.push(new ClearCommand(
        m_table, std::clamp<qsizetype>(firstRow, 1, last), std::clamp<qsizetype>(lastRow, 1, last),
        std::clamp(firstCol, 0, m_table.Cols() - 1), std::clamp(lastCol, 0, m_table.Cols() - 1)));
}

void TableHistory::removeRow(qsizetype row)
{
    if (row < 1 || row >= m_table.Rows()) {
        return;
    }
    m_stack.push(new RemoveRowCommand(m_table, row));
}

void TableHistory::sort(int column)
{
    if (column < 0 || column >= m_table.Cols() || m_table.Rows() <= 2) {
        return;
    }
    m_stack.push(new SortCommand(m_table, m_table.sortOrder(column)));
}

void TableHistory::beginWholeChange()
{
    m_before.append(m_table.cells());
}

void TableHistory::finishWholeChange(const QString &label)
{
    if (m_before.isEmpty()) {
        return;
    }
    QList<QString> before = m_before.takeLast();
    // Untouched cells still share their data with the copy taken at the start.
    if (before.constData() == m_table.cells().constData() &&
        before.size() == m_table.cells().size()) {
        return;
    }
    m_stack.push(new WholeTableCommand(m_table, label, std::move(before)));
}
