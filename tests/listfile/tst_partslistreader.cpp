#include "listfile/partslistreader.h"
#include "listfile/partslistwriter.h"
#include "platform/codepage.h"
#include "support/rows.h"

#include <QTest>

using Rows = QList<QStringList>;
Q_DECLARE_METATYPE(Rows)

class TestPartsListReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void records_data();
    void records();
    void quoteForms_data();
    void quoteForms();
    void fieldRules_data();
    void fieldRules();
    void truncated_data();
    void truncated();
    void encodings_data();
    void encodings();
    void replacedCharacters_data();
    void replacedCharacters();
    void hostileBytesNeverFail_data();
    void hostileBytesNeverFail();
    void hugeLineIsOneField();
    void recordLimitStopsReading();
    void describesWhereTheFileEnded();
};

namespace {

QStringList row(const QString &a, const QString &b = {}, const QString &c = {},
                const QString &d = {}, const QString &e = {}, const QString &f = {})
{
    return {a, b, c, d, e, f};
}

} // namespace

void TestPartsListReader::records_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("empty file") << QByteArray() << Rows{};
    QTest::newRow("only line ends and blanks") << QByteArray("\r\n \r\n\t\n") << Rows{};
    QTest::newRow("one record, CR LF") << QByteArray("\"A-100\",\"b\",\"c\",\"d\",\"2\",\"\"\r\n")
                                       << Rows{row("A-100", "b", "c", "d", "2", "")};
    QTest::newRow("last record without line end")
        << QByteArray("\"1\",\"\",\"\",\"\",\"\",\"6\"") << Rows{row("1", "", "", "", "", "6")};
    QTest::newRow("LF line ends") << QByteArray("\"1\",,,,,\"6\"\n\"7\",,,,,\"12\"\n")
                                  << Rows{row("1", "", "", "", "", "6"),
                                          row("7", "", "", "", "", "12")};
    QTest::newRow("CR line ends") << QByteArray("\"1\",,,,,\"6\"\r\"7\",,,,,\"12\"\r")
                                  << Rows{row("1", "", "", "", "", "6"),
                                          row("7", "", "", "", "", "12")};
    // Old lists wrapped long records; the line end only separates fields.
    QTest::newRow("record wrapped after the fifth field")
        << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\"\r\n\"6\"\r\n\"7\",\"8\",\"9\",\"10\",\"11\","
                      "\"12\"\r\n")
        << Rows{row("1", "2", "3", "4", "5", "6"), row("7", "8", "9", "10", "11", "12")};
    QTest::newRow("one field a line")
        << QByteArray("\"1\"\r\n\"2\"\r\n\"3\"\r\n\"4\"\r\n\"5\"\r\n\"6\"\r\n")
        << Rows{row("1", "2", "3", "4", "5", "6")};
    QTest::newRow("seven fields on a line shift the next record")
        << QByteArray(
               "\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\"\r\n\"8\",\"9\",\"10\",\"11\",\"12\"\r\n")
        << Rows{row("1", "2", "3", "4", "5", "6"), row("7", "8", "9", "10", "11", "12")};
    QTest::newRow("blank line inside the list is an empty field")
        << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\"\r\n\r\n\"7\",,,,,\r\n")
        << Rows{row("1", "2", "3", "4", "5", ""), row("7")};
    QTest::newRow("blank lines after the last record")
        << QByteArray("\"1\",,,,,\r\n\r\n\r\n  \r\n") << Rows{row("1")};
    // Lists of the older tool: quotes written as they stand. Read with
    // doubled quotes these would swallow the next cells and end short.
    QTest::newRow("old list: inch mark at the end of a cell")
        << QByteArray("\"\xC6\xAF\xCC\xDF\xD9 3/4\"\",\"b\",\"\",\"\",\"2\",\"\"\r\n"
                      "\"A-2\",\"\",\"\",\"\",\"\",\"6\"\"\r\n")
        << Rows{row(QString::fromUtf8("ﾆｯﾌﾟﾙ 3/4\""), "b", "", "", "2", ""),
                row("A-2", "", "", "", "", "6\"")};
    QTest::newRow("old list: quotes around a word and at a cell's end")
        << QByteArray("\"say \"hi\"\",\"\"\",,,,\r\n") << Rows{row("say \"hi\"", "\"")};
    QTest::newRow("blanks and tabs between closing quote and separator")
        << QByteArray("\"F\" ,\"G\"\t,\"H\"  \t,,,\"L\" \r\n\"M\",,,,,\r\n")
        << Rows{row("F", "G", "H", "", "", "L"), row("M")};
    // Where both readings give whole records the file is one of ours.
    QTest::newRow("both readings whole: doubled quotes win")
        << QByteArray("\"6\"\" pipe\",\"\"\"\",,,,\r\n") << Rows{row("6\" pipe", "\"")};
    QTest::newRow("trailing comma gives the sixth field")
        << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",") << Rows{row("1", "2", "3", "4", "5", "")};
}

