#include "listfile/partslistreader.h"
#include "listfile/partslistwriter.h"
#include "listfile/recordslices.h"
#include "platform/codepage.h"
#include "shell/sortrule.h"
#include "support/rows.h"

#include <QTest>

using Rows = QList<QStringList>;

class TestRecordSlices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keptListWritesAsItsCellsWould_data();
    void keptListWritesAsItsCellsWould();
    void otherFormsAreNotKept_data();
    void otherFormsAreNotKept();
};

QByteArray listOf(const Rows &rows)
{
    return PartsListWriter::encode(cellsOf(rows), 0).bytes;
}

void TestRecordSlices::keptListWritesAsItsCellsWould_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<Rows>("added");
    QTest::addColumn<bool>("sort");

    const QByteArray japanese = listOf({{"B-2", "ブラケット", "SS400", "三価ｸﾛﾒｰﾄ", "2", "①髙"},
                                        {"A-10", "6\" ﾊﾟｲﾌﾟ", "", "", "1", "3/4\""},
                                        {"A-2", "ボルト M6,L=20", "", "", "", "\"\""},
                                        {"10", "～ 改訂Ｂ －", "", "", "", ""}});
    const Rows added = {{"A-3", "新しい部品", "", "", "1", "€ は書けない"}, {"A-2", "後から"}};
    QTest::newRow("sorted with added rows") << japanese << added << true;
    QTest::newRow("in file order") << japanese << added << false;
    QTest::newRow("empty fields, nothing added") << listOf({{}, {"", "x"}}) << Rows() << true;
}

// Copying a record must give what reading it into cells and writing those
// gives, in the order the table's sort gives.
void TestRecordSlices::keptListWritesAsItsCellsWould()
{
    QFETCH(QByteArray, list);
    QFETCH(Rows, added);
    QFETCH(bool, sort);

    QList<QString> cells = PartsListReader::read(list).cells;
    cells.append(cellsOf(added));
    if (sort) {
        QList<QString> firsts;
        for (qsizetype at = 0; at < cells.size(); at += 6) {
            firsts.append(cells[at]);
        }
        QList<QString> sorted;
        for (const qsizetype row : SortRule().order(firsts)) {
            sorted.append(cells.mid(row * 6, 6));
        }
        cells = sorted;
    }
    const PartsListWriter::Encoded expected = PartsListWriter::encode(cells, 0);

    const std::optional<RecordSlices> records = RecordSlices::of(list);
    QVERIFY(records);
    QByteArray written;
    QList<PartsListWriter::UnencodableRow> unencodable;
    QVERIFY(records->write(
        cellsOf(added), sort,
        [&written](QByteArrayView chunk) {
            written += chunk;
            return true;
        },
        unencodable));
    QCOMPARE(written, expected.bytes);
    QCOMPARE(unencodable.size(), expected.unencodable.size());
    for (qsizetype i = 0; i < unencodable.size(); ++i) {
        QCOMPARE(unencodable[i].row, expected.unencodable[i].row);
        QCOMPARE(unencodable[i].characters, expected.unencodable[i].characters);
    }
}

void TestRecordSlices::otherFormsAreNotKept_data()
{
    QTest::addColumn<QByteArray>("list");
    const QByteArray record = listOf({{"A-1", "部品", "", "", "1", ""}});
    QTest::newRow("no record") << QByteArray();
    QTest::newRow("fields without quotes") << QByteArray("A-1,x,,,1,\r\n");
    QTest::newRow("line feeds alone") << QByteArray(record).replace("\r\n", "\n");
    QTest::newRow("no line end at the end") << record.chopped(2);
    QTest::newRow("five fields") << QByteArray("\"a\",\"b\",\"c\",\"d\",\"e\"\r\n");
    QTest::newRow("line break in a cell") << QByteArray("\"a\r\nb\",\"\",\"\",\"\",\"\",\"\"\r\n");
    QTest::newRow("tab in a cell") << QByteArray("\"a\tb\",\"\",\"\",\"\",\"\",\"\"\r\n");
    QTest::newRow("quote not doubled") << QByteArray("\"3/4\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
    // 0xED40 reads as a character Windows writes as 0xFA5C.
    QTest::newRow("code written back otherwise")
        << QByteArray("\"\xED\x40\",\"\",\"\",\"\",\"\",\"\"\r\n");
    QTest::newRow("byte that is no character")
        << QByteArray("\"\x85\x40\",\"\",\"\",\"\",\"\",\"\"\r\n");
    QTest::newRow("lead byte at a quote") << QByteArray("\"\x81\",\"\",\"\",\"\",\"\",\"\"\r\n");
    QTest::newRow("good record, then a bad one") << record + "A-2,x,,,1,\r\n";
}

void TestRecordSlices::otherFormsAreNotKept()
{
    QFETCH(QByteArray, list);
    QVERIFY(!RecordSlices::of(list));
}

QTEST_GUILESS_MAIN(TestRecordSlices)
#include "tst_recordslices.moc"
