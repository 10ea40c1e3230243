#include "pagelist.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

QString example()
{
    return QStringLiteral("「2-3」や「1,3」のように書いてください。");
}

} // namespace

namespace PageList {

Reading read(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return {{}, QStringLiteral("印刷するページを指定してください。") + example()};
    }
    static const QRegularExpression part(QStringLiteral(R"(^\s*(\d*)\s*(-)?\s*(\d*)\s*$)"));
    QPageRanges ranges;
    for (const QString &item : trimmed.split(u',')) {
        const QRegularExpressionMatch match = part.match(item);
        const QString shown = item.trimmed();
        if (!match.hasMatch() || shown.isEmpty()) {
            return {{}, QStringLiteral("ページ指定「%1」が読めません。").arg(trimmed) + example()};
        }
        const bool range = !match.captured(2).isEmpty();
        const QString firstText = match.captured(1);
        const QString lastText = match.captured(3);
        if (range && firstText.isEmpty()) {
            return {{},
                    QStringLiteral("範囲「%1」に始めのページがありません。").arg(shown) +
                        example()};
        }
        if (range && lastText.isEmpty()) {
            return {{},
                    QStringLiteral("範囲「%1」に終わりのページがありません。").arg(shown) +
                        example()};
        }
        if (!range && !lastText.isEmpty()) {
            return {{}, QStringLiteral("ページ指定「%1」が読めません。").arg(trimmed) + example()};
        }
        bool firstRead = false;
        bool lastRead = true;
        const qlonglong first = firstText.toLongLong(&firstRead);
        const qlonglong last = range ? lastText.toLongLong(&lastRead) : first;
        if (!firstRead || !lastRead || first < 1 || last < 1 ||
            std::max(first, last) > std::numeric_limits<int>::max()) {
            return {
                {},
                QStringLiteral("ページ「%1」はありません。ページは 1 から数えます。").arg(shown)};
        }
        if (first > last) {
            return {
                {},
                QStringLiteral("範囲「%1」は始めのページが終わりのページより後です。").arg(shown) +
                    QStringLiteral("「%1-%2」のように書いてください。").arg(last).arg(first)};
        }
        ranges.addRange(int(first), int(last));
    }
    return {ranges, {}};
}

} // namespace PageList
