#include "shell/asciicollation.h"
#include "shell/decimalnumber.h"
#include "shell/sortrule.h"
#include "shell/tablemodel.h"
#include "support/referenceorder.h"
#include "support/rows.h"

#include <QCollator>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <numeric>

class TestSortRule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void lessThan_data();
    void lessThan();
    void orderIsTheReferenceOrder_data();
    void orderIsTheReferenceOrder();
    void tableSortMovesWholeRowsStably();
    void tableSortKeepsHeaderAndSelectionFollowsRows();
};

// A collator that cannot handle a text says so on standard error (Qt's
// sort keys of empty texts on Windows did).
void TestSortRule::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
}

void TestSortRule::lessThan_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("less");

    QTest::newRow("numbers by value, not text") << "2"
                                                << "10" << true;
    QTest::newRow("decimal and exponent") << "1.5e1"
                                          << "16" << true;
    QTest::newRow("negative before positive") << "-3"
                                              << "2" << true;
    QTest::newRow("blanks around a number") << " 7 "
                                            << "8" << true;
    QTest::newRow("-0 equals 0") << "-0"
                                 << "0" << false;
    QTest::newRow("0 equals -0") << "0"
                                 << "-0" << false;
    QTest::newRow("numbers before text") << "999"
                                         << "A" << true;
    QTest::newRow("text after numbers") << "A"
                                        << "1" << false;
    QTest::newRow("empty text after numbers") << ""
                                              << "1" << false;
    QTest::newRow("empty before letters") << ""
                                          << "A" << true;
    // Drawing numbers: digits inside text compare as numbers.
    QTest::newRow("A-2 before A-10") << "A-2"
                                     << "A-10" << true;
    QTest::newRow("A-10 after A-9") << "A-10"
                                    << "A-9" << false;
    QTest::newRow("hex is text") << "0x10"
                                 << "2" << false;
    QTest::newRow("inf is text") << "inf"
                                 << "1e308" << false;
    QTest::newRow("nan is text") << "nan"
                                 << "0" << false;
    QTest::newRow("huge exponent is a number") << "1e999"
                                               << "A" << true;
    QTest::newRow("full-width digits are numbers") << "１０"
                                                   << "9" << false;
    QTest::newRow("kana order") << "ア"
                                << "イ" << true;
    QTest::newRow("equal texts") << "部品"
                                 << "部品" << false;
    QTest::newRow("empty texts") << ""
                                 << "" << false;
}

void TestSortRule::lessThan()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, less);
    // Only a left text below the right one moves ahead of it.
    const QList<qsizetype> swapped{1, 0};
    QCOMPARE(SortRule().order({right, left}) == swapped, less);
}

QStringList randomTexts(const QStringList &pieces, int count, int maxPieces, quint32 seed)
{
    QRandomGenerator random(seed);
    QStringList texts;
    while (texts.size() < count) {
        QString text;
        for (int p = random.bounded(maxPieces + 1); p > 0; --p) {
            text += pieces.at(random.bounded(int(pieces.size())));
        }
        texts.append(text);
    }
    return texts;
}

