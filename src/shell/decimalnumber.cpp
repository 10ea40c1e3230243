#include "decimalnumber.h"

#include <QString>

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

namespace DecimalNumber {

Prefix parsePrefix(std::string_view text)
{
    std::size_t pos = 0;
    const std::size_t size = text.size();
    bool negative = false;
    if (pos < size && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t mantissaStart = pos;
    std::size_t digits = 0;
    while (pos < size && isDigit(text[pos])) {
        ++pos;
        ++digits;
    }
    if (pos < size && text[pos] == '.') {
        std::size_t fraction = pos + 1;
        while (fraction < size && isDigit(text[fraction])) {
            ++fraction;
            ++digits;
        }
        if (digits > 0) {
            pos = fraction;
        }
    }
    if (digits == 0) {
        return {};
    }
    bool exponentNegative = false;
    if (pos < size && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exponent = pos + 1;
        if (exponent < size && (text[exponent] == '+' || text[exponent] == '-')) {
            exponentNegative = text[exponent] == '-';
            ++exponent;
        }
        if (exponent < size && isDigit(text[exponent])) {
            while (exponent < size && isDigit(text[exponent])) {
                ++exponent;
            }
            pos = exponent;
        } else {
            exponentNegative = false;
        }
    }

    // from_chars takes no leading "+", so parse the unsigned part and sign it.
    double magnitude = 0.0;
    const char *first = text.data() + mantissaStart;
    const char *last = text.data() + pos;
    const auto result = std::from_chars(first, last, magnitude, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        magnitude = exponentNegative ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return {negative ? -magnitude : magnitude, pos};
}

double leadingValue(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    return parsePrefix(text.substr(pos)).value;
}

std::optional<double> parseWhole(const QString &text)
{
    const QStringView trimmed = QStringView(text).trimmed();
    // Longer texts are never plain numbers anyone typed; keep the buffer small.
    constexpr qsizetype maxLength = 64;
    if (trimmed.isEmpty() || trimmed.size() > maxLength) {
        return std::nullopt;
    }
    char ascii[maxLength];
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        char16_t c = trimmed[i].unicode();
        // Typed with the input method still on: full-width digits and signs.
        if (c >= u'\uFF01' && c <= u'\uFF5E') {
            c = char16_t(c - 0xFEE0);
        } else if (c == u'\u2212') { // the minus sign
            c = u'-';
        }
        if (c > 0x7f) {
            return std::nullopt;
        }
        ascii[i] = static_cast<char>(c);
    }
    const std::string_view view(ascii, static_cast<std::size_t>(trimmed.size()));
    const Prefix prefix = parsePrefix(view);
    if (prefix.length != view.size()) {
        return std::nullopt;
    }
    return prefix.value;
}

} // namespace DecimalNumber
