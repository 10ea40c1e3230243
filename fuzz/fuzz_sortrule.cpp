// The sort rule on random mixed values: the order is a strict weak ordering,
// and sorting gives an ordered permutation of the input.
#include "shell/sortrule.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Values are separated by newlines; at most 24 per input, as the check is cubic.
    const QStringList values =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size))
            .split(QLatin1Char('\n'))
            .mid(0, 24);
    static const SortRule rule;
    QList<SortRule::Key> keys;
    for (const QString &value : values) {
        keys.append(rule.key(value));
    }
    for (qsizetype a = 0; a < keys.size(); ++a) {
        if (keys[a] < keys[a]) {
            std::abort();
        }
        for (qsizetype b = 0; b < keys.size(); ++b) {
            if (keys[a] < keys[b] && keys[b] < keys[a]) {
                std::abort();
            }
            for (qsizetype c = 0; c < keys.size(); ++c) {
                if (keys[a] < keys[b] && keys[b] < keys[c] && !(keys[a] < keys[c])) {
                    std::abort();
                }
                const bool ab = !(keys[a] < keys[b]) && !(keys[b] < keys[a]);
                const bool bc = !(keys[b] < keys[c]) && !(keys[c] < keys[b]);
                if (ab && bc && (keys[a] < keys[c] || keys[c] < keys[a])) {
                    std::abort();
                }
            }
        }
    }
    const QList<qsizetype> order = rule.order(values);
    QList<bool> seen(values.size(), false);
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (order[i] < 0 || order[i] >= values.size() || seen[order[i]]) {
            std::abort();
        }
        seen[order[i]] = true;
        if (i > 0 && keys[order[i]] < keys[order[i - 1]]) {
            std::abort();
        }
    }
    return 0;
}
