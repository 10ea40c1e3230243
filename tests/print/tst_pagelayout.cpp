#include "print/drawingtarget.h"
#include "print/pagelayout.h"
#include "print/pdfexport.h"
#include "print/sheetprinter.h"
#include "shell/tablemodel.h"

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Pages are rendered at 254 dpi: 10 pixels to the millimetre.
constexpr int pixelsPerMm = 10;

QImage renderPage(const TableModel &table, int page, bool *more = nullptr)
{
    QImage image(210 * pixelsPerMm, 297 * pixelsPerMm, QImage::Format_RGB32);
    image.setDotsPerMeterX(pixelsPerMm * 1000);
    image.setDotsPerMeterY(pixelsPerMm * 1000);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawingTarget target(painter, printFont());
    PageLayout::DrawFormLine(target, table);
    const bool follows = PageLayout::DataSet(target, table, page);
    if (more) {
        *more = follows;
    }
    return image;
}

bool isDark(const QImage &image, double xMm, double yMm)
{
    return qGray(image.pixel(int(xMm * pixelsPerMm), int(yMm * pixelsPerMm))) < 128;
}

// Any dark pixel in the rectangle (millimetres)?
bool hasInk(const QImage &image, double left, double top, double right, double bottom)
{
    for (int y = int(top * pixelsPerMm); y < int(bottom * pixelsPerMm); ++y) {
        for (int x = int(left * pixelsPerMm); x < int(right * pixelsPerMm); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                return true;
            }
        }
    }
    return false;
}

TableModel *tableWithRows(int rows)
{
    auto *table = new TableModel;
    table->SetupGridColumns();
    QList<QStringList> data;
    for (int row = 1; row <= rows; ++row) {
        data.append({QStringLiteral("A-%1").arg(row), QStringLiteral("部品%1").arg(row), "SS400",
                     "ﾒｯｷ", QString::number(row % 9 + 1), ""});
    }
    table->setDataRows(data);
    return table;
}

} // namespace

class TestPageLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void spaseSet_data();
    void spaseSet();
    void rulesLieWhereTheFormSays_data();
    void rulesLieWhereTheFormSays();
    void rowsOfAPage_data();
    void rowsOfAPage();
    void textsStayInTheirColumns_data();
    void textsStayInTheirColumns();
    void pdfHoldsEveryPage();
};

void TestPageLayout::spaseSet_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("prepared");
    QTest::newRow("quantity 7") << "7" << 4 << "  7";
    QTest::newRow("empty quantity") << "" << 4 << "   ";
    QTest::newRow("exactly three") << "100" << 4 << "100";
    // A full-width character takes two of the three places.
    QTest::newRow("full-width digit") << "２" << 4 << " ２";
    QTest::newRow("two full-width characters fill the field") << "焼入" << 3 << "焼入";
    QTest::newRow("half-width kana count one each") << "ﾒｯｷ" << 3 << "ﾒｯｷ";
    QTest::newRow("times sign of the code page is full-width") << "×" << 4 << " ×";
    // Longer texts are left as they are; drawing fits them into the column.
    QTest::newRow("longer than three") << "ﾆｯｹﾙﾒｯｷ" << 3 << "ﾆｯｹﾙﾒｯｷ";
    QTest::newRow("drawing number unchanged") << "7" << 0 << "7";
    QTest::newRow("remarks unchanged") << "" << 5 << "";
}

void TestPageLayout::spaseSet()
{
    QFETCH(QString, text);
    QFETCH(int, column);
    QFETCH(QString, prepared);
    QCOMPARE(PageLayout::SpaseSet(text, column), prepared);
}

void TestPageLayout::rulesLieWhereTheFormSays_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<bool>("dark");
    QTest::newRow("frame left edge") << 5.0 << 150.0 << true;
    QTest::newRow("frame right edge") << 195.0 << 150.0 << true;
    QTest::newRow("frame top") << 100.0 << 20.0 << true;
    QTest::newRow("frame bottom") << 100.0 << 275.0 << true;
    QTest::newRow("heading rule") << 100.0 << 25.0 << true;
    QTest::newRow("first row rule") << 100.0 << 30.0 << true;
    QTest::newRow("last row rule") << 100.0 << 270.0 << true;
    QTest::newRow("between rules") << 100.0 << 32.5 << false;
    QTest::newRow("column rule 30") << 30.0 << 150.0 << true;
    QTest::newRow("column rule 150 in the heading band") << 150.0 << 22.5 << true;
    QTest::newRow("no rule at 100") << 100.0 << 152.5 << false;
    QTest::newRow("outside the frame") << 3.0 << 150.0 << false;
    QTest::newRow("below the frame") << 100.0 << 276.5 << false;
}

