#include "fonts.h"

namespace Fonts {

// Every Japanese Windows has MS Gothic; Meiryo and Yu Gothic stand in where
// an edition lacks it. Each under both of the names Windows may report.
QStringList gridFamilies()
{
    return {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
            QStringLiteral("メイリオ"),        QStringLiteral("Meiryo"),
            QStringLiteral("游ゴシック"),      QStringLiteral("Yu Gothic")};
}

QStringList printFamilies()
{
    return {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
            QStringLiteral("メイリオ"),      QStringLiteral("Meiryo"),
            QStringLiteral("游ゴシック"),    QStringLiteral("Yu Gothic")};
}

} // namespace Fonts
