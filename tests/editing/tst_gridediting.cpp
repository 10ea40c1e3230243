#include "app/subsystems.h"
#include "editing/celleditordelegate.h"
#include "editing/grideditor.h"
#include "settings/positionsettings.h"
#include "shell/mainwindow.h"
#include "shell/tablehistory.h"
#include "shell/tablemodel.h"
#include "support/memorystore.h"
#include "support/rows.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

class TestGridEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typingOnTheGrid_data();
    void typingOnTheGrid();
    void inputMethodOnTheGrid_data();
    void inputMethodOnTheGrid();
    void compositionWhenTheCellChanges_data();
    void compositionWhenTheCellChanges();
    void doubleClickContinuesLongTexts();
    void endingAnEdit_data();
    void endingAnEdit();
    void clickOnAnotherCellStoresInTheEditedCell();
    void switchingWindowsLeavesTheEditOpen();
    void deleteKeyEmptiesTheSelection_data();
    void deleteKeyEmptiesTheSelection();
    void deleteRow_data();
    void deleteRow();
    void sortByQuantity();
    void newTable_data();
    void newTable();
    void blocksThroughTheClipboard_data();
    void blocksThroughTheClipboard();
    void insertRowAboveTheCurrentRow();
    void popupMenu_data();
    void popupMenu();
    void undoAndRedo_data();
    void undoAndRedo();
    void unsavedChanges_data();
    void unsavedChanges();

private:
    struct Fixture
    {
        Fixture()
        {
            window.resize(700, 400);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            setDataRows(window.table(), {{"XYZ", "品名1", "", "", "10", ""},
                                         {"B", "品名2", "", "", "2", ""},
                                         {"C", "品名3", "", "", "1", ""},
                                         {"D", "品名4", "", "", "", ""},
                                         {"E", "品名5", "", "", "", ""}});
            editor = window.findChild<GridEditor *>();
            grid()->setFocus();
            grid()->setCurrentIndex(grid()->model()->index(0, 0));
        }
        QTableView *grid() const { return window.grid(); }
        QLineEdit *openEditor() const { return editor->delegate()->openEditor(); }
        QString cell(qsizetype row, int col) const { return window.table().text(row, col); }
        QPoint centre(int modelRow, int col) const
        {
            return grid()->visualRect(grid()->model()->index(modelRow, col)).center();
        }

        MemoryStore store;
        PositionSettings positions{store};
        ScriptedDialogs dialogs;
        MainWindow window{dialogs, positions};
        Subsystems subsystems{window, store};
        GridEditor *editor = nullptr;
    };
};

void TestGridEditing::typingOnTheGrid_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("editorText");
    QTest::addColumn<int>("caret");

    QTest::newRow("letter replaces") << int(Qt::Key_A) << "A" << true << "A" << 1;
    QTest::newRow("half-width katakana replaces")
        << int(Qt::Key_unknown) << "ｱ" << true << "ｱ" << 1;
    QTest::newRow("space continues, adds nothing")
        << int(Qt::Key_Space) << " " << true << "XYZ" << 3;
    QTest::newRow("backspace continues, removes nothing")
        << int(Qt::Key_Backspace) << "\b" << true << "XYZ" << 3;
    QTest::newRow("enter continues") << int(Qt::Key_Return) << "\r" << true << "XYZ" << 3;
    QTest::newRow("escape continues") << int(Qt::Key_Escape) << "\x1b" << true << "XYZ" << 3;
    QTest::newRow("F2 never opens") << int(Qt::Key_F2) << "" << false << "" << 0;
    QTest::newRow("arrow never opens") << int(Qt::Key_Down) << "" << false << "" << 0;
    QTest::newRow("delete never opens") << int(Qt::Key_Delete) << "\x7f" << false << "" << 0;
    QTest::newRow("ctrl+C never opens") << int(Qt::Key_C) << "\x03" << false << "" << 0;
}

