#pragma once

#include <QString>
#include <Qt>

#include <array>
#include <optional>

// The six title fields in the one column order used everywhere: table,
// parts-list file and printed page.
namespace ColumnLayout {

inline constexpr int Count = 6;

enum Column { DrawingNumber = 0, PartName, Material, SurfaceTreatment, Quantity, Remarks };

QString title(int column);
Qt::Alignment alignment(int column);

// Column widths in twips for a table W twips wide: W/5, W/4, W/8, W/6, W/12
// and W/8, each rounded to the nearest whole number with halves to even.
// Empty when W is 500 or less, which leaves the widths as they were.
std::optional<std::array<int, Count>> widths(double tableWidthTwips);

} // namespace ColumnLayout
