#include "celleditordelegate.h"

#include "shell/tablehistory.h"
#include "shell/tablemodel.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
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

void CellEditorDelegate::commitComposition()
{
    QLineEdit *editor = openEditor();
    if (!editor || m_composition.isEmpty()) {
        return;
    }
    // The input method commits through the object that has the focus (the
    // view while a composition opened the editor); without one, do it here.
    QGuiApplication::inputMethod()->commit();
    if (m_composition.isEmpty()) {
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(m_composition);
    m_composition.clear();
    QGuiApplication::inputMethod()->reset();
    auto *target = qobject_cast<QWidget *>(QGuiApplication::focusObject());
    if (!target || !(target == editor || target->isAncestorOf(editor))) {
        target = editor;
    }
    QCoreApplication::sendEvent(target, &commit);
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
    m_composition.clear();
    return editor;
}

void CellEditorDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    static_cast<QLineEdit *>(editor)->setText(index.data(Qt::EditRole).toString());
}

void CellEditorDelegate::setModelData(QWidget *editor, QAbstractItemModel *,
                                      const QModelIndex &index) const
{
    auto *line = static_cast<QLineEdit *>(editor);
    QString text = line->text();
    if (!m_composition.isEmpty()) {
        // The cell changed before the input method committed: keep what the
        // user sees, and have the input method forget it so it never lands
        // in the next cell.
        text.insert(line->cursorPosition(), m_composition);
        m_composition.clear();
        QGuiApplication::inputMethod()->reset();
    }
    m_history.setText(TableModel::gridRow(index.row()), index.column(), text);
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
        m_composition.clear();
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool CellEditorDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QLineEdit *>(object);
    if (!editor) {
        return QStyledItemDelegate::eventFilter(object, event);
    }
    if (event->type() == QEvent::InputMethod) {
        // Seen also when the view hands a composition on to the editor.
        m_composition = static_cast<QInputMethodEvent *>(event)->preeditString();
    }
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Another window or application took the focus: the edit stays open
        // with the composition in its text.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
            commitComposition();
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