void TestPageLayout::rulesLieWhereTheFormSays()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(bool, dark);
    std::unique_ptr<TableModel> table(tableWithRows(0));
    const QImage page = renderPage(*table, 1);
    QCOMPARE(isDark(page, x, y), dark);
}

void TestPageLayout::rowsOfAPage_data()
{
    QTest::addColumn<int>("dataRows");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("rowsDrawn");
    QTest::addColumn<bool>("more");
    QTest::newRow("empty table") << 0 << 1 << 0 << false;
    QTest::newRow("50 rows fill page 1") << 50 << 1 << 50 << false;
    QTest::newRow("51 rows: page 1 has a follower") << 51 << 1 << 50 << true;
    QTest::newRow("51 rows: page 2 holds row 51") << 51 << 2 << 1 << false;
    QTest::newRow("120 rows: page 3 holds 20") << 120 << 3 << 20 << false;
    QTest::newRow("page past the last row") << 30 << 2 << 0 << false;
}

void TestPageLayout::rowsOfAPage()
{
    QFETCH(int, dataRows);
    QFETCH(int, page);
    QFETCH(int, rowsDrawn);
    QFETCH(bool, more);
    std::unique_ptr<TableModel> table(tableWithRows(dataRows));
    bool follows = false;
    const QImage image = renderPage(*table, page, &follows);
    QCOMPARE(follows, more);
    // Row i's text band is y = 21 + 5i .. 25 + 5i; the drawing number starts at x = 6.
    for (int i = 1; i <= 50; ++i) {
        const double top = 20 + 5.0 * i + 0.6;
        QCOMPARE(hasInk(image, 6, top, 29, top + 3.8), i <= rowsDrawn);
    }
    // Headings, title and page number are on every page.
    QVERIFY(hasInk(image, 15, 20.6, 25, 24.4));    // 図番
    QVERIFY(hasInk(image, 90, 10, 110, 17));       // 部品表
    QVERIFY(hasInk(image, 175, 15, 195, 19));      // date
    QVERIFY(hasInk(image, 100, 278, 110, 282));    // page number
    QVERIFY(!hasInk(image, 100, 278, 101.5, 282)); // the blank before the digit
}

void TestPageLayout::textsStayInTheirColumns_data()
{
    QTest::addColumn<QStringList>("texts"); // the six cells of data row 1
    QTest::addColumn<QPageSize>("paper");
    QTest::addColumn<double>("margin"); // printer margins all round, mm
    const QPageSize a4(QPageSize::A4);
    const QStringList plain = {"A-1", "ブラケット", "SS400", "ﾒｯｷ", "2", "備考"};
    QTest::newRow("plain row") << plain << a4 << 0.0;
    QTest::newRow("full-width digit quantity")
        << QStringList{"A-1", "軸", "S45C", "焼入", "２", ""} << a4 << 0.0;
    QTest::newRow("full-width ten")
        << QStringList{"A-1", "軸", "S45C", "", "１０", ""} << a4 << 0.0;
    QTest::newRow("quantity with a unit")
        << QStringList{"A-1", "軸", "S45C", "", "12個", ""} << a4 << 0.0;
    QTest::newRow("four-digit quantity")
        << QStringList{"A-1", "軸", "S45C", "", "1000", ""} << a4 << 0.0;
    QTest::newRow("long surface treatment")
        << QStringList{"A-1", "軸", "S45C", "無電解ニッケルめっき", "1000", ""} << a4 << 0.0;
    QTest::newRow("hard chrome plating")
        << QStringList{"A-1", "軸", "S45C", "硬質クロムめっき", "１２", ""} << a4 << 0.0;
    QTest::newRow("15 full-width part name")
        << QStringList{"A-1", "油圧シリンダ取付ブラケット組立", "SUS304", "", "1", ""} << a4 << 0.0;
    QTest::newRow("long remarks") << QStringList{"A-1", "軸", "S45C",
                                                 "",    "1",  QString(30, QChar(u'注')) + "ABC"}
                                  << a4 << 0.0;
    // Far below half width: the font shrinks as well.
    QTest::newRow("very long remarks")
        << QStringList{"A-1", "軸", "S45C", "", "1", QString(120, QChar(u'注'))} << a4 << 0.0;
    QTest::newRow("long drawing number")
        << QStringList{"ABCD-12345-67890-XYZ", "軸", "S45C", "", "1", ""} << a4 << 0.0;
    QTest::newRow("A4 with printer margins") << plain << a4 << 6.35;
    QTest::newRow("Letter, long texts")
        << QStringList{"A-1",  "油圧シリンダ取付ブラケット組立", "SUS304", "無電解ニッケルめっき",
                       "１０", QString(40, QChar(u'注'))}
        << QPageSize(QPageSize::Letter) << 4.23;
}

