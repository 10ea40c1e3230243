#include "app/subsystems.h"
#include "extract/positionvalue.h"
#include "settings/positionscommand.h"
#include "settings/positionsettings.h"
#include "settings/positionswindow.h"
#include "shell/mainwindow.h"
#include "support/memorystore.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

class TestPositionsWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void positionValue_data();
    void positionValue();
    void firstOpeningShowsTheStoredValues();
    void unconfirmedEditsAreDiscarded();
    void confirmingStoresAllTwelveAndStaysOpen();
    void enterAndEscapeDoNotConfirm();
    void reopeningWhileOpenRefillsAndMoves();
    void unwritableStoreIsToldAndValuesStillHold();
    void fieldsThatAreNoNumberAreMarked();

private:
    struct Fixture
    {
        MemoryStore store;
        PositionSettings positions{store};
        ScriptedDialogs dialogs;
        MainWindow window{dialogs, positions};
        Subsystems subsystems{window, store};

        PositionsWindow *open()
        {
            window.menuActions().set1->trigger();
            return window.findChild<PositionsCommand *>()->positionsWindow();
        }
    };
};

void TestPositionsWindow::positionValue_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "ja_JP"
                           << "12.3" << true << 12.3;
    QTest::newRow("blanks around") << "ja_JP"
                                   << " 12 " << true << 12.0;
    QTest::newRow("negative") << "ja_JP"
                              << "-4.5" << true << -4.5;
    QTest::newRow("comma is not a group separator") << "ja_JP"
                                                    << "1,5" << false << 0.0;
    QTest::newRow("comma decimal in German") << "de_DE"
                                             << "1,5" << true << 1.5;
    QTest::newRow("point still read in German") << "de_DE"
                                                << "1.5" << true << 1.5;
    QTest::newRow("empty") << "ja_JP"
                           << "" << false << 0.0;
    QTest::newRow("letters") << "ja_JP"
                             << "abc" << false << 0.0;
    QTest::newRow("infinity is no position") << "ja_JP"
                                             << "inf" << false << 0.0;
    QTest::newRow("nan is no position") << "ja_JP"
                                        << "nan" << false << 0.0;
    // Typed with the input method still on.
    QTest::newRow("full-width digits") << "ja_JP"
                                       << "２５０" << true << 250.0;
    QTest::newRow("full-width minus and point") << "ja_JP"
                                                << "－１２．５" << true << -12.5;
    QTest::newRow("ideographic full stop as the point") << "ja_JP"
                                                        << "５。５" << true << 5.5;
    QTest::newRow("half-width full stop as the point") << "ja_JP"
                                                       << "1｡25" << true << 1.25;
}

void TestPositionsWindow::positionValue()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const QLocale previous;
    QLocale::setDefault(QLocale(locale));
    const std::optional<double> result = ::positionValue(text);
    QLocale::setDefault(previous);
    QCOMPARE(result.has_value(), isNumber);
    if (isNumber) {
        QCOMPARE(*result, value);
    }
}

void TestPositionsWindow::firstOpeningShowsTheStoredValues()
{
    Fixture fixture;
    PositionsWindow *window = fixture.open();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QString("設定1"));
    QVERIFY(window->isVisible());
    // Owned, so it stays above the table, yet a window of its own that leaves the table usable.
    QCOMPARE(window->parentWidget(), &fixture.window);
    QVERIFY(window->isWindow());
    QVERIFY(!window->isModal());
    for (int entry = 0; entry < 12; ++entry) {
        QCOMPARE(window->field(entry)->text(), QString("0"));
    }
}

void TestPositionsWindow::unconfirmedEditsAreDiscarded()
{
    Fixture fixture;
    PositionsWindow *window = fixture.open();
    window->field(2)->setText("99");
    window->close(); // closing destroys it
    QTRY_VERIFY(!fixture.window.findChild<PositionsCommand *>()->positionsWindow());
    window = fixture.open();
    QCOMPARE(window->field(2)->text(), QString("0"));
    QCOMPARE(fixture.positions.XYPos[2], QString("0"));
    QCOMPARE(fixture.store.writes, 0);
}

