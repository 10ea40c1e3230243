#include "drawingbuilder.h"
#include "extract/drawingtexts.h"
#include "extract/titleextractor.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

using namespace DrawingBuilder;

class TestDrawingTexts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void texts_data();
    void texts();
    void capturedIsWhatADropTakes_data();
    void capturedIsWhatADropTakes();
    void unreadableFileIsTold();

private:
    static DrawingTexts::Result read(QByteArray bytes)
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        return DrawingTexts::read(buffer);
    }
    static QByteArray example(const QString &name)
    {
        QFile file(QStringLiteral(TAVO_EXAMPLES "/") + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

void TestDrawingTexts::texts_data()
{
    QTest::addColumn<QByteArray>("drawing");
    QTest::addColumn<QStringList>("expected"); // "X Y text", in file order

    QTest::newRow("file order, captured or not")
        << textBlock("360.4", "22.2", "A-10") + textBlock("-1.5e1", "+7", "  two  blanks ") +
               textBlock("10", "20", "last")
        << QStringList{"360.4 22.2 A-10", "-15 7 [  two  blanks ]", "10 20 last"};
    QTest::newRow("coordinate that is no number reads as 0")
        << textBlock("x1", "20mm", "T") << QStringList{"0 20 T"};
    QTest::newRow("block too short for its lines gives no text")
        << textBlock("1", "2", "short", 20) + textBlock("3", "4", "kept")
        << QStringList{"3 4 kept"};
    QTest::newRow("code page 932")
        << textBlock("1", "2", "\x90\x7d\x94\xd4") << QStringList{"1 2 図番"};
    QTest::newRow("declared UTF-8")
        << "#~1\r\nENCODING:UTF-8\r\n" + textBlock("1", "2", "髙橋") << QStringList{"1 2 髙橋"};
    QTest::newRow("file ends inside a block: the texts before it")
        << textBlock("1", "2", "a") + "TEX\r\n5\r\n"
        << QStringList{"1 2 a"};
    // Records read by their layout carry their text height ("@5").
    QTest::newRow("older and newer layouts, lines joined")
        << textRecord(Layout::Older, "25", "12", {"A", "B"}) +
               textRecord(Layout::Newer, "100", "-3", {"X"}, 2, true)
        << QStringList{"25 12 A B @5", "100 -3 X @5"};
    QFile external(QStringLiteral(TAVO_EXTERNAL_DATA "/ezmi2d/text-utf8.mi"));
    QVERIFY(external.open(QIODevice::ReadOnly));
    QTest::newRow("external older drawing")
        << external.readAll() << QStringList{"25 12 日本語 café"};
}

void TestDrawingTexts::texts()
{
    QFETCH(QByteArray, drawing);
    QFETCH(QStringList, expected);
    const DrawingTexts::Result result = read(drawing);
    QVERIFY(result.readable);
    QStringList found;
    for (const DrawingTexts::Text &text : result.texts) {
        const QString shown = text.text.startsWith(' ') ? '[' + text.text + ']' : text.text;
        found.append(QStringLiteral("%1 %2 %3").arg(text.x).arg(text.y).arg(shown) +
                     (text.height == DrawingTexts::defaultHeight
                          ? QString()
                          : QStringLiteral(" @%1").arg(text.height)));
    }
    QCOMPARE(found, expected);
}

void TestDrawingTexts::capturedIsWhatADropTakes_data()
{
    QTest::addColumn<QByteArray>("drawing");
    QTest::addColumn<QString>("positions");

    QFile file(QStringLiteral(TAVO_EXAMPLES "/positions.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString examplePositions = QString::fromUtf8(file.readAll()).trimmed();
    for (const char *name : {"A-2.mi", "A-10.mi", "A-102.mi"}) {
        QTest::newRow(name) << example(name) << examplePositions;
    }
    // Two texts in the 図番 window, 品名 and 個数 sharing one, 備考 no number.
    QTest::newRow("later wins, shared windows, a field not captured")
        << textBlock("10", "20", "first") + textBlock("11", "21", "second") +
               textBlock("50", "50", "shared") + textBlock("0", "0", "origin")
        << "10,20,50,50,100,100,100,100,52,48,x,0";
}

void TestDrawingTexts::capturedIsWhatADropTakes()
{
    QFETCH(QByteArray, drawing);
    QFETCH(QString, positions);
    std::array<QString, 12> XYPos;
    const QStringList values = positions.split(',');
    std::copy(values.begin(), values.end(), XYPos.begin());

    const DrawingTexts::Result result = read(drawing);
    const auto captured = DrawingTexts::captured(result.texts, XYPos);
    QBuffer buffer(&drawing);
    buffer.open(QIODevice::ReadOnly);
    const TitleExtractor::Result extracted = TitleExtractor(XYPos).extract(buffer);
    for (std::size_t field = 0; field < captured.size(); ++field) {
        QCOMPARE(captured[field].has_value(), extracted.captured[field]);
        QCOMPARE(captured[field] ? result.texts[*captured[field]].text : QString(),
                 extracted.fields[field]);
    }
}

void TestDrawingTexts::unreadableFileIsTold()
{
    for (const QString &path :
         {QStringLiteral("/nonexistent/x.mi"), QStringLiteral(TAVO_EXAMPLES)}) {
        const DrawingTexts::Result result = DrawingTexts::readFile(path);
        QVERIFY(!result.readable);
        QVERIFY2(!result.error.isEmpty(), qPrintable(path));
    }
}

QTEST_GUILESS_MAIN(TestDrawingTexts)
#include "tst_drawingtexts.moc"
