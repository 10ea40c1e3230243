#include "listfile/partslistreader.h"
#include "listfile/partslistwriter.h"
#include "support/rows.h"

#include <QRandomGenerator>
#include <QTest>

// Random tables saved and read again give the same table, and saved once
// more the same bytes: the writer's quoting and the reader's rules agree on
// every text the code page can hold.
class TestPartsListRoundTrip : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomTables_data();
    void randomTables();
};

namespace {

// The characters most likely to break quoting, line handling or the code page.
const QStringList pieces = {"\"",   "\"\"",    ",",     "\r",         "\n",     "\r\n", " ",
                            "\t",   "A-100",   "SS400", "ブラケット", "ﾌﾞﾗｹｯﾄ", "①",    "髙",
                            "～",   "－",      "￢",    "\\",         "=",      "'",    "\x1a",
                            "\x7f", "M6,L=20", "\",\"", "\"\r\n\"",   "　",     "0",    "-1.5"};

QString randomText(QRandomGenerator &random)
{
    const int kind = random.bounded(10);
    if (kind < 3) {
        return QString();
    }
    const int count = kind == 9 ? random.bounded(200, 2000) : random.bounded(1, 8);
    QString text;
    for (int i = 0; i < count; ++i) {
        text += pieces.at(random.bounded(int(pieces.size())));
    }
    return text;
}

} // namespace

void TestPartsListRoundTrip::randomTables_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("rows");
    QTest::newRow("no rows") << 1u << 0;
    QTest::newRow("one row") << 2u << 1;
    for (quint32 seed = 3; seed < 23; ++seed) {
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed << int(seed * 7);
    }
    QTest::newRow("large table") << 99u << 3000;
}

void TestPartsListRoundTrip::randomTables()
{
    QFETCH(quint32, seed);
    QFETCH(int, rows);
    QRandomGenerator random(seed);
    QList<QStringList> table;
    for (int row = 0; row < rows; ++row) {
        QStringList cells;
        for (int col = 0; col < 6; ++col) {
            cells.append(randomText(random));
        }
        table.append(cells);
    }

    const PartsListWriter::Encoded saved = PartsListWriter::encode(cellsOf(table), 0);
    QVERIFY(saved.unencodable.isEmpty());
    const PartsListReader::Result opened = PartsListReader::read(saved.bytes);
    QVERIFY(!opened.truncation);
    QCOMPARE(rowsOf(opened.cells).size(), table.size());
    for (qsizetype row = 0; row < table.size(); ++row) {
        QCOMPARE(rowsOf(opened.cells).at(row), table.at(row));
    }
    QCOMPARE(PartsListWriter::encode(opened.cells, 0).bytes, saved.bytes);
}

QTEST_GUILESS_MAIN(TestPartsListRoundTrip)
#include "tst_partslistroundtrip.moc"
