// The sort rule on random mixed values: the plain rule is a strict weak
// ordering, and the fast sort gives what a stable sort by it gives.
#include "shell/sortrule.h"
#include "support/referenceorder.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr qsizetype maxValues = 24;
using Row = std::uint32_t; // one bit per value

// Each pair is compared once; the ordering laws are then checked on the
// resulting relation, row by row, without comparing keys again.
void checkStrictWeakOrder(const ReferenceOrder &reference, const QStringList &values)
{
    const auto n = std::size_t(values.size());
    std::array<Row, maxValues> less{}; // bit b of less[a]: a < b
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = 0; b < n; ++b) {
            if (reference.less(values[qsizetype(a)], values[qsizetype(b)])) {
                less[a] |= Row(1) << b;
            }
        }
    }
    std::array<Row, maxValues> greater{}; // bit b of greater[a]: b < a
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = 0; b < n; ++b) {
            if (less[b] >> a & 1) {
                greater[a] |= Row(1) << b;
            }
        }
    }
    const Row all = n == 32 ? ~Row(0) : (Row(1) << n) - 1;
    for (std::size_t a = 0; a < n; ++a) {
        const Row equivalent = all & ~less[a] & ~greater[a];
        if ((less[a] >> a & 1) || (less[a] & greater[a]) != 0) {
            std::abort(); // irreflexive, asymmetric
        }
        for (std::size_t b = 0; b < n; ++b) {
            // a < b implies a < everything b is below; equivalence is transitive.
            if ((less[a] >> b & 1) && (less[b] & ~less[a]) != 0) {
                std::abort();
            }
            const Row equivalentToB = all & ~less[b] & ~greater[b];
            if ((equivalent >> b & 1) && equivalentToB != equivalent) {
                std::abort();
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Values are separated by newlines; at most 24 per input. The bytes from
    // the newline that would start a 25th value are not even decoded. Each
    // value is decoded into its own string, as a cell would be.
    const char *text = reinterpret_cast<const char *>(data);
    QStringList values;
    values.reserve(maxValues);
    for (std::size_t start = 0;;) {
        const void *newline =
            start < size ? std::memchr(text + start, '\n', size - start) : nullptr;
        const std::size_t end =
            newline ? std::size_t(static_cast<const char *>(newline) - text) : size;
        values.append(QString::fromUtf8(text + start, qsizetype(end - start)));
        if (!newline || values.size() == maxValues) {
            break;
        }
        start = end + 1;
    }
    static const SortRule rule;
    static const ReferenceOrder reference;
    checkStrictWeakOrder(reference, values);
    if (rule.order(values) != reference.order(values)) {
        std::abort();
    }
    return 0;
}
