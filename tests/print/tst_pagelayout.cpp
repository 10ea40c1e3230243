#include "print/drawingtarget.h"
#include "print/pagelayout.h"
#include "print/pagelist.h"
#include "print/pdfexport.h"
#include "print/sheetprinter.h"
#include "print/textfit.h"
#include "shell/tablemodel.h"
#include "support/rows.h"

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
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
    setDataRows(*table, data);
    return table;
}

} // namespace

class TestPageLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void spaseSet_data();
    void spaseSet();
    void textFit_data();
    void textFit();
    void pageList_data();
    void pageList();
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

void TestPageLayout::textFit_data()
{
    // Measured as a monospaced face: a full-width character is as wide as
    // its size, a half-width one half as wide.
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("room"); // mm
    QTest::addColumn<int>("lines");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("shortened");
    const QString treatment = QStringLiteral("無電解ニッケルめっき（カニゼン）"); // 16 wide
    QTest::newRow("fits") << QStringLiteral("ブラケット") << 41.0 << 1 << 9.0 << false;
    QTest::newRow("condensed, not smaller") << treatment << 41.85 << 1 << 9.0 << false;
    QTest::newRow("smaller, still legible") << treatment << 19.7 << 1 << 7.0 << false;
    QTest::newRow("two lines at the floor") << treatment << 12.0 << 2 << 6.5 << false;
    QTest::newRow("60-character remarks")
        << QString(60, QChar(u'注')) << 40.85 << 2 << 6.5 << false;
    QTest::newRow("300 characters are cut")
        << QString(300, QChar(u'注')) << 40.85 << 2 << 6.5 << true;
    QTest::newRow("hostile length, measured only in part")
        << QString(2000000, QChar(u'x')) << 40.85 << 2 << 6.5 << true;
    QTest::newRow("no room") << QStringLiteral("軸") << 0.0 << 1 << 9.0 << false;
    // A character outside the basic plane is never split between the lines.
    QTest::newRow("surrogate pairs")
        << QString(31, QChar(u'注')) + QString::fromUcs4(U"𠀋𠀋𠀋𠀋") + QString(29, QChar(u'注'))
        << 40.85 << 2 << 6.5 << false;
}

void TestPageLayout::textFit()
{
    QFETCH(QString, text);
    QFETCH(double, room);
    QFETCH(int, lines);
    QFETCH(double, points);
    QFETCH(bool, shortened);
    const TextFit::Measure width = [](QStringView part, double size) {
        return double(PageLayout::displayWidth(part)) / 2 * size * TextFit::millimetresPerPoint;
    };
    const TextFit::Fitted fitted = TextFit::fit(text, room, 9, width);
    QCOMPARE(fitted.lines.size(), lines);
    QCOMPARE(qRound(fitted.points * 10), qRound(points * 10));
    QCOMPARE(fitted.shortened, shortened);
    QVERIFY(fitted.points >= TextFit::smallestPoints);
    QString joined;
    for (const QString &line : fitted.lines) {
        if (room > 0) {
            QVERIFY2(width(line, fitted.points) * TextFit::minimumStretch <= room + 1e-9,
                     qPrintable(line));
        }
        QVERIFY(!line.isEmpty() && !line.back().isHighSurrogate() &&
                !line.front().isLowSurrogate());
        joined += line;
    }
    if (shortened) {
        QVERIFY(joined.endsWith(QStringLiteral("…")));
        QVERIFY(text.startsWith(joined.chopped(1)));
    } else {
        QCOMPARE(joined, text);
    }
}

void TestPageLayout::pageList_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("ranges"); // as read, or empty when refused
    QTest::addColumn<QString>("reason"); // part of the refusal
    QTest::newRow("pages and a range") << "2-3, 5"
                                       << "2-3,5"
                                       << "";
    QTest::newRow("overlapping ranges merge") << "1-3,2-4"
                                              << "1-4"
                                              << "";
    QTest::newRow("open end") << "1-"
                              << ""
                              << "終わりのページがありません";
    QTest::newRow("open start") << "-2"
                                << ""
                                << "始めのページがありません";
    QTest::newRow("page 0") << "0"
                            << ""
                            << "1 から数えます";
    QTest::newRow("backwards") << "3-2"
                               << ""
                               << "「2-3」のように";
    QTest::newRow("nothing typed") << " "
                                   << ""
                                   << "指定してください";
    QTest::newRow("two numbers without a dash") << "2 3"
                                                << ""
                                                << "読めません";
    QTest::newRow("empty item") << "1,,2"
                                << ""
                                << "読めません";
    QTest::newRow("beyond any whole number") << "1-99999999999"
                                             << ""
                                             << "1 から数えます";
}

