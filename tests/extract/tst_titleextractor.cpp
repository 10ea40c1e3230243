#include "drawingbuilder.h"
#include "extract/capturewindows.h"
#include "extract/titleextractor.h"
#include "platform/codepage.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace DrawingBuilder;

class TestTitleExtractor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawingNumber_data();
    void drawingNumber();
    void recordLayouts_data();
    void recordLayouts();
    void captureWindowBoundaries_data();
    void captureWindowBoundaries();
    void allSixFieldsAndOverlaps();
    void encodings_data();
    void encodings();
    void externalDrawing();
    void unreadablePaths_data();
    void unreadablePaths();
    void longBlocksAndLinesStayBounded();

private:
    static TitleExtractor::Result run(const QByteArray &drawing,
                                      const std::array<QString, 12> &positions)
    {
        QByteArray bytes = drawing;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        return TitleExtractor(positions).extract(buffer);
    }
};

void TestTitleExtractor::drawingNumber_data()
{
    QTest::addColumn<QByteArray>("drawing");
    QTest::addColumn<QString>("expected"); // 図番 captured at (10, 20); empty: nothing

    const QByteArray inside = textBlock("10", "20", "A-100");
    QTest::newRow("standard block") << inside << "A-100";
    QTest::newRow("shortest block: terminator on line 22") << textBlock("10", "20", "S", 21) << "S";
    QTest::newRow("terminator on line 21 is skipped") << textBlock("10", "20", "S", 20) << "";
    QTest::newRow("LF line ends") << textBlock("10", "20", "LF", 29, "\n") << "LF";
    QTest::newRow("later block wins") << inside + textBlock("11", "21", "later") << "later";
    QTest::newRow("a block outside does not overwrite")
        << inside + textBlock("50", "20", "far") << "A-100";
    QTest::newRow("tex in small letters is no block")
        << textBlock("10", "20", "x").replace("TEX", "tex") << "";
    QTest::newRow("TEX with a trailing blank still starts a block")
        << textBlock("10", "20", "blank").replace("TEX\r\n", "TEX \r\n") << "blank";
    QTest::newRow("terminator with a blank is an ordinary line")
        << textBlock("10", "20", "x").replace("|~\r\n", "|~ \r\n") + textBlock("99", "99", "y")
        << "";
    QTest::newRow("TEX inside a block is an ordinary line")
        << textBlock("10", "20", "TEX") << "TEX";
    QTest::newRow("quoted item") << "\"TEX\"\r\n" + textBlock("10", "20", "Q").mid(5) << "Q";
    QTest::newRow("quoted item across a line end is no TEX")
        << "\"TE\r\nX\"\r\n" + textBlock("10", "20", "Q").mid(5) << "";
    QTest::newRow("rest of the line after TEX, is line 1")
        << textBlock("10", "20", "rest").replace("TEX\r\n0\r\n", "TEX,0\r\n") << "rest";
    QTest::newRow("TEX after other items on its line")
        << "LIN,1,TEX\r\n" + textBlock("10", "20", "third").mid(5) << "third";
    QTest::newRow("text keeps its blanks") << textBlock("10", "20", "  A 1  ") << "  A 1  ";
    QTest::newRow("coordinate with blanks and exponent")
        << textBlock("  1.0e1", "+20.", "E") << "E";
    QTest::newRow("coordinate followed by text") << textBlock("10mm", "20,5", "T") << "T";
    QTest::newRow("no number reads as 0, outside") << textBlock("x10", "20", "Z") << "";
    QTest::newRow("file ends inside a block") << inside + "TEX\r\n10\r\n20\r\n"
                                              << "A-100";
    QTest::newRow("terminator without a final line end") << inside.chopped(2) << "A-100";
    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("binary garbage and NUL bytes")
        << QByteArray("\0\xff\x81,\r\n", 6) + inside + QByteArray(300, '\0') << "A-100";
}

void TestTitleExtractor::drawingNumber()
{
    QFETCH(QByteArray, drawing);
    QFETCH(QString, expected);
    const TitleExtractor::Result result = run(drawing, positionsWithDrawingNumberAt("10", "20"));
    QVERIFY(result.readable);
    QCOMPARE(result.fields[0], expected);
    QCOMPARE(result.captured[0], !expected.isEmpty());
}