// order() sorts each kind of text on its own, plain ASCII texts without the
// collator, and merges them; it must give what one stable sort by the plain
// rule gives.
void TestSortRule::orderIsTheReferenceOrder_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("keys alike in their first bytes") << QStringList{"ABCDEFGHIJKLMNOP-10",
                                                                    "ABCDEFGHIJKLMNOP-2",
                                                                    "abcdefghijklmnop-2",
                                                                    "ABCDEFGHIJKLMNOP",
                                                                    "ABCDEFGHIJKLMNOP-02",
                                                                    "abcdefghijklmnopqrsT",
                                                                    "abcdefghijklmnopqrst",
                                                                    "Abcdefghijklmnopqrst",
                                                                    "ABCDEFGHIJKLMNOP-2",
                                                                    "abcdefgH",
                                                                    "abcdefgh"};
    QTest::newRow("zero runs and short keys")
        << QStringList{"A-0", "A-", "A-00", "A-00a", "A-0a", "A", "", "a", "A-0", "A-02", "A-2"};
    QTest::newRow("other texts among plain ones")
        << QStringList{"B-1",      "Ｓ-1", "A-1",      "部品-2", "S-1", "s-1", "部品-2", "ﾌﾞﾗｹｯﾄ",
                       "Z",        "",     "ア",       "10",     "-0",  "0",   " 7 ",    "ab",
                       "a\u00ADb", "ab",   "a\u00ADb", "é",      "e",   "E",   "ア",     "\u30007"};
    QTest::newRow("random mix") << randomTexts(
        {"A", "b", "-", "0", "07", "12", "Ｓ", "部品", "ア", " ", "x"}, 2000, 8, 20261209);
    QTest::newRow("numbers and texts mixed") << randomTexts(
        {"A-", "10", "2",  "-", "ﾌﾞﾗｹｯﾄ", "ブラケット", "1e3",   ".5",  "  ", "①", "髙", "ＡＢ",
         "ab", "AB", "-0", "x", "0.0",    "+1",         "1e999", "nan", "",   "9", "e5", "."},
        300, 3, 20261207);
    QTest::newRow("ASCII characters of every kind")
        << randomTexts({"A",  "a",
                        "b",  "B",
                        "Z",  "z",
                        "x",  "0",
                        "00", "1",
                        "2",  "9",
                        "10", "07",
                        "-",  "_",
                        " ",  ".",
                        "/",  "(",
                        "#",  "~",
                        "'",  "\"",
                        "+",  "@",
                        "`",  "\t",
                        "ア", "部品",
                        "ｱ",  "Ａ",
                        "é",  "123456789012345678901234567890123456789"},
                       500, 4, 20261208);
}

void TestSortRule::orderIsTheReferenceOrder()
{
    QFETCH(QStringList, texts);
    const ReferenceOrder reference;
#ifdef Q_OS_LINUX
    // Else only the collator is tested.
    QVERIFY(AsciiCollation(reference.collator()).usable());
#endif
    QCOMPARE(SortRule().order(texts), reference.order(texts));
}

void TestSortRule::tableSortMovesWholeRowsStably()
{
    TableModel table;
    table.SetupGridColumns();
    const QList<QStringList> rows = {{"A-10", "first", "", "", "10", ""},
                                     {"A-2", "second", "", "", "2", ""},
                                     {"A-2", "third", "", "", "1", ""},
                                     {"B", "fourth", "", "", "2", ""}};
    setDataRows(table, rows);

    table.Sort(ColumnLayout::Quantity);
    QCOMPARE(table.text(1, 1), QString("third"));
    QCOMPARE(table.text(2, 1), QString("second")); // equal keys keep their order
    QCOMPARE(table.text(3, 1), QString("fourth"));
    QCOMPARE(table.text(4, 1), QString("first"));
    QCOMPARE(table.text(4, 0), QString("A-10"));

    table.Sort(ColumnLayout::DrawingNumber);
    QCOMPARE(table.rowTexts(1), (QStringList{"A-2", "third", "", "", "1", ""}));
    QCOMPARE(table.rowTexts(2), (QStringList{"A-2", "second", "", "", "2", ""}));
    QCOMPARE(table.text(3, 0), QString("A-10"));
    QCOMPARE(table.text(4, 0), QString("B"));
    QCOMPARE(table.text(0, 0), QString("図番"));
}

void TestSortRule::tableSortKeepsHeaderAndSelectionFollowsRows()
{
    TableModel table;
    table.SetupGridColumns();
    setDataRows(table, {{"3"}, {"1"}, {"2"}});
    const QPersistentModelIndex current = table.index(0, 2); // the row holding "3"
    table.Sort(0);
    QCOMPARE(current.row(), 2);
    QCOMPARE(current.column(), 2);
    QCOMPARE(table.headerData(0, Qt::Horizontal).toString(), QString("図番"));
}

QTEST_GUILESS_MAIN(TestSortRule)
#include "tst_sortrule.moc"
