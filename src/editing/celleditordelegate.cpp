#include "celleditordelegate.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <limits>

void CellEditorDelegate::prepare(const QString &text, int caret)
{
    m_text = text;
    m_caret = caret;
    m_prepared = true;
}

void CellEditorDelegate::commitOpenEditor()
{
    if (QLineEdit *editor = m_editor.data()) {
        Q_EMIT commitData(editor);
        Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void CellEditorDelegate::discardOpenEditor()
{
    if (QLineEdit *editor = m_editor.data()) {
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

void CellEditorDelegate::setEditorData(QWidget *editor, const QModelIndex &) const
{
    // Only the opening fills the editor: a later change of the table must not
    // overwrite what the user is typing.
    if (!m_prepared) {
        return;
    }
    m_prepared = false;
    auto *lineEdit = static_cast<QLineEdit *>(editor);
    lineEdit->setText(m_text);
    lineEdit->setCursorPosition(std::min(m_caret, int(m_text.size())));
}

void CellEditorDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                      const QModelIndex &index) const
{
    model->setData(index, static_cast<QLineEdit *>(editor)->text(), Qt::EditRole);
}

void CellEditorDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                              const QModelIndex &) const
{
    editor->setGeometry(option.rect);
}

bool CellEditorDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QLineEdit *>(object);
    if (editor && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Another window or application took the focus: the edit stays open.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
            return false;
        }
    }
    if (editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            // Leaving the editor stores the text; no editor opens on the next cell.
            commitOpenEditor();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