void TestGridEditing::typingOnTheGrid()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, opens);
    QFETCH(QString, editorText);
    QFETCH(int, caret);
    Fixture fixture;
    const Qt::KeyboardModifiers modifiers = key == Qt::Key_C ? Qt::ControlModifier : Qt::NoModifier;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(fixture.grid(), &press);
    QCOMPARE(fixture.openEditor() != nullptr, opens);
    if (opens) {
        QCOMPARE(fixture.openEditor()->text(), editorText);
        QCOMPARE(fixture.openEditor()->cursorPosition(), caret);
        QCOMPARE(fixture.openEditor()->geometry(),
                 fixture.grid()->visualRect(fixture.grid()->currentIndex()));
        QCOMPARE(fixture.openEditor()->font(), fixture.grid()->font());
    }
    QCOMPARE(fixture.cell(1, 0), key == Qt::Key_Delete ? QString() : QString("XYZ"));
}

void TestGridEditing::inputMethodOnTheGrid_data()
{
    QTest::addColumn<QStringList>("preedits"); // compositions before the final event
    QTest::addColumn<QString>("commit");
    QTest::addColumn<QString>("stored");
    // The first composition once moved the focus to the editor, and the input
    // method dropped what it held: "buhin" became うひん.
    QTest::newRow("composition started on the grid")
        << QStringList{"ｂ", "ぶ", "ぶひ", "ぶひん"} << "部品"
        << "部品";
    QTest::newRow("text committed without a composition") << QStringList{} << "部品"
                                                          << "部品";
    QTest::newRow("composition cancelled keeps the cell") << QStringList{"ぶ"} << ""
                                                          << "XYZ";
}