void TestTitleExtractor::recordLayouts_data()
{
    QTest::addColumn<QByteArray>("drawing");
    QTest::addColumn<QString>("expected"); // 図番 captured at (10, 20); empty: nothing

    for (const Layout layout : {Layout::Older, Layout::Newer}) {
        const char *name = layout == Layout::Older ? "older" : "newer";
        for (const int properties : {0, 1, 2}) {
            QTest::addRow("%s, %d properties", name, properties)
                << textRecord(layout, "10", "20", {"A-100"}, properties) << "A-100";
        }
        QTest::addRow("%s, two lines", name)
            << textRecord(layout, "10", "20", {"A-100", "Rev. 2"}, 2) << "A-100 Rev. 2";
        QTest::addRow("%s, three lines, turned, LF", name)
            << textRecord(layout, "10", "20", {"1", "", "3"}, 1, true, "\n") << "1  3";
        QTest::addRow("%s, after a record elsewhere", name)
            << textRecord(layout, "10", "20", {"A"}) + textRecord(layout, "50", "50", {"B", "C"})
            << "A";
    }
    // Records that fit neither layout are read by the fixed lines, which in
    // an older record hold the matrix entries b and d.
    QByteArray badRow = textRecord(Layout::Older, "10", "20", {"T"});
    badRow.replace("\r\n0\r\n0\r\n1\r\n0\r\n0\r\nhp", "\r\n0\r\n0\r\n2\r\n0\r\n0\r\nhp");
    QTest::newRow("matrix not ending 0 0 1: fixed lines") << badRow << "";
    QByteArray fixed = textRecord(Layout::Older, "30", "40", {"T"});
    fixed.replace("\r\n4\r\n1\r\n0\r\n30", "\r\n0\r\n1\r\n10\r\n30")
        .replace("\r\n0\r\n1\r\n40", "\r\n0\r\n20\r\n40");
    QTest::newRow("alignment 0: fixed lines") << fixed << "T";
    QTest::newRow("one pair missing: fixed lines")
        << textRecord(Layout::Newer, "10", "20", {"A", "B"}).replace("\r\nB\r\n0\r\n", "\r\n")
        << "A";
    QTest::newRow("text line not followed by 0")
        << textRecord(Layout::Older, "10", "20", {"A"}).replace("A\r\n0\r\n", "A\r\n1\r\n") << "";
}

void TestTitleExtractor::recordLayouts()
{
    QFETCH(QByteArray, drawing);
    QFETCH(QString, expected);
    const TitleExtractor::Result result = run(drawing, positionsWithDrawingNumberAt("10", "20"));
    QCOMPARE(result.fields[0], expected);
    QCOMPARE(result.captured[0], !expected.isEmpty());
}

void TestTitleExtractor::captureWindowBoundaries_data()
{
    QTest::addColumn<QString>("kx");
    QTest::addColumn<QString>("ky");
    QTest::addColumn<QByteArray>("x");
    QTest::addColumn<QByteArray>("y");
    QTest::addColumn<bool>("inside");
    QTest::newRow("centre") << "0"
                            << "0" << QByteArray("0") << QByteArray("0") << true;
    QTest::newRow("exactly 5 away in X") << "0"
                                         << "0" << QByteArray("5") << QByteArray("0") << false;
    QTest::newRow("exactly -5 away in Y") << "0"
                                          << "0" << QByteArray("0") << QByteArray("-5") << false;
    QTest::newRow("4.999 away") << "0"
                                << "0" << QByteArray("4.999") << QByteArray("-4.999") << true;
    // 12.3 + 5 is 17.300000000000001 in binary; the decimal bound still excludes 17.3.
    QTest::newRow("decimal exactly 5 away")
        << "12.3"
        << "0" << QByteArray("17.3") << QByteArray("0") << false;
    QTest::newRow("decimal below") << "12.3"
                                   << "0" << QByteArray("7.3") << QByteArray("0") << false;
    QTest::newRow("decimal just inside") << "12.3"
                                         << "0" << QByteArray("17.2999") << QByteArray("0") << true;
    QTest::newRow("0.1 steps") << "0.1"
                               << "0.2" << QByteArray("5.1") << QByteArray("0.2") << false;
    QTest::newRow("large coordinates") << "123456.7"
                                       << "0" << QByteArray("123461.7") << QByteArray("0") << false;
    QTest::newRow("position that is no number disables the field")
        << "abc"
        << "0" << QByteArray("0") << QByteArray("0") << false;
    QTest::newRow("empty position disables the field")
        << ""
        << "0" << QByteArray("0") << QByteArray("0") << false;
    QTest::newRow("position with blanks") << " 10 "
                                          << "0" << QByteArray("10") << QByteArray("0") << true;
}

