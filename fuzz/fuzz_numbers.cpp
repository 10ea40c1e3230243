// Coordinate and position parsing on arbitrary bytes: never reads past the
// input, consumes a prefix that itself parses to the same value, and never
// yields NaN.
#include "extract/positionvalue.h"
#include "shell/decimalnumber.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const DecimalNumber::Prefix prefix = DecimalNumber::parsePrefix(text);
    if (prefix.length > size || std::isnan(prefix.value)) {
        std::abort();
    }
    if (prefix.length > 0) {
        const DecimalNumber::Prefix again =
            DecimalNumber::parsePrefix(text.substr(0, prefix.length));
        if (again.length != prefix.length || again.value != prefix.value) {
            std::abort();
        }
    } else if (prefix.value != 0.0) {
        std::abort();
    }
    if (std::isnan(DecimalNumber::leadingValue(text))) {
        std::abort();
    }
    const QString unicode = QString::fromUtf8(text.data(), qsizetype(size));
    const auto whole = DecimalNumber::parseWhole(unicode);
    if (whole && std::isnan(*whole)) {
        std::abort();
    }
    const auto position = positionValue(unicode);
    if (position && !std::isfinite(*position)) {
        std::abort();
    }
    return 0;
}
