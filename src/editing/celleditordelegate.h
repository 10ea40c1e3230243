#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

// The in-cell editor: a frameless line editor lying exactly over the cell, in
// the grid's font. What it starts with (a typed character, or the cell's
// text with the caret at the end) is set by the caller before each opening.
// It stays open when the user switches to another window or application,
// and stores its text only into the cell it was opened on.
class CellEditorDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // For the next opening: the editor's text and the caret position.
    void prepare(const QString &text, int caret);

    QLineEdit *openEditor() const { return m_editor.data(); }
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

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    QString m_text;
    int m_caret = 0;
    mutable bool m_prepared = false;
    mutable QPointer<QLineEdit> m_editor;
};
