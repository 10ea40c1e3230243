#include "shell/columnlayout.h"
#include "shell/statustext.h"
#include "shell/tablemodel.h"
#include "support/rows.h"

#include <QSignalSpy>
#include <QTest>

class TestTableModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cellIndex_data();
    void cellIndex();
    void columnWidths_data();
    void columnWidths();
    void statusText_data();
    void statusText();
    void rowsGrowAndShrinkFromTheBottom();
    void accessOutsideTheTableIsIgnored();
    void removeItemAndClear();
    void headerRowIsTheViewHeader();
    void largeTablesAreAddressable();
};

void TestTableModel::cellIndex_data()
{
    QTest::addColumn<qsizetype>("row");
    QTest::addColumn<qsizetype>("col");
    QTest::addColumn<qsizetype>("index");
    QTest::newRow("header start") << qsizetype(0) << qsizetype(0) << qsizetype(0);
    QTest::newRow("first data row") << qsizetype(1) << qsizetype(0) << qsizetype(6);
    QTest::newRow("last 16-bit index") << qsizetype(5461) << qsizetype(1) << qsizetype(32767);
    // Once out of range; now simply the next cell.
    QTest::newRow("past the old limit") << qsizetype(5461) << qsizetype(2) << qsizetype(32768);
    QTest::newRow("row 100000") << qsizetype(100000) << qsizetype(5) << qsizetype(600005);
}

void TestTableModel::cellIndex()
{
    QFETCH(qsizetype, row);
    QFETCH(qsizetype, col);
    QFETCH(qsizetype, index);
    TableModel table;
    QCOMPARE(table.CellIndex(row, col), index);
}

void TestTableModel::columnWidths_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<QList<int>>("expected"); // empty: widths unchanged

    QTest::newRow("initial client width") << 7530.0 << QList<int>{1506, 1882, 941, 1255, 628, 941};
    QTest::newRow("exactly 500 changes nothing") << 500.0 << QList<int>{};
    QTest::newRow("501") << 501.0 << QList<int>{100, 125, 63, 84, 42, 63};
    QTest::newRow("W itself rounds half to even") << 500.5 << QList<int>{};
    QTest::newRow("502.5 rounds to 502") << 502.5 << QList<int>{100, 126, 63, 84, 42, 63};
    // 30/4 = 7.5 and 90/4 = 22.5 would both round up with plain rounding.
    QTest::newRow("half to even down") << 510.0 << QList<int>{102, 128, 64, 85, 42, 64};
    QTest::newRow("design width") << 7335.0 << QList<int>{1467, 1834, 917, 1222, 611, 917};
}

void TestTableModel::columnWidths()
{
    QFETCH(double, width);
    QFETCH(QList<int>, expected);
    const auto widths = ColumnLayout::widths(width);
    if (expected.isEmpty()) {
        QVERIFY(!widths);
        return;
    }
    QVERIFY(widths);
    QCOMPARE(QList<int>(widths->begin(), widths->end()), expected);
}

void TestTableModel::statusText_data()
{
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << QString(" 0 個のﾃﾞｰﾀを取得");
    QTest::newRow("three") << qint64(3) << QString(" 3 個のﾃﾞｰﾀを取得");
    QTest::newRow("past 16 bits") << qint64(100000) << QString(" 100000 個のﾃﾞｰﾀを取得");
    QTest::newRow("negative") << qint64(-1) << QString(" -1 個のﾃﾞｰﾀを取得");
}

void TestTableModel::statusText()
{
    QFETCH(qint64, count);
    QFETCH(QString, text);
    QCOMPARE(::statusText(count), text);
}

void TestTableModel::rowsGrowAndShrinkFromTheBottom()
{
    TableModel table;
    QCOMPARE(table.Rows(), qsizetype(1));
    QCOMPARE(table.rowCount(), 0);
    QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);
    table.setRows(4);
    QCOMPARE(table.rowCount(), 3);
    QCOMPARE(inserted.size(), 1);
    table.setText(1, 0, "one");
    table.setText(3, 0, "three");
    table.setRows(3);
    QCOMPARE(table.text(1, 0), QString("one"));
    QCOMPARE(table.text(3, 0), QString()); // dropped
    table.setRows(0);
    QCOMPARE(table.Rows(), qsizetype(1)); // the header row always stays
    table.setRows(2);
    QCOMPARE(table.text(1, 0), QString()); // regrown rows are empty
}

void TestTableModel::accessOutsideTheTableIsIgnored()
{
    TableModel table;
    table.setRows(2);
    table.setTextArray(-1, "x");
    table.setTextArray(12, "x");
    table.setText(1, 6, "x");
    table.setText(1, -1, "x");
    for (qsizetype i = 0; i < 12; ++i) {
        QCOMPARE(table.TextArray(i), QString());
    }
    QCOMPARE(table.TextArray(99), QString());
}

void TestTableModel::removeItemAndClear()
{
    TableModel table;
    table.SetupGridColumns();
    setDataRows(table, {{"a"}, {"b"}, {"c"}});
    table.RemoveItem(2);
    QCOMPARE(table.Rows(), qsizetype(3));
    QCOMPARE(table.text(2, 0), QString("c"));
    table.RemoveItem(0); // the header row is not a data row
    table.RemoveItem(3);
    QCOMPARE(table.Rows(), qsizetype(3));
    table.Clear();
    QCOMPARE(table.Rows(), qsizetype(3));
    QCOMPARE(table.text(0, 0), QString());
    QCOMPARE(table.text(1, 0), QString());
}

void TestTableModel::headerRowIsTheViewHeader()
{
    TableModel table;
    table.SetupGridColumns();
    table.setRows(2);
    QSignalSpy header(&table, &QAbstractItemModel::headerDataChanged);
    table.setText(0, 4, "数量");
    QCOMPARE(header.size(), 1);
    QCOMPARE(table.headerData(4, Qt::Horizontal).toString(), QString("数量"));
    QCOMPARE(table.headerData(5, Qt::Horizontal).toString(), QString("備考"));
    table.setData(table.index(0, 1), "部品");
    QCOMPARE(table.text(1, 1), QString("部品"));
    QCOMPARE(table.data(table.index(0, 4), Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignRight | Qt::AlignTop);
}

void TestTableModel::largeTablesAreAddressable()
{
    TableModel table;
    table.setRows(100001);
    table.setText(5461, 2, "past the old limit");
    table.setText(100000, 5, "last");
    QCOMPARE(table.TextArray(32768), QString("past the old limit"));
    QCOMPARE(table.text(100000, 5), QString("last"));
    QCOMPARE(table.rowCount(), 100000);
}

QTEST_GUILESS_MAIN(TestTableModel)
#include "tst_tablemodel.moc"
