#include "pagelayout.h"

#include "drawingtarget.h"
#include "shell/columnlayout.h"
#include "shell/tablemodel.h"
#include "textfit.h"

#include <QDate>
#include <QFileInfo>
#include <QFont>
#include <QLocale>

#include <array>

namespace {

constexpr std::array<double, ColumnLayout::Count> headingX = {15, 50, 95, 122, 142, 165};
constexpr std::array<double, ColumnLayout::Count> dataX = {6, 33, 78, 123, 145, 154};
constexpr std::array<double, 5> columnRules = {30, 75, 120, 140, 150};
// The frame and the column rules: column c lies between edges c and c + 1.
constexpr std::array<double, ColumnLayout::Count + 1> columnEdges = {5, 30, 75, 120, 140, 150, 195};
// Clear space kept between a text and a rule.
constexpr double ruleGap = 0.15;
constexpr int rightAlignedPlaces = 3;

bool isRightAligned(int column)
{
    return column == ColumnLayout::SurfaceTreatment || column == ColumnLayout::Quantity;
}

// The space a data text of the column may take: from its own start (so that
// every text of a column begins at one edge) to the next rule; the
// right-aligned columns all end at their right rule.
std::pair<double, double> dataRoom(int column)
{
    const double right = columnEdges[std::size_t(column) + 1] - ruleGap;
    if (isRightAligned(column)) {
        return {columnEdges[std::size_t(column)] + ruleGap, right};
    }
    return {dataX[std::size_t(column)], right};
}

// Fits a data text into row i's band (from 1) of its column.
bool printCell(DrawingTarget &target, const QString &text, int column, double bandTop)
{
    const auto [left, right] = dataRoom(column);
    return target.PrintFitted(text, left, right,
                              isRightAligned(column) ? DrawingTarget::Align::Right
                                                     : DrawingTarget::Align::Left,
                              bandTop, bandTop + 5);
}

bool isWide(char32_t c)
{
    if (c < 0x80) {
        return false;
    }
    if (c < 0x100) { // the few Latin-1 signs the code page holds in two bytes
        return c == 0xA7 || c == 0xA8 || c == 0xB0 || c == 0xB1 || c == 0xB4 || c == 0xB6 ||
               c == 0xD7 || c == 0xF7;
    }
    if (c >= 0x0391 && c <= 0x0451) { // Greek and Cyrillic
        return true;
    }
    if (c < 0x2010) {
        return false;
    }
    // Half-width katakana and the half-width forms.
    return !(c >= 0xFF61 && c <= 0xFFDC) && !(c >= 0xFFE8 && c <= 0xFFEE);
}

} // namespace

namespace PageLayout {

void DrawFormLine(DrawingTarget &target, const TableModel &table, const QString &listName)
{
    target.ScaleMode(DrawingTarget::Millimetres);
    // Headings and date in 9 points regular on every target, paper included.
    target.FontBold(false);
    target.FontSize(9);
    target.DrawWidth(2);
    target.LineBox(5, 20, 190, 255);
    target.Line(5, 25, 195, 25);
    target.DrawWidth(1);
    for (int y = 30; y <= 270; y += 5) {
        target.Line(5, y, 195, y);
    }
    for (const double x : columnRules) {
        target.Line(x, 20, x, 275);
    }
    for (int column = 0; column < ColumnLayout::Count; ++column) {
        target.CurrentX = headingX[std::size_t(column)];
        target.CurrentY = 21;
        target.PrintFitted(table.TextArray(table.CellIndex(0, column)), target.CurrentX,
                           columnEdges[std::size_t(column) + 1] - ruleGap,
                           DrawingTarget::Align::Left, 20, 25);
    }
    // The list's name tells this sheet from another list's; it keeps clear
    // of the title.
    target.CurrentX = 5;
    target.CurrentY = 15;
    target.PrintFitted(listName.isEmpty() ? listTitle(QString()) : listName, 5, 88,
                       DrawingTarget::Align::Left, 14.5, 19.8);
    target.CurrentX = 175;
    target.CurrentY = 15;
    target.Print(today());
    target.FontBold(true);
    target.FontSize(18);
    target.CurrentX = 90;
    target.CurrentY = 10;
    target.Print(QStringLiteral("部品表"));
    target.FontBold(false);
    target.FontSize(9);
}

bool DataSet(DrawingTarget &target, const TableModel &table, int NowPaji, int *shortened)
{
    const qsizetype first = qsizetype(NowPaji) * rowsPerPage - (rowsPerPage - 1);
    qsizetype remaining = table.Rows() - first;
    const bool more = remaining > rowsPerPage;
    remaining = std::min<qsizetype>(remaining, rowsPerPage);
    for (qsizetype i = 1; i <= remaining; ++i) {
        const qsizetype row = first + i - 1;
        const double y = 26 + 5 * double(i - 1);
        for (int column = 0; column < ColumnLayout::Count; ++column) {
            target.CurrentX = dataX[std::size_t(column)];
            target.CurrentY = y;
            if (printCell(target, SpaseSet(table.TextArray(table.CellIndex(row, column)), column),
                          column, y - 1) &&
                shortened) {
                ++*shortened;
            }
        }
    }
    // "7 / 40": a sheet out of a pile can be put back in its place.
    target.CurrentX = 100;
    target.CurrentY = 278;
    target.PrintFitted(QStringLiteral("%1 / %2").arg(NowPaji).arg(lastPage(table)), 80, 120,
                       DrawingTarget::Align::Centre, 277, 282);
    return more;
}

QString SpaseSet(const QString &GetData, int IntnumC)
{
    if (IntnumC == ColumnLayout::SurfaceTreatment || IntnumC == ColumnLayout::Quantity) {
        const int places = displayWidth(GetData);
        if (places < rightAlignedPlaces) {
            return QString(rightAlignedPlaces - places, QLatin1Char(' ')) + GetData;
        }
    }
    return GetData;
}

int shortenedCells(const TableModel &table, const QFont &face)
{
    QFont font = face;
    font.setBold(false);
    font.setPointSizeF(9);
    const TextFit::Measure width = TextFit::referenceMeasure(font);
    int count = 0;
    for (int column = 0; column < ColumnLayout::Count; ++column) {
        const auto [left, right] = dataRoom(column);
        for (qsizetype row = 1; row < table.Rows(); ++row) {
            const QString text = SpaseSet(table.TextArray(table.CellIndex(row, column)), column);
            if (TextFit::fit(text, right - left, 9, width).shortened) {
                ++count;
            }
        }
    }
    return count;
}

QString listTitle(const QString &path)
{
    return path.isEmpty() ? QStringLiteral("無題") : QFileInfo(path).fileName();
}

int displayWidth(QStringView text)
{
    int places = 0;
    for (const char32_t c : text.toUcs4()) {
        places += isWide(c) ? 2 : 1;
    }
    return places;
}

int lastPage(const TableModel &table)
{
    const qsizetype dataRows = table.Rows() - 1;
    return int(std::max<qsizetype>(1, (dataRows + rowsPerPage - 1) / rowsPerPage));
}

QString today()
{
    return QLocale(QLocale::Japanese, QLocale::Japan)
        .toString(QDate::currentDate(), QLocale::ShortFormat);
}

} // namespace PageLayout
