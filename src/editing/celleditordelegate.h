#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

class TableHistory;

// The in-cell editor: a frameless line editor lying exactly over the cell, in
// the grid's font, filled with the cell's text when it opens. What the user
// typed goes into the table as one step of its history. Enter and Tab store
// the text, Escape keeps the cell as it was; the edit stays open when the
// user switches to another window or application.
class CellEditorDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    CellEditorDelegate(TableHistory &history, QObject *parent = nullptr);

    // The editor the view has open, or null.
    QLineEdit *openEditor() const;
    // Stores the open editor's text in its cell and closes it.
    void commitOpenEditor();
    // Closes the open editor and keeps the cell as it was.
    void discardOpenEditor();

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
};
