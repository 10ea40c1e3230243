#include "columnlayout.h"

#include <cmath>

namespace ColumnLayout {

QString title(int column)
{
    static const std::array<QString, Count> titles = {
        QStringLiteral("図番"),     QStringLiteral("品名"), QStringLiteral("材料"),
        QStringLiteral("表面処理"), QStringLiteral("個数"), QStringLiteral("備考"),
    };
    return column >= 0 && column < Count ? titles[column] : QString();
}

Qt::Alignment alignment(int column)
{
    // The quantity column is right-aligned at the top, as on the old grid.
    return column == Quantity ? (Qt::AlignRight | Qt::AlignTop)
                              : (Qt::AlignLeft | Qt::AlignVCenter);
}

std::optional<std::array<int, Count>> widths(double tableWidthTwips)
{
    // std::nearbyint rounds halves to even in the default rounding mode.
    const double width = std::nearbyint(tableWidthTwips);
    if (!(width > 500)) {
        return std::nullopt;
    }
    static constexpr std::array<int, Count> divisors = {5, 4, 8, 6, 12, 8};
    std::array<int, Count> result{};
    for (int column = 0; column < Count; ++column) {
        result[column] = static_cast<int>(std::nearbyint(width / divisors[column]));
    }
    return result;
}

} // namespace ColumnLayout
