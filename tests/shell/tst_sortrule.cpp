#include "shell/asciicollation.h"
#include "shell/decimalnumber.h"
#include "shell/sortrule.h"
#include "shell/tablemodel.h"

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
    void randomMixedValuesGiveAStrictWeakOrder();
    void textsOrderAsTheCollatorDoes();
    void orderIsAStableSortByKeys_data();
    void orderIsAStableSortByKeys();
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
    QCOMPARE(SortRule().lessThan(left, right), less);
}

void TestSortRule::randomMixedValuesGiveAStrictWeakOrder()
{
    const QStringList pieces = {"A-",  "10", "2",     "-",    "ﾌﾞﾗｹｯﾄ", "ブラケット", "1e3", ".5",
                                "  ",  "①",  "髙",    "ＡＢ", "ab",     "AB",         "-0",  "x",
                                "0.0", "+1", "1e999", "nan",  "",       "9",          "e5",  "."};
    QRandomGenerator random(20261207);
    QStringList values;
    for (int i = 0; i < 300; ++i) {
        QString value;
        const int count = random.bounded(4);
        for (int p = 0; p < count; ++p) {
            value += pieces.at(random.bounded(int(pieces.size())));
        }
        values.append(value);
    }
    SortRule rule;
    QList<SortRule::Key> keys;
    for (const QString &value : values) {
        keys.append(rule.key(value));
    }
    // Irreflexive, asymmetric, transitive, and incomparability is transitive.
    for (qsizetype a = 0; a < keys.size(); ++a) {
        QVERIFY(!(keys[a] < keys[a]));
        for (qsizetype b = 0; b < keys.size(); ++b) {
            const bool ab = keys[a] < keys[b];
            const bool ba = keys[b] < keys[a];
            QVERIFY2(!(ab && ba), qPrintable(values[a] + QStringLiteral(" / ") + values[b]));
            for (qsizetype c = 0; c < keys.size(); c += 7) {
                if (ab && keys[b] < keys[c]) {
                    QVERIFY(keys[a] < keys[c]);
                }
                const bool equivalentAB = !ab && !ba;
                const bool equivalentBC = !(keys[b] < keys[c]) && !(keys[c] < keys[b]);
                if (equivalentAB && equivalentBC) {
                    QVERIFY(!(keys[a] < keys[c]) && !(keys[c] < keys[a]));
                }
            }
        }
    }
    // The sorted result is ordered and a permutation of the input.
    const QList<qsizetype> order = rule.order(values);
    QStringList sorted;
    for (qsizetype index : order) {
        sorted.append(values[index]);
    }
    for (qsizetype i = 1; i < sorted.size(); ++i) {
        QVERIFY(!rule.lessThan(sorted[i], sorted[i - 1]));
    }
    QStringList expected = values;
    QStringList actual = sorted;
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    QCOMPARE(actual, expected);
}

// Plain ASCII texts are ordered without the collator; every pair of texts,
// plain or not, must still come out as the collator orders it.
void TestSortRule::textsOrderAsTheCollatorDoes()
{
    const QStringList pieces = {"A",  "a",
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
                                "é",  "123456789012345678901234567890123456789"};
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseSensitive);
#ifdef Q_OS_LINUX
    QVERIFY(AsciiCollation(collator).usable()); // else only the collator is tested
#endif
    QRandomGenerator random(20261208);
    SortRule rule;
    QStringList values;
    QList<SortRule::Key> keys;
    while (values.size() < 500) {
        QString value;
        for (int p = random.bounded(1, 5); p > 0; --p) {
            value += pieces.at(random.bounded(int(pieces.size())));
        }
        if (!DecimalNumber::parseWhole(value)) { // numbers are no texts here
            values.append(value);
            keys.append(rule.key(value));
        }
    }
    for (qsizetype a = 0; a < values.size(); ++a) {
        for (qsizetype b = 0; b < values.size(); ++b) {
            QVERIFY2((keys[a] < keys[b]) == (collator.compare(values[a], values[b]) < 0),
                     qPrintable(values[a] + QStringLiteral(" / ") + values[b]));
        }
    }
}

// order() sorts each kind of text on its own and merges them; it must give
// what one stable sort on keys gives.
void TestSortRule::orderIsAStableSortByKeys_data()
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
    const QStringList pieces = {"A", "b", "-", "0", "07", "12", "Ｓ", "部品", "ア", " ", "x"};
    QRandomGenerator random(20261209);
    QStringList mix;
    while (mix.size() < 2000) {
        QString value;
        for (int p = random.bounded(0, 9); p > 0; --p) {
            value += pieces.at(random.bounded(int(pieces.size())));
        }
        mix.append(value);
    }
    QTest::newRow("random mix") << mix;
}

void TestSortRule::orderIsAStableSortByKeys()
{
    QFETCH(QStringList, texts);
    const SortRule rule;
    QList<SortRule::Key> keys;
    for (const QString &text : std::as_const(texts)) {
        keys.append(rule.key(text));
    }
    QList<qsizetype> expected(texts.size());
    std::iota(expected.begin(), expected.end(), qsizetype(0));
    std::stable_sort(expected.begin(), expected.end(),
                     [&keys](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
    QCOMPARE(rule.order(texts), expected);
}

void TestSortRule::tableSortMovesWholeRowsStably()
{
    TableModel table;
    table.SetupGridColumns();
    const QList<QStringList> rows = {{"A-10", "first", "", "", "10", ""},
                                     {"A-2", "second", "", "", "2", ""},
                                     {"A-2", "third", "", "", "1", ""},
                                     {"B", "fourth", "", "", "2", ""}};
    table.setDataRows(rows);

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
    table.setDataRows({{"3"}, {"1"}, {"2"}});
    const QPersistentModelIndex current = table.index(0, 2); // the row holding "3"
    table.Sort(0);
    QCOMPARE(current.row(), 2);
    QCOMPARE(current.column(), 2);
    QCOMPARE(table.headerData(0, Qt::Horizontal).toString(), QString("図番"));
}

QTEST_GUILESS_MAIN(TestSortRule)
#include "tst_sortrule.moc"
