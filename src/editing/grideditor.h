#pragma once

#include <QObject>

#include <functional>

class CellEditorDelegate;
class MainWindow;
class QAction;
class QContextMenuEvent;
class QKeyEvent;
class QMenu;
class QTableView;
class QPoint;

// Editing the table by hand: the in-cell editor, the Delete key, copy, cut
// and paste of blocks, the table's pop-up menu (insert or delete a row, sort
// by a column) and File > New.
// Typing a character or composing with an input method on the grid replaces
// the cell's text; the view keeps the keyboard focus until the input method
// commits, so that no composition is cut short by a focus change.
class GridEditor : public QObject
{
    Q_OBJECT

public:
    explicit GridEditor(MainWindow &window);

    // Opens the editor over the current cell. A printable character (code
    // above 32, or a double-byte character) replaces the cell's text; the
    // space and control characters continue the cell's text, caret at the end.
    void GridEdit(int KeyAscii);
    // A text committed by the input method: replaces the cell's text.
    void GridEdit(const QString &committed);

    void clearSelection();
    // The selected block to the clipboard as tab-separated rows.
    void copySelection();
    // Copies the selected block, then empties it (one step).
    void cutSelection();
    // Tab-separated text from the clipboard into the table from the current
    // cell to the right and down, adding rows at the end when needed (one step).
    void paste();
    // An empty row above the current row.
    void insertRow();
    void MnuDelete();
    void MnuSort1(int Index);
    void MnuNew();

    QMenu *popupMenu() const { return m_popup; }
    QAction *insertRowAction() const { return m_insertRow; }
    CellEditorDelegate *delegate() const { return m_delegate; }
    // How the pop-up menu is shown; tests replace it so that nothing waits.
    void setPopupRunner(std::function<void(QMenu *, const QPoint &)> runner)
    {
        m_popupRunner = std::move(runner);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Opens the editor on the current cell with the cell's text, or with
    // `replacement` when given; the caret at `caret` (clamped to the text).
    void open(const QString *replacement, int caret);
    void showPopup(const QPoint &globalPosition);
    QPoint popupPlace(const QContextMenuEvent &event) const;
    // A key pressed while no editor is open; true when it was used.
    bool keyOnClosedCell(const QKeyEvent &key);

    MainWindow &m_window;
    // Kept as plain pointers: the filter still sees events while the window
    // is being destroyed, when asking the window for them is no longer valid.
    QTableView *m_grid = nullptr;
    QObject *m_viewport = nullptr;
    QObject *m_header = nullptr;
    CellEditorDelegate *m_delegate = nullptr;
    QMenu *m_popup = nullptr;
    QAction *m_deleteRow = nullptr;
    QAction *m_insertRow = nullptr;
    std::function<void(QMenu *, const QPoint &)> m_popupRunner;
};
