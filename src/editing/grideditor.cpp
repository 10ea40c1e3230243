#include "grideditor.h"

#include "celleditordelegate.h"
#include "platform/dialogs.h"
#include "shell/columnlayout.h"
#include "shell/mainwindow.h"
#include "shell/tablehistory.h"
#include "shell/tablemodel.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QUndoStack>

namespace {

// The caret of a continued edit stands at the end of texts up to this length.
constexpr int continueCaret = 1000;

} // namespace

GridEditor::GridEditor(MainWindow &window)
    : QObject(&window), m_window(window), m_delegate(new CellEditorDelegate(window.history(), this))
{
    QTableView *grid = window.grid();
    m_grid = grid;
    m_viewport = grid->viewport();
    m_header = grid->horizontalHeader();
    grid->setItemDelegate(m_delegate);
    // A typed character and an input method's composition open the editor
    // through the view itself, which holds the focus until the composition
    // is committed.
    grid->setEditTriggers(QAbstractItemView::AnyKeyPressed);
    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);
    grid->horizontalHeader()->installEventFilter(this);
    grid->setContextMenuPolicy(Qt::DefaultContextMenu);
    window.setCommitOpenEdit([this] { m_delegate->commitOpenEditor(); });

    m_popup = new QMenu(QStringLiteral("ﾎﾟｯﾌﾟｱｯﾌﾟ"), &window);
    m_deleteRow = m_popup->addAction(QStringLiteral("１行削除 &D"));
    m_deleteRow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_deleteRow->setShortcutContext(Qt::WindowShortcut);
    // Also while the menu is closed.
    window.addAction(m_deleteRow);
    connect(m_deleteRow, &QAction::triggered, this, &GridEditor::MnuDelete);
    QMenu *sort = m_popup->addMenu(QStringLiteral("ｿｰﾄ"));
    for (int column = 0; column < ColumnLayout::Count; ++column) {
        QAction *entry = sort->addAction(ColumnLayout::title(column));
        connect(entry, &QAction::triggered, this, [this, column] { MnuSort1(column); });
    }
    m_popup->addSeparator();
    m_popup->addAction(window.menuActions().undo);
    m_popup->addAction(window.menuActions().redo);
    m_popupRunner = [](QMenu *menu, const QPoint &at) { menu->exec(at); };

    connect(window.menuActions().newTable, &QAction::triggered, this, &GridEditor::MnuNew);
}

void GridEditor::GridEdit(int KeyAscii)
{
    if (KeyAscii > 32 || KeyAscii < 0) {
        // A double-byte character arrives as its code read as a negative number.
        const QString typed(QChar(char16_t(KeyAscii < 0 ? KeyAscii + 65536 : KeyAscii)));
        open(&typed, 1);
    } else {
        open(nullptr, continueCaret);
    }
}

void GridEditor::GridEdit(const QString &committed)
{
    open(&committed, int(committed.size()));
}

void GridEditor::open(const QString *replacement, int caret)
{
    QTableView *grid = m_grid;
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid() || m_delegate->openEditor()) {
        return; // no cell to edit, or its editor is open already
    }
    grid->edit(current);
    if (QLineEdit *editor = m_delegate->openEditor()) {
        if (replacement) {
            editor->setText(*replacement);
        }
        // The view selects the whole text of a new line editor; the caret
        // belongs after the typed character or at the end of the cell's text.
        editor->deselect();
        editor->setCursorPosition(std::min(caret, int(editor->text().size())));
    }
}

void GridEditor::clearSelection()
{
    const QItemSelection selection = m_grid->selectionModel()->selection();
    if (selection.isEmpty()) {
        return;
    }
    TableHistory &history = m_window.history();
    history.stack().beginMacro(QStringLiteral("削除"));
    for (const QItemSelectionRange &range : selection) {
        history.clearBlock(TableModel::gridRow(range.top()), TableModel::gridRow(range.bottom()),
                           range.left(), range.right());
    }
    history.stack().endMacro();
}