void TestPositionsWindow::confirmingStoresAllTwelveAndStaysOpen()
{
    Fixture fixture;
    PositionsWindow *window = fixture.open();
    window->field(9)->clear(); // 個数 Y
    window->field(0)->setText(" 10.5");
    window->field(3)->setText("－５。５");
    window->confirm();
    // Typed with the input method on, kept as ASCII (the old program reads the same key).
    QCOMPARE(fixture.store.values.value("Radoverurid/XYIni/Key4"), QString("-5.5"));
    QCOMPARE(window->field(3)->text(), QString("-5.5"));
    QVERIFY(window->isVisible());
    QCOMPARE(fixture.store.writes, 12);
    QCOMPARE(fixture.store.values.value("Radoverurid/XYIni/Key10"), QString(""));
    QCOMPARE(fixture.store.values.value("Radoverurid/XYIni/Key1"), QString(" 10.5"));
    QCOMPARE(fixture.positions.XYPos[9], QString(""));
    QCOMPARE(window->field(9)->text(), QString(""));
    QVERIFY(fixture.dialogs.shown.isEmpty());
}

void TestPositionsWindow::enterAndEscapeDoNotConfirm()
{
    Fixture fixture;
    PositionsWindow *window = fixture.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->field(4)->setFocus();
    window->field(4)->setText("7");
    QTest::keyClick(window->field(4), Qt::Key_Return);
    QTest::keyClick(window->field(4), Qt::Key_Escape);
    QCOMPARE(fixture.store.writes, 0);
    QCOMPARE(fixture.positions.XYPos[4], QString("0"));
    QVERIFY(window->isVisible());
}

void TestPositionsWindow::reopeningWhileOpenRefillsAndMoves()
{
    Fixture fixture;
    fixture.window.move(200, 150);
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));
    PositionsWindow *window = fixture.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QPoint placed = window->frameGeometry().topLeft();
    // Beside the main window: its menu bar stays in reach.
    const QRect menuBar(fixture.window.menuBar()->mapToGlobal(QPoint(0, 0)),
                        fixture.window.menuBar()->size());
    QVERIFY(!window->frameGeometry().intersects(menuBar));
    window->field(5)->setText("123");
    window->move(600, 400);
    PositionsWindow *again = fixture.open();
    QCOMPARE(again, window);
    QCOMPARE(window->field(5)->text(), QString("0"));
    QTRY_COMPARE(window->frameGeometry().topLeft(), placed);
    // The other sets open a title bar lower each, never over this one's title.
    PositionsCommand *command = fixture.window.findChild<PositionsCommand *>();
    fixture.window.menuActions().set2->trigger();
    fixture.window.menuActions().set3->trigger();
    QTRY_VERIFY(command->positionsWindow(2)->frameGeometry().top() >
                command->positionsWindow(1)->frameGeometry().top());
    QVERIFY(command->positionsWindow(1)->frameGeometry().top() > placed.y());
}

void TestPositionsWindow::unwritableStoreIsToldAndValuesStillHold()
{
    Fixture fixture;
    fixture.store.writable = false;
    PositionsWindow *window = fixture.open();
    window->field(1)->setText("55");
    window->confirm();
    QCOMPARE(fixture.dialogs.kinds(), QStringList{"warning"});
    QVERIFY(fixture.dialogs.shown.first().text.contains("保存できませんでした"));
    QCOMPARE(fixture.positions.XYPos[1], QString("55"));
}

void TestPositionsWindow::fieldsThatAreNoNumberAreMarked()
{
    Fixture fixture;
    PositionsWindow *window = fixture.open();
    QVERIFY(window->field(3)->toolTip().isEmpty());
    window->field(3)->setText("abc");
    QVERIFY(window->field(3)->toolTip().contains("取り込まれません"));
    window->confirm(); // never blocked
    QCOMPARE(fixture.positions.XYPos[3], QString("abc"));
    window->field(3)->setText("12");
    QVERIFY(window->field(3)->toolTip().isEmpty());
}

QTEST_MAIN(TestPositionsWindow)
#include "tst_positionswindow.moc"
