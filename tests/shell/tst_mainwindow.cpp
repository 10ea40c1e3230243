#include "app/subsystems.h"
#include "listfile/listfilecommands.h"
#include "settings/positionsettings.h"
#include "shell/mainwindow.h"
#include "shell/tablemodel.h"
#include "support/memorystore.h"
#include "support/scripteddialogs.h"

#include <QHeaderView>
#include <QMenuBar>
#include <QTableView>
#include <QTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsEmptyWithHeadersAndPositions();
    void menus_data();
    void menus();
    void dataSetAndStatus();
    void columnsFollowTheWindowWidth();
    void closingStoresThePositions();
    void closingWithAnUnwritableStoreTellsTheUser();
    void placeAndLastFileAreKeptBetweenRuns();
    void draggedColumnWidthsKeepTheirShares();
};

void TestMainWindow::startsEmptyWithHeadersAndPositions()
{
    MemoryStore store;
    store.values.insert("Radoverurid/XYIni/Key3", " 12.5");
    PositionSettings positions(store);
    ScriptedDialogs dialogs;
    MainWindow window(dialogs, positions);
    MemoryStore own;
    Subsystems subsystems(window, own);

    QCOMPARE(window.windowTitle(), QString("Tavo表題[*]"));
    QVERIFY(!window.isWindowModified());
    QCOMPARE(window.table().Rows(), qsizetype(1));
    QCOMPARE(window.grid()->model()->rowCount(), 0);
    const QStringList headers = {"図番", "品名", "材料", "表面処理", "個数", "備考"};
    for (int col = 0; col < 6; ++col) {
        QCOMPARE(window.grid()->model()->headerData(col, Qt::Horizontal).toString(), headers[col]);
    }
    QCOMPARE(positions.XYPos[0], QString("0"));
    QCOMPARE(positions.XYPos[2], QString(" 12.5"));
    QCOMPARE(window.statusMessage(), QString());
    // The drop hint shows over the empty part of the table only, not over every cell.
    QVERIFY(window.grid()->toolTip().isEmpty());
}

void TestMainWindow::menus_data()
{
    QTest::addColumn<QString>("path"); // menu captions joined by "/"
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::newRow("settings 1") << "設定 &I/ｾｯﾄ1" << QKeySequence();
    QTest::newRow("settings 3") << "設定 &I/ｾｯﾄ3" << QKeySequence();
    QTest::newRow("new") << "ﾌｧｲﾙ &F/新規 &N" << QKeySequence(Qt::CTRL | Qt::Key_N);
    QTest::newRow("open") << "ﾌｧｲﾙ &F/開く &O" << QKeySequence(Qt::CTRL | Qt::Key_O);
    QTest::newRow("save") << "ﾌｧｲﾙ &F/上書き保存 &W" << QKeySequence(Qt::CTRL | Qt::Key_S);
    QTest::newRow("save as") << "ﾌｧｲﾙ &F/名前を付けて保存 &S"
                             << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    QTest::newRow("quit") << "ﾌｧｲﾙ &F/終了 &X" << QKeySequence(Qt::CTRL | Qt::Key_Q);
    QTest::newRow("undo") << "編集 &E/元に戻す" << QKeySequence(Qt::CTRL | Qt::Key_Z);
    QTest::newRow("redo") << "編集 &E/やり直し" << QKeySequence(Qt::CTRL | Qt::Key_Y);
    QTest::newRow("print is a command on the bar") << "印刷 &O" << QKeySequence();
    QTest::newRow("readme is a command on the bar") << "Readme" << QKeySequence();
}

void TestMainWindow::menus()
{
    QFETCH(QString, path);
    QFETCH(QKeySequence, shortcut);
    MemoryStore store;
    PositionSettings positions(store);
    ScriptedDialogs dialogs;
    MainWindow window(dialogs, positions);

    const QStringList parts = path.split('/');
    QList<QAction *> actions = window.menuBar()->actions();
    QAction *found = nullptr;
    for (const QString &part : parts) {
        found = nullptr;
        for (QAction *action : actions) {
            if (action->text() == part) {
                found = action;
            }
        }
        QVERIFY2(found, qPrintable(part));
        if (found->menu()) {
            actions = found->menu()->actions();
        }
    }
    QCOMPARE(found->shortcut(), shortcut);
    QCOMPARE(found->menu() == nullptr, true);
}

void TestMainWindow::dataSetAndStatus()
{
    MemoryStore store;
    PositionSettings positions(store);
    ScriptedDialogs dialogs;
    MainWindow window(dialogs, positions);
    window.table().setRows(3);
    window.DataSet("A-100", 2, 0);
    window.DataSet("outside", 3, 0); // no such row: ignored
    window.DataSet("outside", 1, 6);
    QCOMPARE(window.table().text(2, 0), QString("A-100"));
    QCOMPARE(window.table().Rows(), qsizetype(3));
    window.StatubarMessg(window.table().Rows() - 1);
    QCOMPARE(window.statusMessage(), QString(" 2 個のﾃﾞｰﾀを取得"));
}