void TestPageLayout::pageList()
{
    QFETCH(QString, typed);
    QFETCH(QString, ranges);
    QFETCH(QString, reason);
    const PageList::Reading reading = PageList::read(typed);
    QCOMPARE(reading.ranges.toString(), ranges);
    QVERIFY2(reason.isEmpty() ? reading.error.isEmpty() : reading.error.contains(reason),
             qPrintable(reading.error));
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
    QVERIFY(hasInk(image, 15, 20.6, 25, 24.4)); // 図番
    QVERIFY(hasInk(image, 90, 10, 110, 17));    // 部品表
    QVERIFY(hasInk(image, 175, 15, 195, 19));   // date
    QVERIFY(hasInk(image, 95, 278, 105, 282));  // "page / pages" under the middle
    QVERIFY(!hasInk(image, 5, 278, 85, 282));
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
    // Far below half width: a smaller font, then two lines, then cut.
    QTest::newRow("electroless nickel")
        << QStringList{"A-1", "軸", "S45C", "無電解ニッケルめっき（カニゼン）", "1", ""} << a4
        << 0.0;
    QTest::newRow("hardening with a wave dash")
        << QStringList{"A-1", "軸", "S45C", "焼入れ焼戻し HRC40～45 後 黒染", "1", ""} << a4 << 0.0;
    QTest::newRow("60-character remarks")
        << QStringList{"A-1", "軸", "S45C", "", "1", QString(60, QChar(u'注'))} << a4 << 0.0;
    QTest::newRow("300-character remarks are cut")
        << QStringList{"A-1", "軸", "S45C", "", "1", QString(300, QChar(u'ｱ'))} << a4 << 0.0;
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
    setDataRows(table, {texts});
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
    // Where each column's texts start (left) or end (right-aligned columns).
    const std::array<double, 6> edge = {6, 33, 78, 139.85, 149.85, 154};
    QStringList printed(6);
    std::array<double, 6> nearest = {999, 999, 999, 0, 0, 999};
    double headingHeight = 0; // of 図番, 9 points
    double smallest = 99;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        // Written here without the export's repair of the wave dash.
        const QString text = match.captured(5).replace(u'〜', u'～');
        // Every text on the sheet, the page number and the date included.
        QVERIFY2(match.captured(3).toDouble() * 25.4 / 72 <= sheet.width() &&
                     match.captured(4).toDouble() * 25.4 / 72 <= sheet.height(),
                 qPrintable(text));
        const double top = toForm(match.captured(2));
        const double bottom = toForm(match.captured(4));
        if (text == "図番") {
            headingHeight = bottom - top;
        }
        if (top < 24.5 || bottom > 31) {
            continue; // not data row 1
        }
        smallest = std::min(smallest, bottom - top);
        QVERIFY2(bottom <= 30.2, qPrintable(text + " leaves its row"));
        const QString part = text.endsWith(u'…') ? text.chopped(1) : text;
        qsizetype column = texts.indexOf(part); // a whole cell first: "1" is not "A-1"
        if (column < 0) {
            column = 0;
            while (column < 6 && !texts.at(column).contains(part)) {
                ++column;
            }
        }
        QVERIFY2(column < 6, qPrintable(text + " is in no cell"));
        printed[column] += text;
        const double left = toForm(match.captured(1));
        const double right = toForm(match.captured(3));
        QVERIFY2(left >= edges[std::size_t(column)] && right <= edges[std::size_t(column) + 1],
                 qPrintable(QStringLiteral("%1 spans %2..%3 mm").arg(text).arg(left).arg(right)));
        const bool rightAligned = column == 3 || column == 4;
        nearest[std::size_t(column)] = rightAligned ? std::max(nearest[std::size_t(column)], right)
                                                    : std::min(nearest[std::size_t(column)], left);
    }
    // Legible: nothing below 6.5 of the heading's 9 points.
    QVERIFY(headingHeight > 0);
    QVERIFY2(smallest / headingHeight >= 6.4 / 9, qPrintable(QString::number(smallest)));
    // Nothing lost but what "…" stands for, and one edge per column.
    for (int column = 0; column < 6; ++column) {
        const QString whole = QString(texts.at(column)).remove(u' ');
        const QString shown = printed.at(column);
        if (shown.endsWith(u'…')) {
            QVERIFY2(whole.startsWith(shown.chopped(1)) && shown.size() > 20, qPrintable(shown));
        } else {
            QCOMPARE(shown, whole);
        }
        if (!whole.isEmpty()) {
            QVERIFY2(qAbs(nearest[std::size_t(column)] - edge[std::size_t(column)]) < 0.3,
                     qPrintable(QStringLiteral("column %1 at %2 mm")
                                    .arg(column)
                                    .arg(nearest[std::size_t(column)])));
        }
    }
}