void TestPartsListReader::records()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Rows, rows);
    const PartsListReader::Result result = PartsListReader::read(bytes);
    QCOMPARE(rowsOf(result.cells), rows);
    QVERIFY(!result.truncation);
    QVERIFY(!result.recordLimitReached);
    // The bytes are read without decoding the whole file; the text reads the same.
    QCOMPARE(rowsOf(PartsListReader::parse(PartsListReader::decode(bytes)).cells), rows);
}

namespace {

// Rows as older tools wrote them: quotes in a cell as they stand.
QByteArray oldForm(const Rows &rows)
{
    QByteArray bytes;
    for (const QStringList &cells : rows) {
        QByteArrayList fields;
        for (const QString &cell : cells) {
            fields.append('"' + CodePage::encode(cell).bytes + '"');
        }
        bytes += fields.join(',') + "\r\n";
    }
    return bytes;
}

QByteArray ourForm(const Rows &rows)
{
    return PartsListWriter::encode(cellsOf(rows), 0).bytes;
}

} // namespace

void TestPartsListReader::quoteForms_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<int>("oldRecords"); // records read in the old form
    QTest::addColumn<bool>("mixed");

    // Six or twelve cells ending in a quote: read with doubled quotes, the
    // old file also gives whole records, each running over several lines.
    Rows inches;
    for (int i = 1; i <= 6; ++i) {
        inches.append(row(QStringLiteral("A-%1").arg(i), QStringLiteral("ﾆｯﾌﾟﾙ 3/4\""), "SS400", "",
                          "1", ""));
    }
    QTest::newRow("six inch marks, one a row") << oldForm(inches) << inches << 6 << false;
    Rows twelve;
    for (int i = 1; i <= 6; ++i) {
        twelve.append(row(QStringLiteral("B-%1").arg(i), "1/2\"", "", "", "2", "髙 3/8\""));
    }
    QTest::newRow("twelve inch marks, two a row") << oldForm(twelve) << twelve << 6 << false;
    const Rows lone = {row("\"", "\"", "\"", "\"", "\"", "\""), row("C-1")};
    QTest::newRow("six cells of a quote alone") << oldForm(lone) << lone << 1 << false;
    Rows pairs;
    for (int i = 1; i <= 3; ++i) {
        pairs.append(row(QStringLiteral("D-%1").arg(i), "\"", "", "", "", "\""));
    }
    QTest::newRow("quote-alone cells in pairs") << oldForm(pairs) << pairs << 3 << false;
    // Ours: a"b, a lone quote and a"",b (which only ours reads whole); the
    // old rows: inch marks.
    const Rows ours = {row("E-1", "a\"b", "\"", "", "", ""), row("E-2", "6\" pipe"),
                       row("E-3", "a\",b")};
    QTest::newRow("ours, then old rows")
        << ourForm(ours) + oldForm(inches) << ours + inches << 6 << true;
    QTest::newRow("old rows, then ours")
        << oldForm(inches.mid(0, 2)) + ourForm(ours) << inches.mid(0, 2) + ours << 2 << true;
    // A remark with a quote right before its line break reads as ours.
    const Rows remark = {row("F-1", "", "", "", "", "3/4\"\r\n継手"), row("F-2", "\"")};
    QTest::newRow("ours: quote before a line break in a cell")
        << ourForm(remark) << remark << 0 << false;
}