void TestGridEditing::inputMethodOnTheGrid()
{
    QFETCH(QStringList, preedits);
    QFETCH(QString, commit);
    QFETCH(QString, stored);
    Fixture fixture;
    fixture.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
    fixture.grid()->setFocus();
    for (const QString &preedit : preedits) {
        QInputMethodEvent composing(preedit, {});
        QCoreApplication::sendEvent(QGuiApplication::focusObject(), &composing);
        QVERIFY(fixture.openEditor());
        // The input method must not see a focus change while it composes.
        QCOMPARE(QApplication::focusWidget(), fixture.grid());
    }
    QInputMethodEvent end;
    end.setCommitString(commit);
    QCoreApplication::sendEvent(QGuiApplication::focusObject(), &end);
    QLineEdit *editor = fixture.openEditor();
    QVERIFY(editor);
    QCOMPARE(editor->text(), stored);
    QCOMPARE(editor->cursorPosition(), int(stored.size()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(!fixture.openEditor());
    QCOMPARE(fixture.cell(1, 0), stored);
}

void TestGridEditing::compositionWhenTheCellChanges_data()
{
    QTest::addColumn<bool>("doubleClick"); // else the composition opens the editor
    QTest::addColumn<QString>("leave");
    QTest::addColumn<QString>("stored"); // in 材料 of the first row
    // Both the old text and the reading were once lost.
    QTest::newRow("composing on the grid, click") << false << "click"
                                                  << "ぶひn";
    QTest::newRow("composing on the grid, arrow") << false << "down"
                                                  << "ぶひn";
    QTest::newRow("double-click editor, click") << true << "click"
                                                << "SGPぶひn";
    QTest::newRow("double-click editor, tab") << true << "tab"
                                              << "SGPぶひn";
    // The edit stays open across windows; the composition becomes its text.
    QTest::newRow("another window") << false << "window"
                                    << "SGP";
}

void TestGridEditing::compositionWhenTheCellChanges()
{
    QFETCH(bool, doubleClick);
    QFETCH(QString, leave);
    QFETCH(QString, stored);
    Fixture fixture;
    fixture.window.table().setText(1, 2, "SGP");
    fixture.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
    fixture.grid()->setCurrentIndex(fixture.grid()->model()->index(0, 2));
    if (doubleClick) {
        QTest::mouseDClick(fixture.grid()->viewport(), Qt::LeftButton, {}, fixture.centre(0, 2));
        QVERIFY(fixture.openEditor());
    }
    for (const QString preedit : {"ｂ", "ぶ", "ぶひ", "ぶひn"}) {
        QInputMethodEvent composing(preedit, {});
        QCoreApplication::sendEvent(QGuiApplication::focusObject(), &composing);
    }
    QVERIFY(fixture.openEditor());
    if (leave == "click") {
        QTest::mouseClick(fixture.grid()->viewport(), Qt::LeftButton, {}, fixture.centre(2, 1));
    } else if (leave == "down" || leave == "tab") {
        QTest::keyClick(QApplication::focusWidget(), leave == "tab" ? Qt::Key_Tab : Qt::Key_Down);
    } else {
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        other.activateWindow();
        QTRY_VERIFY(!fixture.window.isActiveWindow());
        QVERIFY(fixture.openEditor());
        QCOMPARE(fixture.openEditor()->text(), QString("ぶひn"));
    }
    QTRY_VERIFY(leave == "window" || !fixture.openEditor());
    QCOMPARE(fixture.cell(1, 2), stored);
    QCOMPARE(fixture.cell(3, 1), QString("品名3")); // nothing lands in the clicked cell
    if (leave != "window") {
        QCOMPARE(fixture.window.history().stack().count(), 1);
    }
}

void TestGridEditing::doubleClickContinuesLongTexts()
{
    Fixture fixture;
    const QString longText(1200, QChar(u'長'));
    fixture.window.table().setText(3, 1, longText);
    QTest::mouseClick(fixture.grid()->viewport(), Qt::LeftButton, {}, fixture.centre(2, 1));
    QTest::mouseDClick(fixture.grid()->viewport(), Qt::LeftButton, {}, fixture.centre(2, 1));
    QVERIFY(fixture.openEditor());
    QCOMPARE(fixture.openEditor()->text(), longText);
    QCOMPARE(fixture.openEditor()->cursorPosition(), 1000);
}

void TestGridEditing::endingAnEdit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("endKey");
    QTest::addColumn<QString>("stored");
    QTest::newRow("enter stores, no line break") << "AB" << int(Qt::Key_Return) << "AB";
    QTest::newRow("escape keeps the old text") << "AB" << int(Qt::Key_Escape) << "XYZ";
    QTest::newRow("emptied and enter leaves the cell empty") << "" << int(Qt::Key_Return) << "";
    QTest::newRow("tab stores") << "AB" << int(Qt::Key_Tab) << "AB";
}

void TestGridEditing::endingAnEdit()
{
    QFETCH(QString, typed);
    QFETCH(int, endKey);
    QFETCH(QString, stored);
    Fixture fixture;
    fixture.editor->GridEdit(32);
    QLineEdit *editor = fixture.openEditor();
    QVERIFY(editor);
    editor->clear();
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, Qt::Key(endKey));
    QTRY_VERIFY(!fixture.openEditor());
    QCOMPARE(fixture.cell(1, 0), stored);
    QCOMPARE(fixture.window.table().Rows(), qsizetype(6));
}

void TestGridEditing::clickOnAnotherCellStoresInTheEditedCell()
{
    Fixture fixture;
    QTest::keyClick(fixture.grid(), 'A');
    QVERIFY(fixture.openEditor());
    QTest::mouseClick(fixture.grid()->viewport(), Qt::LeftButton, {}, fixture.centre(2, 1));
    QTRY_VERIFY(!fixture.openEditor());
    QCOMPARE(fixture.cell(1, 0), QString("A"));
    QCOMPARE(fixture.cell(3, 1), QString("品名3"));
    QCOMPARE(fixture.grid()->currentIndex(), fixture.grid()->model()->index(2, 1));
}

void TestGridEditing::switchingWindowsLeavesTheEditOpen()
{
    Fixture fixture;
    QTest::keyClick(fixture.grid(), 'Q');
    QLineEdit *editor = fixture.openEditor();
    QVERIFY(editor);
    QWidget other;
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    other.activateWindow();
    QTRY_VERIFY(!fixture.window.isActiveWindow());
    fixture.window.activateWindow();
    QTRY_VERIFY(fixture.window.isActiveWindow());
    QCOMPARE(fixture.openEditor(), editor);
    QCOMPARE(editor->text(), QString("Q"));
    QCOMPARE(fixture.cell(1, 0), QString("XYZ"));
}

