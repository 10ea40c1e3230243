#include "grideditor.h"

#include "celleditordelegate.h"
#include "platform/dialogs.h"
#include "shell/columnlayout.h"
#include "shell/mainwindow.h"
#include "shell/tablemodel.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>

namespace {

// The caret of a continued edit stands at the end of texts up to this length.
constexpr int continueCaret = 1000;

} // namespace

GridEditor::GridEditor(MainWindow &window)
    : QObject(&window), m_window(window), m_delegate(new CellEditorDelegate(this))
{
    QTableView *grid = window.grid();
    m_grid = grid;
    m_viewport = grid->viewport();
    m_header = grid->horizontalHeader();
    grid->setItemDelegate(m_delegate);
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
    m_popupRunner = [](QMenu *menu, const QPoint &at) { menu->exec(at); };

    connect(window.menuActions().newTable, &QAction::triggered, this, &GridEditor::MnuNew);
}

void GridEditor::GridEdit(int KeyAscii)
{
    if (KeyAscii > 32 || KeyAscii < 0) {
        // A double-byte character arrives as its code read as a negative number.
        const char16_t code = char16_t(KeyAscii < 0 ? KeyAscii + 65536 : KeyAscii);
        open(QString(QChar(code)), 1);
    } else {
        const QModelIndex current = m_window.grid()->currentIndex();
        open(current.data(Qt::EditRole).toString(), continueCaret);
    }
}

void GridEditor::GridEdit(const QString &committed)
{
    open(committed, int(committed.size()));
}

void GridEditor::open(const QString &text, int caret)
{
    QTableView *grid = m_window.grid();
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid()) {
        return; // no data rows: there is no cell to edit
    }
    m_delegate->prepare(text, caret);
    grid->edit(current);
    if (QLineEdit *editor = m_delegate->openEditor()) {
        // The view selects the whole text of a new line editor; the caret
        // belongs after the typed character or at the end of the cell's text.
        editor->deselect();
        editor->setCursorPosition(std::min(caret, int(editor->text().size())));
        editor->setFocus(Qt::OtherFocusReason);
    }
}

void GridEditor::clearSelection()
{
    const QItemSelection selection = m_window.grid()->selectionModel()->selection();
    for (const QItemSelectionRange &range : selection) {
        m_window.table().clearBlock(TableModel::gridRow(range.top()),
                                    TableModel::gridRow(range.bottom()), range.left(),
                                    range.right());
    }
}

void GridEditor::MnuDelete()
{
    TableModel &table = m_window.table();
    if (table.Rows() > 2) {
        const QModelIndex current = m_window.grid()->currentIndex();
        table.RemoveItem(current.isValid() ? TableModel::gridRow(current.row()) : 1);
    } else if (table.Rows() == 2) {
        table.setRows(1);
    }
    m_window.StatubarMessg(table.Rows() - 1);
}

void GridEditor::MnuSort1(int Index)
{
    QTableView *grid = m_window.grid();
    const QModelIndex current = grid->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    // Making the column current collapses the selection to the current cell.
    grid->selectionModel()->setCurrentIndex(grid->model()->index(row, Index),
                                            QItemSelectionModel::ClearAndSelect);
    m_window.table().Sort(Index);
}

void GridEditor::MnuNew()
{
    if (m_window.dialogs().question(&m_window, QStringLiteral("New ?")) != Dialogs::Answer::Yes) {
        return;
    }
    m_delegate->discardOpenEditor();
    TableModel &table = m_window.table();
    table.Clear();
    m_window.SetupGridColumns();
    m_window.FitColumnWidths();
    table.setRows(1);
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
        if (watched == grid) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Delete) {
                clearSelection();
                return true;
            }
            const QString text = key->text();
            const bool commandKey =
                key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
            // Tab moves between cells as in any table; keys without a character never edit.
            if (text.size() == 1 && !commandKey && key->key() != Qt::Key_Tab &&
                key->key() != Qt::Key_Backtab) {
                GridEdit(int(text.at(0).unicode()));
                return true;
            }
            if (text.size() > 1 && !commandKey) {
                GridEdit(text);
                return true;
            }
        }
        break;
    case QEvent::InputMethod:
        if (watched == grid) {
            auto *input = static_cast<QInputMethodEvent *>(event);
            if (!input->commitString().isEmpty() || !input->preeditString().isEmpty()) {
                GridEdit(input->commitString());
                // A composition in progress goes on in the editor.
                if (!input->preeditString().isEmpty()) {
                    if (QLineEdit *editor = m_delegate->openEditor()) {
                        QInputMethodEvent rest(input->preeditString(), input->attributes());
                        QCoreApplication::sendEvent(editor, &rest);
                    }
                }
                return true;
            }
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == m_viewport) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const QModelIndex cell = grid->indexAt(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton && cell.isValid()) {
                grid->setCurrentIndex(cell);
                GridEdit(32);
            }
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
