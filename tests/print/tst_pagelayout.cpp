#include "print/drawingtarget.h"
#include "print/pagelayout.h"
#include "print/pdfexport.h"
#include "shell/tablemodel.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
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
    void longTextsAreNotClipped();
    void pdfHoldsEveryPage();
};

void TestPageLayout::spaseSet_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("prepared");
    QTest::newRow("quantity 7") << "7" << 4 << "  7";
    QTest::newRow("two-character surface treatment") << "焼入" << 3 << " 焼入";
    QTest::newRow("empty quantity") << "" << 4 << "   ";
    QTest::newRow("exactly three") << "100" << 4 << "100";
    // Longer texts would need a negative number of blanks: drawn unchanged.
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

void TestPageLayout::longTextsAreNotClipped()
{
    std::unique_ptr<TableModel> table(tableWithRows(1));
    table->setText(1, 1, QString(40, QChar(u'長')));
    const QImage image = renderPage(*table, 1);
    // The part name runs over the rule at 75 into the material column.
    QVERIFY(hasInk(image, 90, 26.6, 110, 29.4));
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