void TestPageLayout::pdfHoldsEveryPage()
{
    std::unique_ptr<TableModel> table(tableWithRows(120));
    table->setText(2, 3, QStringLiteral("HRC40～45"));
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
    // A search for the tilde typed on Windows finds it.
    QVERIFY(content.contains(QStringLiteral("HRC40～45")));
    // Each sheet names its list and says which of how many it is.
    QCOMPARE(content.count("list.pdf"), 3);
    QVERIFY(content.contains("1 / 3") && content.contains("3 / 3"));
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) {
        QSKIP("pdftoppm (poppler-utils) is not installed");
    }
    // Rules a photocopier keeps, in the PDF and on a 1200 dpi printer; the
    // form where a printer's 5 mm margin puts it, 10 mm in from each side.
    const QString printed = dir.filePath("printed.pdf");
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
        QPainter painter(&printer);
        SheetPrinter::drawPages(printer, painter, *table, {1});
    }
    constexpr double dotsPerMm = 1200 / 25.4;
    for (const QString &pdfPath : {path, printed}) {
        // Dark dots on a line from (x1, y1) to (x2, y2) mm of the sheet, in
        // mm, and where the first lies.
        const auto across = [&](double x1, double y1, double x2, double y2, double *first) {
            const QRectF area = QRectF(QPointF(x1, y1), QPointF(x2, y2)).adjusted(-1, -1, 1, 1);
            QProcess render;
            render.start("pdftoppm", {"-r",
                                      "1200",
                                      "-f",
                                      "1",
                                      "-l",
                                      "1",
                                      "-gray",
                                      "-aa",
                                      "no",
                                      "-aaVector",
                                      "no",
                                      "-x",
                                      QString::number(int(area.x() * dotsPerMm)),
                                      "-y",
                                      QString::number(int(area.y() * dotsPerMm)),
                                      "-W",
                                      QString::number(int(area.width() * dotsPerMm)),
                                      "-H",
                                      QString::number(int(area.height() * dotsPerMm)),
                                      "-singlefile",
                                      pdfPath,
                                      dir.filePath("crop")});
            render.waitForFinished(60000);
            const QImage crop(dir.filePath("crop.pgm"));
            int dark = 0;
            const int steps = int(std::max(qAbs(x2 - x1), qAbs(y2 - y1)) * dotsPerMm);
            for (int step = 0; step <= steps && !crop.isNull(); ++step) {
                const double x = x1 + (x2 - x1) * step / steps;
                const double y = y1 + (y2 - y1) * step / steps;
                const QPoint dot(int((x - area.x()) * dotsPerMm), int((y - area.y()) * dotsPerMm));
                if (qGray(crop.pixel(dot)) < 128 && dark++ == 0 && first) {
                    *first = x1 == x2 ? y : x;
                }
            }
            return dark / dotsPerMm;
        };
        double frameLeft = 0;
        QVERIFY2(across(8, 162.5, 12, 162.5, &frameLeft) >= 0.19, qPrintable(pdfPath));
        QVERIFY2(qAbs(frameLeft - 10) < 0.3, qPrintable(QString::number(frameLeft)));
        double frameRight = 0;
        QVERIFY(across(198, 162.5, 202, 162.5, &frameRight) >= 0.19);
        QVERIFY2(qAbs(frameRight - 200) < 0.3, qPrintable(QString::number(frameRight)));
        QVERIFY(across(110, 33, 110, 37, nullptr) >= 0.09);     // the rule at 30 mm of the form
        QVERIFY(across(33, 162.5, 37, 162.5, nullptr) >= 0.09); // the column rule at 30 mm
    }
    // A target that cannot be written leaves nothing behind and says why.
    QVERIFY(!writePartsListPdf(*table, dir.filePath("missing/list.pdf")).isEmpty());
}

QTEST_MAIN(TestPageLayout)
#include "tst_pagelayout.moc"