void TestMainWindow::columnsFollowTheWindowWidth()
{
    MemoryStore store;
    PositionSettings positions(store);
    ScriptedDialogs dialogs;
    MainWindow window(dialogs, positions);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(1000, 400);
    QTRY_COMPARE(window.grid()->width(), 1000);
    // W = 15000 twips: 3000, 3750, 1875, 2500, 1250 and 1875 twips.
    const QList<int> expected = {200, 250, 125, 167, 83, 125};
    for (int col = 0; col < 6; ++col) {
        QCOMPARE(window.grid()->columnWidth(col), expected[col]);
    }
    window.grid()->setColumnWidth(0, 40);
    window.grid()->resize(33, 100); // a 495-twip table leaves the widths alone
    QCOMPARE(window.grid()->columnWidth(0), 40);
}

void TestMainWindow::closingStoresThePositions()
{
    MemoryStore store;
    store.values.insert("Radoverurid/XYIni/Key10", "");
    PositionSettings positions(store);
    ScriptedDialogs dialogs;
    {
        MainWindow window(dialogs, positions);
        MemoryStore own;
        Subsystems subsystems(window, own);
        window.show();
        window.close();
    }
    QCOMPARE(store.writes, 12);
    for (int entry = 0; entry < 12; ++entry) {
        const QString expected = entry == 9 ? QString("") : QString("0");
        QCOMPARE(store.values.value("Radoverurid/XYIni/" + PositionSettings::keyName(entry)),
                 expected);
    }
    QVERIFY(dialogs.shown.isEmpty());
}

void TestMainWindow::closingWithAnUnwritableStoreTellsTheUser()
{
    MemoryStore store;
    store.writable = false;
    PositionSettings positions(store);
    ScriptedDialogs dialogs;
    MainWindow window(dialogs, positions);
    MemoryStore own;
    Subsystems subsystems(window, own);
    window.show();
    window.close();
    QCOMPARE(dialogs.kinds(), QStringList{"warning"});
    QVERIFY(dialogs.shown.first().text.contains("保存できませんでした"));
}

void TestMainWindow::placeAndLastFileAreKeptBetweenRuns()
{
    MemoryStore store;
    PositionSettings positions(store);
    ScriptedDialogs dialogs;
    QRect placed;
    {
        MainWindow window(dialogs, positions);
        Subsystems subsystems(window, store);
        window.setGeometry(40, 50, 610, 420);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        placed = window.geometry();
        subsystems.listFiles->setLastName("/lists/部品表.txt");
        QVERIFY(window.close());
    }
    MainWindow window(dialogs, positions);
    Subsystems subsystems(window, store);
    QCOMPARE(window.geometry().size(), placed.size());
    QCOMPARE(subsystems.listFiles->lastName(), QString("/lists/部品表.txt"));
    QCOMPARE(window.table().Rows(), qsizetype(1)); // the table itself is never kept
}

void TestMainWindow::draggedColumnWidthsKeepTheirShares()
{
    MemoryStore store;
    PositionSettings positions(store);
    ScriptedDialogs dialogs;
    {
        MainWindow window(dialogs, positions);
        Subsystems subsystems(window, store);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.resize(1000, 400);
        QTRY_COMPARE(window.grid()->width(), 1000);
        // Drag the edge between 図番 (200 px) and 品名 100 px to the right.
        QHeaderView *header = window.grid()->horizontalHeader();
        const QPoint edge(header->sectionViewportPosition(0) + header->sectionSize(0) - 1,
                          header->height() / 2);
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, edge);
        QTest::mouseMove(header->viewport(), edge + QPoint(50, 0));
        QTest::mouseMove(header->viewport(), edge + QPoint(100, 0));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, edge + QPoint(100, 0));
        QCOMPARE(window.grid()->columnWidth(0), 300);
        // Half as wide: every column half as wide, the dragged one too.
        window.resize(500, 400);
        QTRY_COMPARE(window.grid()->width(), 500);
        QCOMPARE(window.grid()->columnWidth(0), 150);
        QCOMPARE(window.grid()->columnWidth(1), 125);
        // Widths set by the program are no choice of the user's.
        window.grid()->setColumnWidth(2, 10);
        QVERIFY(window.close());
    }
    QVERIFY(store.values.value("Tavo/Window/ColumnShares").startsWith("0.3000,0.2500,0.1250"));
    MainWindow window(dialogs, positions);
    Subsystems subsystems(window, store);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(800, 400);
    QTRY_COMPARE(window.grid()->width(), 800);
    QCOMPARE(window.grid()->columnWidth(0), 240);
    // A damaged value leaves the usual widths.
    store.values.insert("Tavo/Window/ColumnShares", "0.3,abc,0,0,0,0");
    MainWindow fresh(dialogs, positions);
    Subsystems freshSubsystems(fresh, store);
    QCOMPARE(fresh.columnShares(), QString());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