void TestGridEditing::deleteKeyEmptiesTheSelection_data()
{
    QTest::addColumn<QPoint>("start"); // (model row, column) clicked first
    QTest::addColumn<QPoint>("end");   // shift-clicked
    QTest::addColumn<int>("modifiers");
    QTest::newRow("single cell") << QPoint(1, 1) << QPoint(1, 1) << int(Qt::NoModifier);
    QTest::newRow("down and right") << QPoint(1, 1) << QPoint(3, 3) << int(Qt::NoModifier);
    // Once emptied nothing; the block is the block whichever way it was made.
    QTest::newRow("up and left") << QPoint(3, 3) << QPoint(1, 1) << int(Qt::NoModifier);
    QTest::newRow("shift+delete") << QPoint(3, 1) << QPoint(1, 3) << int(Qt::ShiftModifier);
    QTest::newRow("ctrl+delete") << QPoint(1, 3) << QPoint(3, 1) << int(Qt::ControlModifier);
}

void TestGridEditing::deleteKeyEmptiesTheSelection()
{
    QFETCH(QPoint, start);
    QFETCH(QPoint, end);
    QFETCH(int, modifiers);
    Fixture fixture;
    fixture.window.StatubarMessg(5);
    for (int row = 1; row <= 5; ++row) {
        for (int col = 0; col < 6; ++col) {
            fixture.window.table().setText(row, col, QStringLiteral("%1.%2").arg(row).arg(col));
        }
    }
    QTest::mouseClick(fixture.grid()->viewport(), Qt::LeftButton, {},
                      fixture.centre(start.x(), start.y()));
    QTest::mouseClick(fixture.grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      fixture.centre(end.x(), end.y()));
    const QModelIndex current = fixture.grid()->currentIndex();
    QTest::keyClick(fixture.grid(), Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 6; ++col) {
            const bool emptied =
                row >= std::min(start.x(), end.x()) && row <= std::max(start.x(), end.x()) &&
                col >= std::min(start.y(), end.y()) && col <= std::max(start.y(), end.y());
            QCOMPARE(fixture.cell(row + 1, col).isEmpty(), emptied);
        }
    }
    QCOMPARE(fixture.window.table().Rows(), qsizetype(6));
    QCOMPARE(fixture.window.statusMessage(), QString(" 5 個のﾃﾞｰﾀを取得"));
    QCOMPARE(fixture.grid()->currentIndex(), current);
    QVERIFY(!fixture.openEditor());
}

void TestGridEditing::deleteRow_data()
{
    QTest::addColumn<int>("dataRows");
    QTest::addColumn<int>("currentRow"); // model row
    QTest::addColumn<QStringList>("remaining");
    QTest::newRow("empty table") << 0 << -1 << QStringList{};
    QTest::newRow("the one data row") << 1 << 0 << QStringList{};
    QTest::newRow("middle row") << 5 << 2 << QStringList{"XYZ", "B", "D", "E"};
    QTest::newRow("last row") << 5 << 4 << QStringList{"XYZ", "B", "C", "D"};
}

void TestGridEditing::deleteRow()
{
    QFETCH(int, dataRows);
    QFETCH(int, currentRow);
    QFETCH(QStringList, remaining);
    Fixture fixture;
    fixture.window.table().setRows(dataRows + 1);
    if (currentRow >= 0) {
        // Rows below selected as well: only the current row goes.
        fixture.grid()->setCurrentIndex(fixture.grid()->model()->index(currentRow, 1));
        fixture.grid()->selectionModel()->select(
            QItemSelection(fixture.grid()->model()->index(currentRow, 0),
                           fixture.grid()->model()->index(dataRows - 1, 5)),
            QItemSelectionModel::Select);
    }
    QTest::keyClick(&fixture.window, Qt::Key_D, Qt::ControlModifier); // menu closed
    QStringList column;
    for (qsizetype row = 1; row < fixture.window.table().Rows(); ++row) {
        column.append(fixture.cell(row, 0));
    }
    QCOMPARE(column, remaining);
    QCOMPARE(fixture.window.statusMessage(),
             QStringLiteral(" %1 個のﾃﾞｰﾀを取得").arg(remaining.size()));
}