void TestPageLayout::textsStayInTheirColumns()
{
    QFETCH(QStringList, texts);
    QFETCH(QPageSize, paper);
    QFETCH(double, margin);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    TableModel table;
    table.SetupGridColumns();
    table.setDataRows({texts});
    QTemporaryDir dir;
    const QString path = dir.filePath("page.pdf");
    double scale = 0;
    {
        QPdfWriter writer(path);
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait,
                                         QMarginsF(margin, margin, margin, margin),
                                         QPageLayout::Millimeter));
        QPainter painter(&writer);
        scale = SheetPrinter::drawPages(writer, painter, table, {1});
    }
    QProcess bbox;
    bbox.start("pdftotext", {"-bbox", path, "-"});
    QVERIFY(bbox.waitForFinished(30000));
    const QString html = QString::fromUtf8(bbox.readAllStandardOutput());
    // Word boxes in points from the sheet's corner, back to the form's millimetres.
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    const auto toForm = [&](const QString &points) {
        return (points.toDouble() * 25.4 / 72 - margin) / scale;
    };
    const QSizeF sheet = paper.size(QPageSize::Millimeter);
    const std::array<double, 7> edges = {5, 30, 75, 120, 140, 150, 195};
    QStringList printed(6);
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString text = match.captured(5);
        // Every text on the sheet, the page number and the date included.
        QVERIFY2(match.captured(3).toDouble() * 25.4 / 72 <= sheet.width() &&
                     match.captured(4).toDouble() * 25.4 / 72 <= sheet.height(),
                 qPrintable(text));
        const double top = toForm(match.captured(2));
        const double bottom = toForm(match.captured(4));
        if (top < 24.5 || bottom > 31) {
            continue; // not data row 1
        }
        QVERIFY2(bottom <= 30.2, qPrintable(text + " leaves its row"));
        qsizetype column = texts.indexOf(text); // a whole cell first: "1" is not "A-1"
        if (column < 0) {
            column = 0;
            while (column < 6 && !texts.at(column).contains(text)) {
                ++column;
            }
        }
        QVERIFY2(column < 6, qPrintable(text + " is in no cell"));
        printed[column] += text;
        const double left = toForm(match.captured(1));
        const double right = toForm(match.captured(3));
        QVERIFY2(left >= edges[std::size_t(column)] && right <= edges[std::size_t(column) + 1],
                 qPrintable(QStringLiteral("%1 spans %2..%3 mm").arg(text).arg(left).arg(right)));
    }
    // Nothing cut or lost.
    for (int column = 0; column < 6; ++column) {
        QCOMPARE(printed.at(column), QString(texts.at(column)).remove(u' '));
    }
}

void TestPageLayout::pdfHoldsEveryPage()
{
    std::unique_ptr<TableModel> table(tableWithRows(120));
    QTemporaryDir dir;
    const QString path = dir.filePath("list.pdf");
    QCOMPARE(writePartsListPdf(*table, path), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "),
             3);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    QProcess text;
    text.start("pdftotext", {"-layout", path, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString content = QString::fromUtf8(text.readAllStandardOutput());
    for (const char *expected :
         {"部品表", "図番", "表面処理", "A-1 ", "A-51", "A-120", "部品101"}) {
        QVERIFY2(content.contains(QString::fromUtf8(expected)), expected);
    }
    QCOMPARE(content.count(QChar(u'\f')), 3); // one form feed after each page
    // A target that cannot be written leaves nothing behind and says why.
    QVERIFY(!writePartsListPdf(*table, dir.filePath("missing/list.pdf")).isEmpty());
}

QTEST_MAIN(TestPageLayout)
#include "tst_pagelayout.moc"