void TestTitleExtractor::captureWindowBoundaries()
{
    QFETCH(QString, kx);
    QFETCH(QString, ky);
    QFETCH(QByteArray, x);
    QFETCH(QByteArray, y);
    QFETCH(bool, inside);
    // Whatever the C library's locale: with a decimal comma the bounds once
    // came out as whole numbers (12.3 captured 7.2). Locales missing here are skipped.
    for (const char *numeric : {"C", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
        if (!std::setlocale(LC_NUMERIC, numeric)) {
            continue;
        }
        const TitleExtractor::Result result =
            run(textBlock(x, y, "T"), positionsWithDrawingNumberAt(kx, ky));
        std::setlocale(LC_NUMERIC, "C");
        QVERIFY2(result.captured[0] == inside, numeric);
    }
}

void TestTitleExtractor::allSixFieldsAndOverlaps()
{
    std::array<QString, 12> positions = {"0",   "0", "100", "0", "200", "0",
                                         "300", "0", "400", "0", "500", "0"};
    QByteArray drawing;
    const QList<QByteArray> texts = {"図番", "品名", "材料", "表面処理", "個数", "備考"};
    for (int column = 0; column < 6; ++column) {
        drawing += textBlock(QByteArray::number(column * 100 + 1), "1",
                             CodePage::encode(QString::fromUtf8(texts[column])).bytes);
    }
    TitleExtractor::Result result = run(drawing, positions);
    for (int column = 0; column < 6; ++column) {
        QCOMPARE(result.fields[std::size_t(column)], QString::fromUtf8(texts[column]));
    }
    // Overlapping windows: one block fills every field whose window holds it.
    positions.fill("0");
    result = run(textBlock("1", "1", "all"), positions);
    for (int column = 0; column < 6; ++column) {
        QCOMPARE(result.fields[std::size_t(column)], QString("all"));
    }
}

void TestTitleExtractor::encodings_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("textBytes");
    QTest::addColumn<QString>("expected");
    const QString japanese = QString::fromUtf8("①髙～ﾌﾞﾗｹｯﾄ－部品");
    QTest::newRow("code page 932 by default")
        << QByteArray() << CodePage::encode(japanese).bytes << japanese;
    QTest::newRow("declared SJIS")
        << QByteArray("#~1\r\nENCODING:SJIS\r\n") << CodePage::encode(japanese).bytes << japanese;
    QTest::newRow("declared UTF-8")
        << QByteArray("#~1\r\nENCODING:UTF-8\r\n") << japanese.toUtf8() << japanese;
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF") << japanese.toUtf8() << japanese;
    QTest::newRow("invalid UTF-8 becomes U+FFFD")
        << QByteArray("#~1\nENCODING:UTF-8\n") << QByteArray("a\xC3") << QString("a\uFFFD");
    const QByteArray section3 =
        "#~3\r\nname\r\n\r\n\r\n\r\n\r\n\r\n\r\n 12-Aug-93\r\n 0:00:00\r\n\r\nME10\r\n";
    QTest::newRow("version 3.20 without declaration is UTF-8") << section3 + "3.20\r\n2D\r\n"
                                                               << japanese.toUtf8() << japanese;
    QTest::newRow("version 3.40 after other sections") << "#~2\r\n2\r\n" + section3 + "3.40\r\n"
                                                       << japanese.toUtf8() << japanese;
    QTest::newRow("version 2.10 is code page 932") << section3 + "2.10\r\n"
                                                   << CodePage::encode(japanese).bytes << japanese;
    QTest::newRow("version on the 11th line does not count")
        << section3.chopped(6) + "3.40\r\n"
        << CodePage::encode(japanese).bytes << japanese;
    QTest::newRow("declared SJIS wins over the version")
        << "#~1\r\nENCODING:SJIS\r\n" + section3 + "3.40\r\n"
        << CodePage::encode(japanese).bytes << japanese;
    QTest::newRow("lone lead byte at the end of the text")
        << QByteArray() << QByteArray("A\x82") << QString("A\uFFFD");
}

