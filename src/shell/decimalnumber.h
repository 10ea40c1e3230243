#pragma once

#include <optional>
#include <string_view>

class QString;

// Reading of plain decimal numbers: optional sign, digits, an optional "."
// fraction and an optional exponent. The decimal point is always ".", whatever
// the locale; hexadecimal, "inf" and "nan" are never numbers. Used by the
// drawing scanner (coordinates), the sort rule and the position settings.
namespace DecimalNumber {

struct Prefix
{
    double value = 0.0;
    std::size_t length = 0; // bytes consumed, 0 when the text starts with no number
};

// The number at the very start of `text` (no blanks skipped).
Prefix parsePrefix(std::string_view text);

// `text` with blanks (space, tab) skipped first, 0 when no number starts there.
double leadingValue(std::string_view text);

// The value when the whole of `text`, trimmed of white space, is one number.
std::optional<double> parseWhole(const QString &text);

} // namespace DecimalNumber
