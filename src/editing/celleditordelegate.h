#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

class TableHistory;

// The in-cell editor: a frameless line editor lying exactly over the cell, in
// the grid's font, filled with the cell's text when it opens. What the user
// typed goes into the table as one step of its history. Enter and Tab store
// the text, Escape keeps the cell as it was; the edit stays open when the
// user switches to another window or application. A composition of the input
// method still open when the edit ends is stored as if it had been committed,
// as input methods on Windows do when the current cell changes.
class CellEditorDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    CellEditorDelegate(TableHistory &history, QObject *parent = nullptr);

    // The editor the view has open, or null.
    QLineEdit *openEditor() const;
    // Stores the open editor's text in its cell and closes it.
    void commitOpenEditor();
    // Has the input method commit a composition open in the editor, so that
    // what the user sees in the cell is its text.
    void commitComposition();
    bool composing() const { return !m_composition.isEmpty(); }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    TableHistory &m_history;
    mutable QPointer<QLineEdit> m_editor;
    // The input method's text not yet committed to the editor.
    mutable QString m_composition;
};
