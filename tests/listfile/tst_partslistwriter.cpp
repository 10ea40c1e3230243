#include "listfile/partslistwriter.h"
#include "support/rows.h"

#include <QTest>

using Rows = QList<QStringList>;
Q_DECLARE_METATYPE(Rows)

class TestPartsListWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bytes_data();
    void bytes();
    void unencodable_data();
    void unencodable();
    void oneBadCharacterInAHugeTable();
    void describeListsRowsOneBased();
};

void TestPartsListWriter::bytes_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty table gives no bytes") << Rows{} << QByteArray();
    QTest::newRow("the 40-byte example")
        << Rows{{"A-100", "ブラケット", "SS400", "", "2", ""}}
        << QByteArray::fromHex(
               "22 41 2D 31 30 30 22 2C 22 83 75 83 89 83 50 83 62 83 67 22 2C 22 53 "
               "53 34 30 30 22 2C 22 22 2C 22 32 22 2C 22 22 0D 0A");
    QTest::newRow("every field quoted, empty ones too")
        << Rows{{"", "", "", "", "", ""}} << QByteArray("\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
    QTest::newRow("rows in table order, CR LF after each")
        << Rows{{"1", "", "", "", "", ""}, {"2", "", "", "", "", ""}}
        << QByteArray("\"1\",\"\",\"\",\"\",\"\",\"\"\r\n\"2\",\"\",\"\",\"\",\"\",\"\"\r\n");
    QTest::newRow("comma stays inside the quotes")
        << Rows{{"M6,L=20", "", "", "", "", ""}}
        << QByteArray("\"M6,L=20\",\"\",\"\",\"\",\"\",\"\"\r\n");
    QTest::newRow("quote is doubled")
        << Rows{{"6\" pipe", "\"", "", "", "", ""}}
        << QByteArray("\"6\"\" pipe\",\"\"\"\",\"\",\"\",\"\",\"\"\r\n");
    QTest::newRow("CR and LF written as they are")
        << Rows{{"a\r\nb", "c\nd", "e\rf", "", "", ""}}
        << QByteArray("\"a\r\nb\",\"c\nd\",\"e\rf\",\"\",\"\",\"\"\r\n");
    QTest::newRow("code page 932 only characters")
        << Rows{{"①", "髙", "～", "－", "￢", "ｶ"}}
        << QByteArray(
               "\"\x87\x40\",\"\xfb\xfc\",\"\x81\x60\",\"\x81\x7c\",\"\x81\xca\",\"\xb6\"\r\n");
    QTest::newRow("short row padded, long row cut to six")
        << Rows{{"a"}, {"1", "2", "3", "4", "5", "6", "7"}}
        << QByteArray("\"a\",\"\",\"\",\"\",\"\",\"\"\r\n\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n");
}

void TestPartsListWriter::bytes()
{
    QFETCH(Rows, rows);
    QFETCH(QByteArray, bytes);
    const PartsListWriter::Encoded encoded = PartsListWriter::encode(cellsOf(rows), 0);
    QCOMPARE(encoded.bytes.toHex(' '), bytes.toHex(' '));
    QVERIFY(encoded.unencodable.isEmpty());
}

void TestPartsListWriter::unencodable_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QList<qsizetype>>("badRows");
    QTest::addColumn<QStringList>("characters");
    QTest::addColumn<QByteArray>("firstRecord");

    const QStringList clean = {"a", "", "", "", "", ""};
    QTest::newRow("euro sign in the second row")
        << Rows{clean, {"x€", "", "", "", "", "€"}, clean} << QList<qsizetype>{1}
        << QStringList{"€"} << QByteArray("\"a\",\"\",\"\",\"\",\"\",\"\"\r\n");
    // A character outside the basic plane is one "?", not two.
    QTest::newRow("emoji is one character")
        << Rows{{"😀", "", "", "", "", ""}} << QList<qsizetype>{0} << QStringList{"😀"}
        << QByteArray("\"?\",\"\",\"\",\"\",\"\",\"\"\r\n");
    QTest::newRow("lone surrogate")
        << Rows{{QString(QChar(0xD800)), "", "", "", "", ""}} << QList<qsizetype>{0}
        << QStringList{QString(QChar(0xD800))} << QByteArray("\"?\",\"\",\"\",\"\",\"\",\"\"\r\n");
    QTest::newRow("several rows, characters each once")
        << Rows{{"€€", "€", "", "", "", "😀"}, clean, {"", "", "", "", "", "ü"}}
        << QList<qsizetype>{0, 2} << QStringList{"€😀", "ü"}
        << QByteArray("\"??\",\"?\",\"\",\"\",\"\",\"?\"\r\n");
}

void TestPartsListWriter::unencodable()
{
    QFETCH(Rows, rows);
    QFETCH(QList<qsizetype>, badRows);
    QFETCH(QStringList, characters);
    QFETCH(QByteArray, firstRecord);
    const PartsListWriter::Encoded encoded = PartsListWriter::encode(cellsOf(rows), 0);
    QList<qsizetype> foundRows;
    QStringList foundCharacters;
    for (const PartsListWriter::UnencodableRow &bad : encoded.unencodable) {
        foundRows.append(bad.row);
        foundCharacters.append(bad.characters);
    }
    QCOMPARE(foundRows, badRows);
    QCOMPARE(foundCharacters, characters);
    QVERIFY(encoded.bytes.startsWith(firstRecord));
    QCOMPARE(encoded.bytes.count("\r\n"), rows.size());
    QCOMPARE(PartsListWriter::encode(cellsOf(rows), 0).unencodable.size(), badRows.size());
    // Written a row at a time, as a large table is saved: the same bytes,
    // each slice's rows counted from its first.
    QList<QString> cells;
    for (const QStringList &row : rows) {
        cells.append(row);
    }
    QByteArray sliced;
    foundRows.clear();
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const PartsListWriter::Encoded slice = PartsListWriter::encode(cells, row, 1);
        sliced += slice.bytes;
        for (const PartsListWriter::UnencodableRow &bad : slice.unencodable) {
            foundRows.append(row + bad.row);
        }
    }
    QCOMPARE(sliced, encoded.bytes);
    QCOMPARE(foundRows, badRows);
}

void TestPartsListWriter::oneBadCharacterInAHugeTable()
{
    // The per-character path must only see the neighbourhood of the bad character.
    Rows rows(50000, QStringList{"A-100", "ブラケット", "SS400", "", "2", "備考"});
    rows[31234][3] = QStringLiteral("メッキ€");
    const PartsListWriter::Encoded encoded = PartsListWriter::encode(cellsOf(rows), 0);
    QCOMPARE(encoded.unencodable.size(), 1);
    QCOMPARE(encoded.unencodable.first().row, 31234);
    rows[31234][3] = QStringLiteral("メッキ?");
    QCOMPARE(encoded.bytes, PartsListWriter::encode(cellsOf(rows), 0).bytes);
}

void TestPartsListWriter::describeListsRowsOneBased()
{
    QList<PartsListWriter::UnencodableRow> rows;
    for (qsizetype row = 0; row < 12; ++row) {
        rows.append({row * 2, QStringLiteral("€")});
    }
    const QString text = PartsListWriter::describe(rows, 10);
    QVERIFY2(text.startsWith("1 行目（€）\n3 行目（€）"), qPrintable(text));
    QVERIFY2(text.endsWith("19 行目（€）\nほか 2 行"), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestPartsListWriter)
#include "tst_partslistwriter.moc"