void TestPartsListReader::quoteForms()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Rows, rows);
    QFETCH(int, oldRecords);
    QFETCH(bool, mixed);
    const PartsListReader::Result result = PartsListReader::read(bytes);
    QCOMPARE(rowsOf(result.cells), rows);
    QVERIFY(!result.truncation);
    QCOMPARE(result.oldFormRecords, oldRecords);
    QCOMPARE(result.mixedForms, mixed);
    const QString told = PartsListReader::describeOldForm(result);
    QCOMPARE(told.isEmpty(), oldRecords == 0);
    QCOMPARE(told.contains("混ざって"), mixed);
    QCOMPARE(rowsOf(PartsListReader::parse(PartsListReader::decode(bytes)).cells), rows);
}

void TestPartsListReader::fieldRules_data()
{
    QTest::addColumn<QString>("field"); // one field as it stands in the file
    QTest::addColumn<QString>("text");  // the cell text it gives

    QTest::newRow("quoted") << "\"A-100\""
                            << "A-100";
    QTest::newRow("empty quoted") << "\"\""
                                  << "";
    QTest::newRow("comma inside quotes") << "\"M6,L=20\""
                                         << "M6,L=20";
    QTest::newRow("CR LF inside quotes") << "\"a\r\nb\""
                                         << "a\r\nb";
    QTest::newRow("lone LF inside quotes") << "\"a\nb\""
                                           << "a\nb";
    QTest::newRow("doubled quote is one quote") << "\"6\"\" pipe\""
                                                << "6\" pipe";
    QTest::newRow("only a quote") << "\"\"\"\""
                                  << "\"";
    QTest::newRow("quote before comma inside text") << "\"a\"\",b\""
                                                    << "a\",b";
    // Files from older tools held quotes in cells without doubling them.
    QTest::newRow("undoubled quote inside text") << "\"6\" pipe\""
                                                 << "6\" pipe";
    QTest::newRow("undoubled quotes around a word") << "\"say \"hi\" now\""
                                                    << "say \"hi\" now";
    QTest::newRow("blanks before a field are skipped") << "  \t\"a\""
                                                       << "a";
    QTest::newRow("blanks inside quotes are kept") << "\"  a  \""
                                                   << "  a  ";
    QTest::newRow("unquoted") << "SS400"
                              << "SS400";
    QTest::newRow("unquoted keeps trailing blanks") << "  SS400  "
                                                    << "SS400  ";
    QTest::newRow("unquoted with a quote inside") << "6\"pipe\""
                                                  << "6\"pipe\"";
    QTest::newRow("unquoted empty") << ""
                                    << "";
    QTest::newRow("NUL inside quotes")
        << QString("\"a") + QChar(0) + "b\"" << QString("a") + QChar(0) + "b";
}

void TestPartsListReader::fieldRules()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    // The field in every position of a record, with both kinds of separator after it.
    for (int position = 0; position < 6; ++position) {
        QStringList fields(6, QStringLiteral("\"x\""));
        fields[position] = field;
        const QString file = fields.join(u',') + QStringLiteral("\r\n\"y\",,,,,\r\n");
        const PartsListReader::Result result = PartsListReader::parse(file);
        QStringList expected(6, QStringLiteral("x"));
        expected[position] = text;
        QCOMPARE(rowsOf(result.cells), (Rows{expected, row("y")}));
        QVERIFY(!result.truncation);
        QCOMPARE(rowsOf(PartsListReader::read(CodePage::encode(file).bytes).cells),
                 rowsOf(result.cells));
    }
}

