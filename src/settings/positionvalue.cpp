#include "positionvalue.h"

#include "shell/decimalnumber.h"

#include <QLocale>

#include <cmath>

std::optional<double> positionValue(const QString &text)
{
    // "1,5" is 1.5 where the comma is the decimal point and no number
    // elsewhere, never fifteen.
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double local = locale.toDouble(text.trimmed(), &ok);
    if (ok && std::isfinite(local)) {
        return local;
    }
    const std::optional<double> plain = DecimalNumber::parseWhole(text);
    if (plain && std::isfinite(*plain)) {
        return plain;
    }
    return std::nullopt;
}