void GridEditor::MnuDelete()
{
    m_delegate->commitOpenEditor();
    TableModel &table = m_window.table();
    if (table.Rows() > 2) {
        const QModelIndex current = m_grid->currentIndex();
        m_window.history().removeRow(current.isValid() ? TableModel::gridRow(current.row()) : 1);
    } else if (table.Rows() == 2) {
        m_window.history().removeRow(1);
    }
    m_window.StatubarMessg(table.Rows() - 1);
}

void GridEditor::MnuSort1(int Index)
{
    m_delegate->commitOpenEditor();
    QTableView *grid = m_grid;
    const QModelIndex current = grid->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    // Making the column current collapses the selection to the current cell.
    grid->selectionModel()->setCurrentIndex(grid->model()->index(row, Index),
                                            QItemSelectionModel::ClearAndSelect);
    m_window.history().sort(Index);
}

void GridEditor::MnuNew()
{
    m_delegate->commitOpenEditor();
    if (m_window.history().isModified()) {
        if (!m_window.maybeSaveChanges()) {
            return;
        }
    } else if (m_window.dialogs().question(&m_window, QStringLiteral("New ?")) !=
               Dialogs::Answer::Yes) {
        return;
    }
    TableModel &table = m_window.table();
    TableHistory &history = m_window.history();
    history.beginWholeChange();
    table.Clear();
    m_window.SetupGridColumns();
    table.setRows(1);
    history.finishWholeChange(QStringLiteral("新規"));
    history.markSaved();
    m_window.setCurrentFile(QString());
    m_window.FitColumnWidths();
    m_window.StatubarMessg(table.Rows() - 1);
}

void GridEditor::showPopup(const QPoint &globalPosition)
{
    // An open edit is stored before the menu takes the focus.
    m_delegate->commitOpenEditor();
    m_popupRunner(m_popup, globalPosition);
}

bool GridEditor::eventFilter(QObject *watched, QEvent *event)
{
    QTableView *grid = m_grid;
    switch (event->type()) {
    case QEvent::ContextMenu:
        if (watched == m_viewport || watched == m_header || watched == grid) {
            showPopup(static_cast<QContextMenuEvent *>(event)->globalPos());
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (watched == grid && !m_delegate->openEditor()) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Delete) {
                clearSelection();
                return true;
            }
            const QString text = key->text();
            const bool commandKey =
                key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
            // Space, Backspace, Enter and Escape continue the cell's text;
            // printable characters are left to the view, which replaces the
            // text with them. Tab moves between cells as in any table.
            if (text.size() == 1 && !commandKey && text.at(0).unicode() <= 32 &&
                key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) {
                open(nullptr, continueCaret);
                return true;
            }
        }
        break;
    case QEvent::InputMethod:
        if (watched == grid && !m_delegate->openEditor()) {
            // A composition (preedit) is left to the view. A text committed
            // without one (no composition to disturb) is not handed on by
            // the view, so it opens the editor here.
            auto *input = static_cast<QInputMethodEvent *>(event);
            if (input->preeditString().isEmpty() && !input->commitString().isEmpty()) {
                GridEdit(input->commitString());
                return true;
            }
        }
        break;
    case QEvent::MouseButtonPress:
        // A click moves the current cell: what is being composed goes into
        // the cell being edited first.
        if (watched == m_viewport || watched == m_header) {
            m_delegate->commitComposition();
        }
        break;
    case QEvent::FocusOut:
        if (watched == grid &&
            static_cast<QFocusEvent *>(event)->reason() == Qt::ActiveWindowFocusReason) {
            m_delegate->commitComposition();
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == m_viewport) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const QModelIndex cell = grid->indexAt(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton && cell.isValid()) {
                grid->setCurrentIndex(cell);
                open(nullptr, continueCaret);
            }
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
