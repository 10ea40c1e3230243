#pragma once

#include "drawingbuilder.h"
#include "platform/codepage.h"

#include <QList>
#include <QString>

#include <array>

// Builds drawings with a title block: cells of label and value, three to a
// row, at a corner of the sheet, with other labels, notes, dimensions and
// balloons around them that must not be taken.
namespace TitleBlockBuilder {

// Where a cell puts its value: right of the label on its line; larger,
// lower and to the right of a small label in the cell's top-left corner;
// below the label.
enum class Placement { Beside, Corner, Below };

struct Cell
{
    QString label;
    QString value; // empty: the label has no value
    Placement placement = Placement::Beside;
};

constexpr double cellWidth = 40;
constexpr double cellHeight = 12;

struct Sheet
{
    QByteArray drawing;
    // The value anchors of 図番, 品名, 材料, 表面処理, 個数, 備考 (where given),
    // as the twelve positions of a set that fits this layout.
    std::array<QString, 12> positions;
};

inline QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 10);
}

// A text at (x, y) in code page 932.
inline QByteArray text(double x, double y, const QString &line, double height)
{
    return DrawingBuilder::textRecord(DrawingBuilder::Layout::Newer, number(x), number(y),
                                      {CodePage::encode(line).bytes}, 1, false, "\r\n",
                                      number(height));
}

// `cells` fill rows of three from the top; the block's lower-left corner is
// (left, bottom).
inline Sheet sheet(double left, double bottom, const QList<Cell> &cells, bool distractors = true)
{
    // The labels the tests use for each field.
    static const QStringList fieldLabels[6] = {
        {QStringLiteral("図番"), QStringLiteral("ＤＷＧ　ＮＯ．"), QStringLiteral("DWG NO")},
        {QStringLiteral("品名"), QStringLiteral("PART NAME"), QStringLiteral("名称")},
        {QStringLiteral("材料"), QStringLiteral("材質"), QStringLiteral("Material")},
        {QStringLiteral("表面処理"), QStringLiteral("仕上げ")},
        {QStringLiteral("個数"), QStringLiteral("Ｑ’ＴＹ"), QStringLiteral("数量")},
        {QStringLiteral("備考"), QStringLiteral("摘要")}};
    Sheet sheet;
    sheet.positions.fill(QString());
    const qsizetype rows = (cells.size() + 2) / 3;
    for (qsizetype index = 0; index < cells.size(); ++index) {
        const Cell &cell = cells[index];
        const double x = left + double(index % 3) * cellWidth;
        const double y = bottom + double(rows - 1 - index / 3) * cellHeight;
        double valueX = 0, valueY = 0, valueHeight = 0;
        switch (cell.placement) {
        case Placement::Beside:
            sheet.drawing += text(x + 1, y + 4, cell.label, 3.5);
            valueX = x + 14, valueY = y + 4, valueHeight = 3.5;
            break;
        case Placement::Corner:
            sheet.drawing += text(x + 1, y + 8.5, cell.label, 2.5);
            valueX = x + 8, valueY = y + 2, valueHeight = 5;
            break;
        case Placement::Below:
            sheet.drawing += text(x + 2, y + 7, cell.label, 3);
            valueX = x + 2, valueY = y + 1.5, valueHeight = 4;
            break;
        }
        if (!cell.value.isEmpty()) {
            sheet.drawing += text(valueX, valueY, cell.value, valueHeight);
        }
        for (int field = 0; field < 6; ++field) {
            if (fieldLabels[field].contains(cell.label)) {
                sheet.positions[std::size_t(2 * field)] = QString::number(valueX);
                sheet.positions[std::size_t(2 * field + 1)] = QString::number(valueY);
            }
        }
    }
    if (distractors) {
        // A note, dimensions and balloons on the sheet, left of and above the block.
        const double top = bottom + double(rows) * cellHeight;
        sheet.drawing += text(left - 200, bottom + 60, QStringLiteral("注記"), 5);
        sheet.drawing +=
            text(left - 200, bottom + 52, QStringLiteral("1. 指示なき面取りは C0.5"), 3.5);
        sheet.drawing += text(left - 60, bottom + 4, QStringLiteral("120"), 3.5);
        sheet.drawing += text(left + 30, top + 30, QStringLiteral("①"), 5);
        sheet.drawing += text(left + 90, top + 20, QStringLiteral("φ45"), 3.5);
    }
    return sheet;
}

} // namespace TitleBlockBuilder
