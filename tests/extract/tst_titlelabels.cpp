#include "extract/readingtally.h"
#include "extract/titleextractor.h"
#include "extract/titlelabels.h"
#include "titleblockbuilder.h"

#include <QBuffer>
#include <QTest>

using namespace TitleBlockBuilder;
using Source = TitleExtractor::Source;
using Fields = std::array<QString, 6>;

Q_DECLARE_METATYPE(TitleExtractor::Source)

namespace {

TitleExtractor::Result run(const QByteArray &drawing, const TitleExtractor::Sources &sources)
{
    QByteArray bytes = drawing;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return TitleExtractor(sources).extract(buffer);
}

// The title block of the tests: a drawing's fields among other labels.
QList<Cell> block(const Fields &values, const std::array<Placement, 6> &placements,
                  int labelSpelling = 0)
{
    const QStringList labels[6] = {{QStringLiteral("図番"), QStringLiteral("ＤＷＧ　ＮＯ．")},
                                   {QStringLiteral("品名"), QStringLiteral("PART NAME")},
                                   {QStringLiteral("材料"), QStringLiteral("Material")},
                                   {QStringLiteral("表面処理"), QStringLiteral("仕上げ")},
                                   {QStringLiteral("個数"), QStringLiteral("Ｑ’ＴＹ")},
                                   {QStringLiteral("備考"), QStringLiteral("摘要")}};
    QList<Cell> cells;
    const auto field = [&](int index) {
        cells.append({labels[index][labelSpelling], values[std::size_t(index)],
                      placements[std::size_t(index)]});
    };
    // Other labels and their values between and beside ours.
    cells.append({QStringLiteral("尺度"), QStringLiteral("1:2"), placements[0]});
    field(1);
    field(0);
    field(2);
    field(3);
    cells.append({QStringLiteral("設計"), QStringLiteral("山田"), placements[3]});
    field(4);
    // Right of 備考: when 備考 has no value, the date must not become one.
    field(5);
    cells.append({QStringLiteral("日付"), QStringLiteral("2026.12.08"), placements[5]});
    return cells;
}

} // namespace

class TestTitleLabels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void labelWords_data();
    void labelWords();
    void placements_data();
    void placements();
    void setChoice_data();
    void setChoice();
    void tallySummary();
};

void TestTitleLabels::labelWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind"); // -1: no label

    const int other = TitleLabels::Other;
    QTest::newRow("plain") << "図番" << 0;
    QTest::newRow("blanks of both widths inside") << "図 　番" << 0;
    QTest::newRow("colon after it") << "品名：" << 1;
    QTest::newRow("full-width Latin, dots") << "ＤＷＧ．ＮＯ．" << 0;
    QTest::newRow("small letters") << "drawing no" << 0;
    QTest::newRow("apostrophe of either kind") << "Ｑ’ＴＹ" << 4;
    QTest::newRow("without apostrophe") << "QTY" << 4;
    QTest::newRow("middle dot") << "表面・処理" << 3;
    QTest::newRow("half-width middle dot") << "表面･処理" << 3;
    QTest::newRow("another label of the block") << "尺度" << other;
    QTest::newRow("a value") << "A-100" << -1;
    QTest::newRow("a label with its value in one text") << "品名 ブラケット" << -1;
    QTest::newRow("a longer word holding one") << "図番号" << -1;
}

void TestTitleLabels::labelWords()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    const std::optional<int> found = TitleLabels().kindOf(text);
    QCOMPARE(found.value_or(-1), kind);

    // A word the user adds in half-width katakana matches its full-width form.
    std::array<QStringList, 6> words = TitleLabels::defaultWords();
    words[5].append(QStringLiteral("ﾋﾞｺｳ"));
    QCOMPARE(TitleLabels(words).kindOf(QStringLiteral("ビコウ")).value_or(-1), 5);
}

void TestTitleLabels::placements_data()
{
    QTest::addColumn<QByteArray>("drawing");
    QTest::addColumn<Fields>("expected");

    const Fields values = {QStringLiteral("ＡＢ-１２３４"),
                           QStringLiteral("ﾌﾞﾗｹｯﾄ"),
                           QStringLiteral("SS400"),
                           QStringLiteral("三価クロメート"),
                           QStringLiteral("2"),
                           QStringLiteral("髙橋様 支給品")};
    const auto all = [](Placement p) { return std::array<Placement, 6>{p, p, p, p, p, p}; };
    QTest::newRow("value right of its label")
        << sheet(300, 10, block(values, all(Placement::Beside))).drawing << values;
    QTest::newRow("small label in the corner of its cell")
        << sheet(300, 10, block(values, all(Placement::Corner))).drawing << values;
    QTest::newRow("value below its label")
        << sheet(300, 10, block(values, all(Placement::Below))).drawing << values;
    // Row by row: a value low in a corner cell would share a line with a
    // label beside it in the same row.
    const std::array<Placement, 6> mixed = {Placement::Corner, Placement::Corner, Placement::Beside,
                                            Placement::Beside, Placement::Below,  Placement::Below};
    QTest::newRow("the three mixed, other spellings")
        << sheet(600, 40, block(values, mixed, 1)).drawing << values;

    Fields gaps = values;
    gaps[2].clear();
    gaps[5].clear();
    QTest::newRow("labels without a value stay empty")
        << sheet(300, 10, block(gaps, all(Placement::Beside))).drawing << gaps;
    QTest::newRow("corner labels without a value stay empty")
        << sheet(300, 10, block(gaps, all(Placement::Corner))).drawing << gaps;
}