void TestGridEditing::sortByQuantity()
{
    Fixture fixture;
    fixture.window.table().setRows(4);
    fixture.grid()->selectAll();
    fixture.editor->MnuSort1(4);
    QCOMPARE(fixture.window.table().rowTexts(1), (QStringList{"C", "品名3", "", "", "1", ""}));
    QCOMPARE(fixture.window.table().rowTexts(2), (QStringList{"B", "品名2", "", "", "2", ""}));
    QCOMPARE(fixture.window.table().rowTexts(3), (QStringList{"XYZ", "品名1", "", "", "10", ""}));
    QCOMPARE(fixture.grid()->currentIndex().column(), 4);
    QCOMPARE(fixture.grid()->selectionModel()->selectedIndexes().size(), 1);
}

void TestGridEditing::newTable_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("answered yes") << true;
    QTest::newRow("answered no") << false;
}

void TestGridEditing::newTable()
{
    QFETCH(bool, yes);
    Fixture fixture;
    fixture.window.table().setText(0, 4, "changed header");
    fixture.window.StatubarMessg(5);
    fixture.dialogs.answers = {yes ? Dialogs::Answer::Yes : Dialogs::Answer::No};
    fixture.window.menuActions().newTable->trigger();
    QCOMPARE(fixture.dialogs.kinds(), QStringList{"question"});
    QCOMPARE(fixture.dialogs.shown.first().text, QString("New ?"));
    if (yes) {
        QCOMPARE(fixture.window.table().Rows(), qsizetype(1));
        QCOMPARE(fixture.window.table().text(0, 4), QString("個数"));
        QCOMPARE(fixture.window.statusMessage(), QString(" 0 個のﾃﾞｰﾀを取得"));
    } else {
        QCOMPARE(fixture.window.table().Rows(), qsizetype(6));
        QCOMPARE(fixture.window.table().text(0, 4), QString("changed header"));
        QCOMPARE(fixture.window.statusMessage(), QString(" 5 個のﾃﾞｰﾀを取得"));
    }
}

void TestGridEditing::blocksThroughTheClipboard_data()
{
    QTest::addColumn<int>("key");     // with Ctrl
    QTest::addColumn<QRect>("block"); // model rows and columns: x = column, y = row
    QTest::addColumn<QString>("clipboardBefore");
    QTest::addColumn<QString>("clipboardAfter");
    QTest::addColumn<QStringList>("cells"); // "row,column=text", grid rows
    QTest::addColumn<int>("rows");          // data rows afterwards
    QTest::addColumn<int>("notes");         // messages shown

    QTest::newRow("copy a block") << int(Qt::Key_C) << QRect(0, 0, 2, 2) << ""
                                  << "XYZ\t品名1\nB\t品名2\n"
                                  << QStringList{"1,0=XYZ"} << 5 << 0;
    QTest::newRow("cut empties the block") << int(Qt::Key_X) << QRect(1, 3, 1, 2) << ""
                                           << "品名4\n品名5\n"
                                           << QStringList{"4,1=", "5,1=", "4,0=D"} << 5 << 0;
    QTest::newRow("paste down and right from the current cell")
        << int(Qt::Key_V) << QRect(1, 1, 1, 1) << "ｱｰ１２\tSUS304\r\n髙①\t\r\n"
        << "ｱｰ１２\tSUS304\r\n髙①\t\r\n"
        << QStringList{"2,1=ｱｰ１２", "2,2=SUS304", "3,1=髙①", "3,2=", "3,3="} << 5 << 0;
    QTest::newRow("paste adds rows at the end")
        << int(Qt::Key_V) << QRect(0, 4, 1, 1) << "P-1\nP-2\nP-3"
        << "P-1\nP-2\nP-3" << QStringList{"5,0=P-1", "6,0=P-2", "7,0=P-3", "7,1="} << 7 << 0;
    // A spreadsheet quotes cells holding tabs or line ends.
    QTest::newRow("paste quoted cells")
        << int(Qt::Key_V) << QRect(0, 0, 1, 1) << "\"a\tb\"\t\"c\nd\"\"\"\n"
        << "\"a\tb\"\t\"c\nd\"\"\"\n"
        << QStringList{"1,0=a\tb", "1,1=c\nd\""} << 5 << 0;
    QTest::newRow("paste beyond 備考 is cut with a note")
        << int(Qt::Key_V) << QRect(4, 0, 1, 1) << "1\t2\t3\t4"
        << "1\t2\t3\t4" << QStringList{"1,4=1", "1,5=2"} << 5 << 1;
}

