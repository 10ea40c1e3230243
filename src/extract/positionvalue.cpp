#include "positionvalue.h"

#include "shell/decimalnumber.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

// Full-width forms and the ideographic full stop as ASCII.
QString halfWidth(const QString &text)
{
    QString ascii = text.trimmed();
    for (QChar &c : ascii) {
        const char16_t code = c.unicode();
        if (code >= u'\uFF01' && code <= u'\uFF5E') {
            c = QChar(char16_t(code - 0xFEE0));
        } else if (code == u'\u3002' || code == u'\uFF61') {
            c = QLatin1Char('.');
        } else if (code == u'\u2212') {
            c = QLatin1Char('-');
        }
    }
    return ascii;
}

} // namespace

QString storedPosition(const QString &text)
{
    const std::optional<double> value = positionValue(text);
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (!value || ascii) {
        return text;
    }
    const QString plain = halfWidth(text);
    // As typed where that is a plain number ("１２．５０" is "12.50"); else the value.
    return DecimalNumber::parseWhole(plain) ? plain : QString::number(*value, 'g', 15);
}

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
    const std::optional<double> plain = DecimalNumber::parseWhole(halfWidth(text));
    if (plain && std::isfinite(*plain)) {
        return plain;
    }
    return std::nullopt;
}
