#include "celleditordelegate.h"

#include "shell/tablehistory.h"
#include "shell/tablemodel.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <limits>

CellEditorDelegate::CellEditorDelegate(TableHistory &history, QObject *parent)
    : QStyledItemDelegate(parent), m_history(history)
{}

QLineEdit *CellEditorDelegate::openEditor() const
{
    // A closed editor is hidden at once and deleted later.
    QLineEdit *editor = m_editor.data();
    return editor && !editor->isHidden() ? editor : nullptr;
}

void CellEditorDelegate::commitOpenEditor()
{
    if (QLineEdit *editor = openEditor()) {
        Q_EMIT commitData(editor);
        Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void CellEditorDelegate::discardOpenEditor()
{
    if (QLineEdit *editor = openEditor()) {
        Q_EMIT closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
}

QWidget *CellEditorDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                          const QModelIndex &) const
{
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setFont(option.font);
    editor->setTextMargins(0, 0, 0, 0);
    // Cells hold texts of any length; the old limit of the line editor would cut them.
    editor->setMaxLength(std::numeric_limits<int>::max());
    m_editor = editor;
    return editor;
}

void CellEditorDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    static_cast<QLineEdit *>(editor)->setText(index.data(Qt::EditRole).toString());
}

void CellEditorDelegate::setModelData(QWidget *editor, QAbstractItemModel *,
                                      const QModelIndex &index) const
{
    m_history.setText(TableModel::gridRow(index.row()), index.column(),
                      static_cast<QLineEdit *>(editor)->text());
}

void CellEditorDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                              const QModelIndex &) const
{
    editor->setGeometry(option.rect);
}

void CellEditorDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (editor == m_editor.data()) {
        m_editor.clear();
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool CellEditorDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QLineEdit *>(object);
    if (!editor) {
        return QStyledItemDelegate::eventFilter(object, event);
    }
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Another window or application took the focus: the edit stays open.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
            return false;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            // Stores the text; the key ends here, so no editor opens on the next cell.
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
            return true;
        case Qt::Key_Escape:
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            return true;
        default:
            break;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