void TestPartsListReader::truncated_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<int>("completeFields");
    QTest::addColumn<bool>("insideQuotes");
    QTest::addColumn<int>("startLine");
    QTest::addColumn<int>("endLine");

    const QByteArray first = "\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n";
    QTest::newRow("five fields") << first + "\"a\",\"b\",\"c\",\"d\",\"e\"\r\n"
                                 << Rows{row("1", "2", "3", "4", "5", "6"),
                                         row("a", "b", "c", "d", "e")}
                                 << 5 << false << 2 << 2;
    QTest::newRow("one field without line end")
        << first + "\"a\"" << Rows{row("1", "2", "3", "4", "5", "6"), row("a")} << 1 << false << 2
        << 2;
    QTest::newRow("wrapped record cut after its first line")
        << first + "\"a\",\"b\"\r\n\"c\"\r\n\r\n"
        << Rows{row("1", "2", "3", "4", "5", "6"), row("a", "b", "c")} << 3 << false << 2 << 3;
    QTest::newRow("quote never closed")
        << first + "\"a\",\"b\r\nc\r\n"
        << Rows{row("1", "2", "3", "4", "5", "6"), row("a", "b\r\nc\r\n")} << 1 << true << 2 << 4;
    QTest::newRow("quote never closed in the sixth field")
        << QByteArray("\"a\",\"b\",\"c\",\"d\",\"e\",\"f")
        << Rows{row("a", "b", "c", "d", "e", "f")} << 5 << true << 1 << 1;
    QTest::newRow("field count not a multiple of six")
        << QByteArray("1,2,3,4\r\n5,6,7,8\r\n")
        << Rows{row("1", "2", "3", "4", "5", "6"), row("7", "8")} << 2 << false << 2 << 2;
}

void TestPartsListReader::truncated()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Rows, rows);
    QFETCH(int, completeFields);
    QFETCH(bool, insideQuotes);
    QFETCH(int, startLine);
    QFETCH(int, endLine);
    const PartsListReader::Result result = PartsListReader::read(bytes);
    QCOMPARE(rowsOf(result.cells), rows);
    QCOMPARE(rowsOf(PartsListReader::parse(PartsListReader::decode(bytes)).cells), rows);
    QVERIFY(result.truncation);
    QCOMPARE(result.truncation->record, rows.size() - 1);
    QCOMPARE(result.truncation->completeFields, completeFields);
    QCOMPARE(result.truncation->insideQuotes, insideQuotes);
    QCOMPARE(result.truncation->startLine, startLine);
    QCOMPARE(result.truncation->endLine, endLine);
}

void TestPartsListReader::encodings_data()
{
    QTest::addColumn<QByteArray>("mark"); // what the file begins with
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("code page 932")
        << QByteArray() << QByteArray::fromHex("8375838983508362 8367") << "ブラケット";
    QTest::newRow("code page 932 only characters")
        << QByteArray() << QByteArray::fromHex("8740 fbfc 8160 817c 81ca") << "①髙～－￢";
    QTest::newRow("UTF-8 with byte-order mark")
        << QByteArray("\xEF\xBB\xBF") << QByteArray("\xE2\x91\xA0\xF0\x9F\x98\x80")
        << QString::fromUtf8("①😀");
    // Without the mark the bytes are code page 932, however odd they look.
    QTest::newRow("UTF-8 without mark is read as code page 932")
        << QByteArray() << QByteArray("\xE2\x91\xA0") << CodePage::decode("\xE2\x91\xA0");
}

void TestPartsListReader::encodings()
{
    QFETCH(QByteArray, mark);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const PartsListReader::Result result =
        PartsListReader::read(mark + "\"" + bytes + "\",,,,,\r\n");
    QCOMPARE(rowsOf(result.cells).size(), 1);
    QCOMPARE(rowsOf(result.cells).first().first(), text);
}

