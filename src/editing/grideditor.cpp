#include "grideditor.h"

#include "celleditordelegate.h"
#include "platform/dialogs.h"
#include "shell/columnlayout.h"
#include "shell/mainwindow.h"
#include "shell/tablehistory.h"
#include "shell/tablemodel.h"
#include "shell/tabseparated.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
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

    // In the window, not the grid: an open editor keeps these keys for its own text.
    const auto addEditCommand = [&](const QString &text, QKeySequence::StandardKey keys,
                                    void (GridEditor::*command)()) {
        QAction *action = window.menuActions().edit->addAction(text);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, command);
        return action;
    };
    window.menuActions().edit->addSeparator();
    QAction *cut =
        addEditCommand(QStringLiteral("切り取り &T"), QKeySequence::Cut, &GridEditor::cutSelection);
    QAction *copy =
        addEditCommand(QStringLiteral("コピー &C"), QKeySequence::Copy, &GridEditor::copySelection);
    QAction *paste =
        addEditCommand(QStringLiteral("貼り付け &P"), QKeySequence::Paste, &GridEditor::paste);

    m_popup = new QMenu(QStringLiteral("ﾎﾟｯﾌﾟｱｯﾌﾟ"), &window);
    m_insertRow = m_popup->addAction(QStringLiteral("行の挿入 &I"));
    connect(m_insertRow, &QAction::triggered, this, &GridEditor::insertRow);
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
    m_popup->addAction(cut);
    m_popup->addAction(copy);
    m_popup->addAction(paste);
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

void GridEditor::copySelection()
{
    const QItemSelection selection = m_grid->selectionModel()->selection();
    QItemSelectionRange block;
    if (!selection.isEmpty()) {
        block = selection.first();
    } else if (m_grid->currentIndex().isValid()) {
        block = QItemSelectionRange(m_grid->currentIndex());
    } else {
        return;
    }
    const TableModel &table = m_window.table();
    QList<QStringList> rows;
    rows.reserve(block.height());
    for (int row = block.top(); row <= block.bottom(); ++row) {
        QStringList cells;
        for (int col = block.left(); col <= block.right(); ++col) {
            cells.append(table.text(TableModel::gridRow(row), col));
        }
        rows.append(cells);
    }
    QGuiApplication::clipboard()->setText(TabSeparated::write(rows));
}

void GridEditor::cutSelection()
{
    copySelection();
    clearSelection();
    m_window.StatubarMessg(m_window.table().Rows() - 1);
}

void GridEditor::paste()
{
    const QList<QStringList> rows = TabSeparated::read(QGuiApplication::clipboard()->text());
    if (rows.isEmpty()) {
        return;
    }
    TableModel &table = m_window.table();
    const QModelIndex current = m_grid->currentIndex();
    const qsizetype firstRow = current.isValid() ? TableModel::gridRow(current.row()) : 1;
    const int firstCol = current.isValid() ? current.column() : 0;
    qsizetype cutCells = 0;
    TableHistory &history = m_window.history();
    history.beginWholeChange();
    table.setRows(std::max(table.Rows(), firstRow + rows.size()));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QStringList &cells = rows[i];
        for (qsizetype j = 0; j < cells.size(); ++j) {
            if (firstCol + j >= table.Cols()) {
                cutCells += cells.size() - j;
                break;
            }
            table.setText(firstRow + i, int(firstCol + j), cells[j]);
        }
    }
    history.finishWholeChange(QStringLiteral("貼り付け"));
    qsizetype widest = 0;
    for (const QStringList &cells : rows) {
        widest = std::max(widest, cells.size());
    }
    const int lastCol = int(std::min<qsizetype>(table.Cols() - 1, firstCol + widest - 1));
    QAbstractItemModel *model = m_grid->model();
    m_grid->selectionModel()->setCurrentIndex(
        model->index(TableModel::modelRow(firstRow), firstCol), QItemSelectionModel::NoUpdate);
    m_grid->selectionModel()->select(
        QItemSelection(model->index(TableModel::modelRow(firstRow), firstCol),
                       model->index(TableModel::modelRow(firstRow + rows.size() - 1), lastCol)),
        QItemSelectionModel::ClearAndSelect);
    m_window.StatubarMessg(table.Rows() - 1);
    if (cutCells > 0) {
        m_window.dialogs().message(&m_window,
                                   QStringLiteral("貼り付けた文字のうち、備考より右の %1 個のセルは"
                                                  "表に入らないため省きました。")
                                       .arg(cutCells));
    }
}

void GridEditor::insertRow()
{
    m_delegate->commitOpenEditor();
    TableModel &table = m_window.table();
    const QModelIndex current = m_grid->currentIndex();
    const qsizetype row = current.isValid() ? TableModel::gridRow(current.row()) : table.Rows();
    const int col = current.isValid() ? current.column() : 0;
    QList<QString> cells = table.cells();
    cells.insert(table.CellIndex(row, 0), table.Cols(), QString());
    TableHistory &history = m_window.history();
    history.beginWholeChange();
    table.setCells(cells);
    history.finishWholeChange(QStringLiteral("行の挿入"));
    m_grid->setCurrentIndex(m_grid->model()->index(TableModel::modelRow(row), col));
    m_window.StatubarMessg(table.Rows() - 1);
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
    // 「New ?」 is the old tool's own question, kept as it was for that tool's users.
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

QPoint GridEditor::popupPlace(const QContextMenuEvent &event) const
{
    if (event.reason() != QContextMenuEvent::Keyboard) {
        return event.globalPos();
    }
    // The Menu key and Shift+F10 open it at the current cell, not at the mouse.
    const QModelIndex current = m_grid->currentIndex();
    const QRect cell = current.isValid() ? m_grid->visualRect(current) : QRect();
    return m_grid->viewport()->mapToGlobal(cell.isValid() ? cell.bottomLeft() : QPoint(0, 0));
}

bool GridEditor::keyOnClosedCell(const QKeyEvent &key)
{
    if (key.key() == Qt::Key_Delete) {
        clearSelection();
        return true;
    }
    const QString text = key.text();
    const bool commandKey =
        key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // Space, Backspace, Enter and Escape continue the cell's text;
    // printable characters are left to the view, which replaces the
    // text with them. Tab moves between cells as in any table.
    if (text.size() == 1 && !commandKey && text.at(0).unicode() <= 32 && key.key() != Qt::Key_Tab &&
        key.key() != Qt::Key_Backtab) {
        open(nullptr, continueCaret);
        return true;
    }
    return false;
}

bool GridEditor::eventFilter(QObject *watched, QEvent *event)
{
    QTableView *grid = m_grid;
    switch (event->type()) {
    case QEvent::ContextMenu:
        if (watched == m_viewport || watched == m_header || watched == grid) {
            showPopup(popupPlace(*static_cast<QContextMenuEvent *>(event)));
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (watched == grid && !m_delegate->openEditor() &&
            keyOnClosedCell(*static_cast<QKeyEvent *>(event))) {
            return true;
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