void TestTitleExtractor::encodings()
{
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, textBytes);
    QFETCH(QString, expected);
    const TitleExtractor::Result result =
        run(head + textBlock("10", "20", textBytes), positionsWithDrawingNumberAt("10", "20"));
    QCOMPARE(result.fields[0], expected);
}

void TestTitleExtractor::externalDrawing()
{
    // Written by another project: UTF-8 declared, LF line ends, one record of
    // the older layout at (25, 12) whose fixed lines hold 0 and 1.
    QVERIFY(!TitleExtractor(positionsWithDrawingNumberAt("0", "1"))
                 .extractFile(QStringLiteral(TAVO_EXTERNAL_DATA "/ezmi2d/text-utf8.mi"))
                 .captured[0]);
    const TitleExtractor extractor(positionsWithDrawingNumberAt("25", "12"));
    const TitleExtractor::Result result =
        extractor.extractFile(QStringLiteral(TAVO_EXTERNAL_DATA "/ezmi2d/text-utf8.mi"));
    QVERIFY(result.readable);
    QCOMPARE(result.fields[0], QString::fromUtf8("日本語 café"));
    for (int column = 1; column < 6; ++column) {
        QVERIFY(!result.captured[std::size_t(column)]);
    }
}

void TestTitleExtractor::unreadablePaths_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("directory") << "directory";
    QTest::newRow("dangling link") << "link";
    QTest::newRow("fifo") << "fifo";
    QTest::newRow("device") << "device";
    QTest::newRow("no read permission") << "unreadable";
}

void TestTitleExtractor::unreadablePaths()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath("drawing.mi");
    if (kind == "directory") {
        path = dir.path();
    } else if (kind == "link") {
#ifdef Q_OS_WIN
        QSKIP("Windows makes a shortcut file (.lnk) here, not a link");
#endif
        QVERIFY(QFile::link(dir.filePath("gone.mi"), path));
    } else if (kind == "fifo" || kind == "device" || kind == "unreadable") {
#ifdef Q_OS_UNIX
        if (kind == "fifo") {
            QCOMPARE(mkfifo(path.toLocal8Bit().constData(), 0600), 0);
        } else if (kind == "device") {
            path = "/dev/zero";
        } else {
            if (geteuid() == 0) {
                QSKIP("root reads files whatever their permissions");
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.close();
            QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
        }
#else
        if (kind == "device") {
            path = dir.filePath("nul.mi"); // a device name in every folder
        } else {
            QSKIP("Windows has no FIFOs, and its owner reads a file whatever its permissions");
        }
#endif
    }
    // Must come back at once: a FIFO or /dev/zero is never read.
    const TitleExtractor::Result result =
        TitleExtractor(positionsWithDrawingNumberAt("0", "0")).extractFile(path);
    QVERIFY(!result.readable);
    QVERIFY(!result.error.isEmpty());
}

void TestTitleExtractor::longBlocksAndLinesStayBounded()
{
    // A block of 200,000 lines and a 3 MB text line: captured as usual, with
    // the line cut at the kept length.
    QByteArray drawing = "TEX\n";
    for (int i = 0; i < 200000; ++i) {
        drawing += "1\n";
    }
    drawing += textBlock("10", "20", QByteArray(3 * 1024 * 1024, 'x'), 29, "\n").mid(4);
    const TitleExtractor::Result result = run(drawing, positionsWithDrawingNumberAt("10", "20"));
    QVERIFY(result.captured[0]);
    QCOMPARE(result.fields[0].size(), qsizetype(256 * 1024));
    // A huge line outside any block is skipped over.
    const TitleExtractor::Result second =
        run(QByteArray(5 * 1024 * 1024, 'a') + "\n" + textBlock("10", "20", "after"),
            positionsWithDrawingNumberAt("10", "20"));
    QCOMPARE(second.fields[0], QString("after"));
}

QTEST_GUILESS_MAIN(TestTitleExtractor)
#include "tst_titleextractor.moc"