void TestPartsListReader::replacedCharacters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("replaced");
    QTest::addColumn<int>("line");

    QTest::newRow("clean") << QByteArray("\"\x83\x75\",,,,,\r\n") << 0 << 0;
    QTest::newRow("invalid bytes on line 2")
        << QByteArray("\"a\",,,,,\r\n\"\x85\x40\",\"\xEB\x9F\",,,,\r\n") << 2 << 2;
    QTest::newRow("UTF-8 list holding U+FFFD itself")
        << QByteArray("\xEF\xBB\xBF\"\xEF\xBF\xBD\",,,,,\r\n") << 0 << 0;
    QTest::newRow("UTF-8 list with an invalid byte")
        << QByteArray("\xEF\xBB\xBF\"\xFF\",,,,,\r\n") << 1 << 1;
}

void TestPartsListReader::replacedCharacters()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, replaced);
    QFETCH(int, line);
    const PartsListReader::Result result = PartsListReader::read(bytes);
    QCOMPARE(result.replacedCharacters, replaced);
    if (replaced > 0) {
        QCOMPARE(result.firstReplacedLine, line);
        QVERIFY(PartsListReader::describeReplaced(result).contains(QString::number(line)));
    }
}

void TestPartsListReader::hostileBytesNeverFail_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("records");

    QTest::newRow("NUL bytes") << QByteArray("\"a\0b\",\0,,,,\r\n", 13) << 1;
    QTest::newRow("only NUL bytes") << QByteArray(1000, '\0') << 1;
    // A lead byte before a quote or comma must not swallow it.
    QTest::newRow("lone lead byte before closing quote")
        << QByteArray("\"\x83\",\"\x81\",,,,\r\n") << 1;
    QTest::newRow("lone lead byte at the end") << QByteArray("\"a\",,,,,\"\x83") << 1;
    QTest::newRow("invalid bytes") << QByteArray("\x85\x40\xEB\x9F\xFC\xFC\x81,,,,,\r\n") << 1;
    QTest::newRow("only quotes") << QByteArray(10001, '"') << 1;
    QTest::newRow("only commas") << QByteArray(60000, ',') << 10000;
    QTest::newRow("control characters") << QByteArray("\x1a\x1c\x7f\x01\x02,\x0b\x0c,,,,\r\n") << 1;
}

void TestPartsListReader::hostileBytesNeverFail()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, records);
    const PartsListReader::Result result = PartsListReader::read(bytes);
    QCOMPARE(rowsOf(result.cells).size(), records);
    for (const QStringList &record : rowsOf(result.cells)) {
        QCOMPARE(record.size(), 6);
    }
}

void TestPartsListReader::hugeLineIsOneField()
{
    // 100 MB without a separator: one field, read in one pass.
    QByteArray bytes(100 * 1024 * 1024, 'x');
    bytes.prepend('"');
    const PartsListReader::Result result = PartsListReader::read(bytes);
    QCOMPARE(rowsOf(result.cells).size(), 1);
    QCOMPARE(rowsOf(result.cells).first().first().size(), bytes.size() - 1);
    QVERIFY(result.truncation && result.truncation->insideQuotes);
}

void TestPartsListReader::recordLimitStopsReading()
{
    QByteArray bytes;
    for (int i = 0; i < 10; ++i) {
        bytes += "\"" + QByteArray::number(i) + "\",,,,,\r\n";
    }
    PartsListReader::Result result = PartsListReader::read(bytes, 10);
    QCOMPARE(rowsOf(result.cells).size(), 10);
    QVERIFY(!result.recordLimitReached);
    result = PartsListReader::read(bytes, 9);
    QCOMPARE(rowsOf(result.cells).size(), 9);
    QVERIFY(result.recordLimitReached);
}

void TestPartsListReader::describesWhereTheFileEnded()
{
    PartsListReader::Truncation truncation;
    truncation.record = 2;
    truncation.completeFields = 4;
    truncation.startLine = 3;
    truncation.endLine = 4;
    const QString text = PartsListReader::describe(truncation);
    QVERIFY2(text.contains("3 行目") && text.contains("4 行目") && text.contains("4 項目"),
             qPrintable(text));
}

QTEST_GUILESS_MAIN(TestPartsListReader)
#include "tst_partslistreader.moc"