void TestGridEditing::blocksThroughTheClipboard()
{
    QFETCH(int, key);
    QFETCH(QRect, block);
    QFETCH(QString, clipboardBefore);
    QFETCH(QString, clipboardAfter);
    QFETCH(QStringList, cells);
    QFETCH(int, rows);
    QFETCH(int, notes);
    Fixture fixture;
    fixture.window.StatubarMessg(5);
    QApplication::clipboard()->setText(clipboardBefore);
    const QList<QString> before = fixture.window.table().cells();
    QTest::mouseClick(fixture.grid()->viewport(), Qt::LeftButton, {},
                      fixture.centre(block.top(), block.left()));
    QTest::mouseClick(fixture.grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      fixture.centre(block.bottom(), block.right()));
    QTest::keyClick(fixture.grid(), Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), clipboardAfter);
    for (const QString &cell : cells) {
        const qsizetype comma = cell.indexOf(','), equals = cell.indexOf('=');
        QCOMPARE(
            fixture.cell(cell.left(comma).toInt(), cell.mid(comma + 1, equals - comma - 1).toInt()),
            cell.mid(equals + 1));
    }
    QCOMPARE(fixture.window.table().Rows(), qsizetype(rows + 1));
    QCOMPARE(fixture.window.statusMessage(), QStringLiteral(" %1 個のﾃﾞｰﾀを取得").arg(rows));
    QCOMPARE(fixture.dialogs.shown.size(), notes);
    QVERIFY(!fixture.openEditor());
    // One step back to the table as it was.
    if (fixture.window.table().cells() != before) {
        fixture.window.menuActions().undo->trigger();
    }
    QCOMPARE(fixture.window.table().cells(), before);
}

void TestGridEditing::insertRowAboveTheCurrentRow()
{
    Fixture fixture;
    fixture.grid()->setCurrentIndex(fixture.grid()->model()->index(2, 3));
    fixture.editor->insertRowAction()->trigger();
    QCOMPARE(fixture.window.table().Rows(), qsizetype(7));
    QCOMPARE(fixture.window.table().rowTexts(3), QStringList(6, QString()));
    QCOMPARE(fixture.cell(4, 0), QString("C"));
    QCOMPARE(fixture.grid()->currentIndex(), fixture.grid()->model()->index(2, 3));
    QCOMPARE(fixture.window.statusMessage(), QString(" 6 個のﾃﾞｰﾀを取得"));
    fixture.window.menuActions().undo->trigger();
    QCOMPARE(fixture.window.table().Rows(), qsizetype(6));
    QCOMPARE(fixture.cell(3, 0), QString("C"));
    // The count follows undo and redo.
    QCOMPARE(fixture.window.statusMessage(), QString(" 5 個のﾃﾞｰﾀを取得"));
}

void TestGridEditing::popupMenu_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("on a cell") << "cell";
    QTest::newRow("on the header") << "header";
    QTest::newRow("below the last row") << "empty";
}

