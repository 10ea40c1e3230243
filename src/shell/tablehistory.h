#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUndoStack>

class TableModel;

// Every change of the table as a step that can be undone and redone. Small
// changes (a cell, a block emptied, a row removed, a sort) remember only what
// they touch; whole-table changes (New, Open, a drop) remember the cells
// before and after, which costs no copy until the table changes again.
// The table is "modified" when it differs from the last saved, opened or
// emptied state.
class TableHistory : public QObject
{
    Q_OBJECT

public:
    explicit TableHistory(TableModel &table, QObject *parent = nullptr);

    QUndoStack &stack() { return m_stack; }

    // Cells are addressed as in TableModel: data rows from 1.
    void setText(qsizetype row, int col, const QString &text);
    void clearBlock(qsizetype firstRow, qsizetype lastRow, int firstCol, int lastCol);
    void removeRow(qsizetype row);
    void sort(int column);

    // A whole-table change: call begin, change the table freely, then
    // finish; the change becomes one step named `label`.
    void beginWholeChange();
    void finishWholeChange(const QString &label);

    bool isModified() const { return !m_stack.isClean(); }
    // The table now matches its file (saved or opened) or was emptied.
    void markSaved() { m_stack.setClean(); }

Q_SIGNALS:
    void modifiedChanged(bool modified);

private:
    TableModel &m_table;
    QUndoStack m_stack;
    QList<QList<QString>> m_before;
};