void TestTitleLabels::placements()
{
    QFETCH(QByteArray, drawing);
    QFETCH(Fields, expected);

    const TitleExtractor::Result result = run(drawing, {});
    QCOMPARE(result.source, Source::Labels);
    QCOMPARE(result.fields, expected);
    for (std::size_t field = 0; field < expected.size(); ++field) {
        QCOMPARE(result.captured[field], !expected[field].isEmpty());
    }
}

void TestTitleLabels::setChoice_data()
{
    QTest::addColumn<QByteArray>("drawing");
    QTest::addColumn<bool>("byLabels");
    QTest::addColumn<Source>("source");
    QTest::addColumn<Fields>("expected");

    const Fields values = {QStringLiteral("B-7"),   QStringLiteral("軸受ｶﾊﾞｰ"),
                           QStringLiteral("A5052"), QStringLiteral("白ｱﾙﾏｲﾄ"),
                           QStringLiteral("4"),     QStringLiteral("")};
    const auto all = [](Placement p) { return std::array<Placement, 6>{p, p, p, p, p, p}; };
    // A3, A1 and a customer's sheet, each a set; a fourth layout no set fits.
    const Sheet a3 = sheet(300, 10, block(values, all(Placement::Beside)));
    const Sheet a1 = sheet(721, 10, block(values, all(Placement::Beside)));
    const Sheet customer = sheet(20, 400, block(values, all(Placement::Corner)));
    const Sheet fourth = sheet(900, 700, block(values, all(Placement::Below)));
    QTest::newRow("set 1") << a3.drawing << true << Source::Set1 << values;
    QTest::newRow("set 2") << a1.drawing << true << Source::Set2 << values;
    QTest::newRow("set 3") << customer.drawing << true << Source::Set3 << values;
    QTest::newRow("no set: by labels") << fourth.drawing << true << Source::Labels << values;
    QTest::newRow("no set, labels off: set 1 as always")
        << fourth.drawing << false << Source::NoDrawingNumber << Fields{};
    QByteArray crowded;
    for (int i = 0; i <= TitleLabels::Matcher::maxLabels; ++i) {
        crowded += text(5, i * 10, QStringLiteral("図番"), 3) + text(20, i * 10, "X", 3);
    }
    QTest::newRow("more labels than a title block holds: not read by them")
        << crowded << true << Source::NoDrawingNumber << Fields{};
    QTest::newRow("nothing to find") << TitleBlockBuilder::text(5, 5, QStringLiteral("メモ"), 3)
                                     << true << Source::NoDrawingNumber << Fields{};
}

void TestTitleLabels::setChoice()
{
    QFETCH(QByteArray, drawing);
    QFETCH(bool, byLabels);
    QFETCH(Source, source);
    QFETCH(Fields, expected);

    const Fields fields = {QStringLiteral("B-7"),   QStringLiteral("軸受ｶﾊﾞｰ"),
                           QStringLiteral("A5052"), QStringLiteral("白ｱﾙﾏｲﾄ"),
                           QStringLiteral("4"),     QStringLiteral("")};
    const auto all = [](Placement p) { return std::array<Placement, 6>{p, p, p, p, p, p}; };
    TitleExtractor::Sources sources;
    sources.sets = {sheet(300, 10, block(fields, all(Placement::Beside))).positions,
                    sheet(721, 10, block(fields, all(Placement::Beside))).positions,
                    sheet(20, 400, block(fields, all(Placement::Corner))).positions};
    sources.byLabels = byLabels;
    const TitleExtractor::Result result = run(drawing, sources);
    QCOMPARE(result.source, source);
    QCOMPARE(result.fields, expected);

    // Where set 1 fits, the result is that of set 1 alone, to the byte.
    const TitleExtractor::Result alone = run(drawing, {{sources.sets[0], {}, {}}, false, {}});
    const TitleExtractor::Result withAll = run(drawing, sources);
    if (alone.captured[0]) {
        QCOMPARE(withAll.fields, alone.fields);
        QCOMPARE(withAll.captured, alone.captured);
    }
}

void TestTitleLabels::tallySummary()
{
    ReadingTally tally;
    for (int i = 0; i < 40; ++i) {
        tally.add(Source::Set1, QStringLiteral("a%1.mi").arg(i));
    }
    QVERIFY(tally.onlySet1());
    for (int i = 0; i < 8; ++i) {
        tally.add(Source::Set2, QStringLiteral("b%1.mi").arg(i));
    }
    QVERIFY(tally.allFittedASet());
    tally.add(Source::Labels, QStringLiteral("c1.mi"));
    tally.add(Source::Labels, QStringLiteral("c2.mi"));
    tally.add(Source::NoDrawingNumber, QStringLiteral("d.mi"));
    QVERIFY(!tally.onlySet1());
    QVERIFY(!tally.allFittedASet());
    QCOMPARE(tally.summary(),
             QStringLiteral("ｾｯﾄ1: 40 枚、ｾｯﾄ2: 8 枚、項目名: 2 枚、図番なし: 1 枚"));
    QCOMPARE(tally.withoutDrawingNumber, QStringList{QStringLiteral("d.mi")});
}

QTEST_MAIN(TestTitleLabels)
#include "tst_titlelabels.moc"