void TestGridEditing::popupMenu()
{
    QFETCH(QString, where);
    Fixture fixture;
    QMenu *shown = nullptr;
    fixture.editor->setPopupRunner([&](QMenu *menu, const QPoint &) { shown = menu; });
    // An open edit is stored before the menu opens.
    QTest::keyClick(fixture.grid(), 'M');
    QWidget *target = where == "header" ? static_cast<QWidget *>(fixture.grid()->horizontalHeader())
                                        : fixture.grid()->viewport();
    const QPoint at = where == "cell"     ? fixture.centre(1, 1)
                      : where == "header" ? QPoint(20, 5)
                                          : QPoint(20, target->height() - 5);
    QPoint shownAt;
    fixture.editor->setPopupRunner([&](QMenu *menu, const QPoint &globalAt) {
        shown = menu;
        shownAt = globalAt;
    });
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QCoreApplication::sendEvent(target, &menuEvent);
    QVERIFY(shown);
    QCOMPARE(shownAt, target->mapToGlobal(at));
    // From the keyboard (Menu key, Shift+F10) at the current cell, wherever the mouse is.
    QContextMenuEvent keyEvent(QContextMenuEvent::Keyboard, QPoint(1, 1), QPoint(1, 1));
    QCoreApplication::sendEvent(fixture.grid(), &keyEvent);
    QCOMPARE(shownAt, fixture.grid()->viewport()->mapToGlobal(
                          fixture.grid()->visualRect(fixture.grid()->currentIndex()).bottomLeft()));
    QCOMPARE(fixture.cell(1, 0), QString("M"));
    const QList<QAction *> items = shown->actions();
    QCOMPARE(items.size(), 10);
    QCOMPARE(items[0]->text(), QString("行の挿入 &I"));
    QCOMPARE(items[1]->text(), QString("１行削除 &D"));
    QCOMPARE(items[8], fixture.window.menuActions().undo);
    QCOMPARE(items[9], fixture.window.menuActions().redo);
    QCOMPARE(items[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    QCOMPARE(items[2]->text(), QString("ｿｰﾄ"));
    QStringList sortEntries;
    for (QAction *entry : items[2]->menu()->actions()) {
        sortEntries.append(entry->text());
    }
    QCOMPARE(sortEntries, (QStringList{"図番", "品名", "材料", "表面処理", "個数", "備考"}));
}

void TestGridEditing::undoAndRedo_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("cell edit") << "edit";
    QTest::newRow("delete key on a block") << "delete";
    QTest::newRow("row deletion") << "row";
    QTest::newRow("sort") << "sort";
    QTest::newRow("new") << "new";
    // Opening a list is one step, however many rows it brings.
    QTest::newRow("open") << "open";
}

void TestGridEditing::undoAndRedo()
{
    QFETCH(QString, change);
    Fixture fixture;
    QTemporaryDir dir;
    const QString list = dir.filePath("list.txt");
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("P-1,a,,,1,\r\nP-2,b,,,2,\r\n");
    file.close();
    const QList<QString> before = fixture.window.table().cells();

    if (change == "edit") {
        QTest::keyClick(fixture.grid(), 'Q');
        QTest::keyClick(fixture.openEditor(), Qt::Key_Return);
    } else if (change == "delete") {
        fixture.grid()->selectAll();
        QTest::keyClick(fixture.grid(), Qt::Key_Delete);
    } else if (change == "row") {
        fixture.editor->MnuDelete();
    } else if (change == "sort") {
        fixture.editor->MnuSort1(1);
        fixture.editor->MnuSort1(4);
    } else if (change == "new") {
        fixture.dialogs.answers = {Dialogs::Answer::Yes};
        fixture.window.menuActions().newTable->trigger();
    } else if (change == "open") {
        fixture.dialogs.fileNames = {list};
        fixture.window.menuActions().open->trigger();
    }
    const QList<QString> after = fixture.window.table().cells();
    QVERIFY(after != before);

    QAction *undo = fixture.window.menuActions().undo;
    QAction *redo = fixture.window.menuActions().redo;
    while (undo->isEnabled()) {
        undo->trigger();
    }
    QCOMPARE(fixture.window.table().cells(), before);
    while (redo->isEnabled()) {
        redo->trigger();
    }
    QCOMPARE(fixture.window.table().cells(), after);
}

void TestGridEditing::unsavedChanges_data()
{
    using Answer = Dialogs::Answer;
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("answer"); // to 変更を保存しますか？
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("tableGone"); // closed, emptied or replaced

    QTest::newRow("close, nothing changed") << "close" << false << 0 << QStringList{} << true;
    QTest::newRow("close, cancelled")
        << "close" << true << int(Answer::Cancel) << QStringList{"asksave"} << false;
    QTest::newRow("close without saving")
        << "close" << true << int(Answer::No) << QStringList{"asksave"} << true;
    QTest::newRow("close after saving")
        << "close" << true << int(Answer::Yes) << QStringList{"asksave", "save"} << true;
    QTest::newRow("close, save dialog cancelled")
        << "close" << true << int(Answer::Yes) << QStringList{"asksave", "save"} << false;
    QTest::newRow("new, nothing changed: the old question")
        << "new" << false << 0 << QStringList{"question"} << true;
    QTest::newRow("new, cancelled")
        << "new" << true << int(Answer::Cancel) << QStringList{"asksave"} << false;
    QTest::newRow("new without saving")
        << "new" << true << int(Answer::No) << QStringList{"asksave"} << true;
    QTest::newRow("open, cancelled")
        << "open" << true << int(Answer::Cancel) << QStringList{"asksave"} << false;
    QTest::newRow("open without saving")
        << "open" << true << int(Answer::No) << QStringList{"asksave", "open"} << true;
}

void TestGridEditing::unsavedChanges()
{
    QFETCH(QString, action);
    QFETCH(bool, changed);
    QFETCH(int, answer);
    QFETCH(QStringList, asked);
    QFETCH(bool, tableGone);
    Fixture fixture;
    QTemporaryDir dir;
    const QString list = dir.filePath("部品表.txt");
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("P-1,a,,,1,\r\n");
    file.close();
    if (changed) {
        QTest::keyClick(fixture.grid(), 'Q');
        QTest::keyClick(fixture.openEditor(), Qt::Key_Return);
    }
    QCOMPARE(fixture.window.isWindowModified(), changed);
    fixture.dialogs.saveAnswers = {Dialogs::Answer(answer)};
    fixture.dialogs.answers = {Dialogs::Answer::Yes}; // New ?
    const bool saves = asked.contains("save") && tableGone;
    const QString saved = dir.filePath("saved.txt");
    if (saves) {
        fixture.dialogs.fileNames = {saved};
    } else if (action == "open") {
        fixture.dialogs.fileNames = {list};
    }

    bool closed = false;
    if (action == "close") {
        closed = fixture.window.close();
    } else if (action == "new") {
        fixture.window.menuActions().newTable->trigger();
    } else {
        fixture.window.menuActions().open->trigger();
    }
    QCOMPARE(fixture.dialogs.kinds(), asked);
    if (asked.contains("asksave")) {
        QCOMPARE(fixture.dialogs.shown.first().text, QString("変更を保存しますか？"));
    }
    const bool tableKept = fixture.cell(1, 0) == (changed ? "Q" : "XYZ");
    QCOMPARE(action == "close" ? closed : !tableKept, tableGone);
    QCOMPARE(QFile::exists(saved), saves);
    if (saves) {
        QCOMPARE(fixture.window.windowTitle(), QString("saved.txt[*] - Tavo表題"));
    }
    if (action == "open" && tableGone) {
        QCOMPARE(fixture.window.windowTitle(), QString("部品表.txt[*] - Tavo表題"));
    }
    if (tableGone && action != "close") {
        QVERIFY(!fixture.window.isWindowModified());
    }
}

QTEST_MAIN(TestGridEditing)
#include "tst_gridediting.moc"
