#include "titlelabels.h"

#include <cmath>
#include <limits>

namespace {

// Labels of a title block that name none of our fields. Known as labels so
// that their values are never taken for a neighbour's.
const char16_t *const otherLabels[] = {
    u"尺度",  u"投影法",   u"第三角法", u"第一角法", u"設計",  u"製図",      u"検図",
    u"承認",  u"照査",     u"審査",     u"作成",     u"担当",  u"日付",      u"年月日",
    u"改訂",  u"訂正",     u"変更",     u"記事",     u"記号",  u"重量",      u"質量",
    u"単位",  u"普通公差", u"一般公差", u"会社名",   u"図名",  u"品番",      u"page",
    u"sheet", u"scale",    u"date",     u"designed", u"drawn", u"checked",   u"approved",
    u"rev",   u"revision", u"weight",   u"mass",     u"unit",  u"projection"};

bool isDropped(QChar c)
{
    switch (c.unicode()) {
    case u'.':
    case u':':
    case u'\'':
    case u'`':
    case u'\u00b7': // middle dot
    case u'\u2018':
    case u'\u2019':
    case u'\u30fb': // katakana middle dot, also the half-width one after folding
    case u'\u3002': // 。
    case u'\u3001': // 、
        return true;
    default:
        return c.isSpace();
    }
}

} // namespace

std::array<QStringList, TitleLabels::Fields> TitleLabels::defaultWords()
{
    return {
        QStringList{QStringLiteral("図番"), QStringLiteral("図面番号"), QStringLiteral("DWG NO"),
                    QStringLiteral("DRAWING NO")},
        QStringList{QStringLiteral("品名"), QStringLiteral("名称"), QStringLiteral("部品名"),
                    QStringLiteral("PART NAME"), QStringLiteral("TITLE")},
        QStringList{QStringLiteral("材料"), QStringLiteral("材質"), QStringLiteral("MATERIAL")},
        QStringList{QStringLiteral("表面処理"), QStringLiteral("処理"), QStringLiteral("仕上"),
                    QStringLiteral("仕上げ"), QStringLiteral("FINISH"),
                    QStringLiteral("SURFACE TREATMENT")},
        QStringList{QStringLiteral("個数"), QStringLiteral("数量"), QStringLiteral("QTY"),
                    QStringLiteral("Q'TY")},
        QStringList{QStringLiteral("備考"), QStringLiteral("摘要"), QStringLiteral("REMARKS")},
    };
}

TitleLabels::TitleLabels() : TitleLabels(defaultWords()) {}

TitleLabels::TitleLabels(const std::array<QStringList, Fields> &words) : m_words(words)
{
    for (const char16_t *word : otherLabels) {
        m_kinds.insert(normalised(QString::fromUtf16(word)), Other);
    }
    // The user's words win over the built-in ones they repeat.
    for (int field = 0; field < Fields; ++field) {
        for (const QString &word : m_words[std::size_t(field)]) {
            const QString key = normalised(word);
            if (!key.isEmpty()) {
                m_kinds.insert(key, field);
            }
        }
    }
}

QString TitleLabels::normalised(const QString &text)
{
    const QString folded = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    QString result;
    result.reserve(folded.size());
    for (const QChar c : folded) {
        if (!isDropped(c)) {
            result.append(c);
        }
    }
    return result;
}

std::optional<int> TitleLabels::kindOf(const QString &text) const
{
    if (text.size() > maxLabelLength) {
        return std::nullopt;
    }
    const auto found = m_kinds.constFind(normalised(text));
    if (found == m_kinds.cend()) {
        return std::nullopt;
    }
    return found.value();
}

bool TitleLabels::Matcher::addLabel(int kind, const Anchor &at)
{
    if (qsizetype(m_labels.size()) >= maxLabels) {
        m_labels.clear();
        return false;
    }
    m_labels.push_back({kind, at});
    return true;
}

bool TitleLabels::Matcher::hasLabelOf(int kind) const
{
    for (const Label &label : m_labels) {
        if (label.kind == kind) {
            return true;
        }
    }
    return false;
}

std::optional<qsizetype> TitleLabels::Matcher::owner(const Anchor &at) const
{
    // Y grows upwards on a drawing: "above" is a larger Y.
    std::optional<qsizetype> left, straightAbove, aboveLeft;
    double leftGap = 0, aboveGap = 0, aboveLeftDistance = 0;
    for (std::size_t index = 0; index < m_labels.size(); ++index) {
        const Anchor &label = m_labels[index].at;
        const double dx = at.x - label.x;
        const double dy = label.y - at.y;
        if (dx > 0 && std::abs(dy) < std::max(label.height, at.height)) {
            if (!left || dx < leftGap) {
                left = qsizetype(index);
                leftGap = dx;
            }
            continue;
        }
        if (dy <= 0) {
            continue;
        }
        if (std::abs(dx) < at.height && (!straightAbove || dy < aboveGap)) {
            straightAbove = qsizetype(index);
            aboveGap = dy;
        }
        const double distance = std::hypot(dx, dy);
        if (dx >= 0 && (!aboveLeft || distance < aboveLeftDistance)) {
            aboveLeft = qsizetype(index);
            aboveLeftDistance = distance;
        }
    }
    return left ? left : straightAbove ? straightAbove : aboveLeft;
}

std::optional<qsizetype> TitleLabels::Matcher::offer(const Anchor &at)
{
    const std::optional<qsizetype> index = owner(at);
    if (!index) {
        return std::nullopt;
    }
    Label &label = m_labels[std::size_t(*index)];
    const double distance = std::hypot(at.x - label.at.x, at.y - label.at.y);
    if (label.valueDistance >= 0 && distance >= label.valueDistance) {
        return std::nullopt;
    }
    label.valueDistance = distance;
    return index;
}

std::array<std::optional<qsizetype>, TitleLabels::Fields> TitleLabels::Matcher::chosen() const
{
    // Of several labels for one field (図番 and DWG NO side by side), the one
    // whose value stands nearest.
    std::array<std::optional<qsizetype>, Fields> result;
    std::array<double, Fields> distance{};
    for (std::size_t index = 0; index < m_labels.size(); ++index) {
        const Label &label = m_labels[index];
        if (label.kind == Other || label.valueDistance < 0) {
            continue;
        }
        const auto field = std::size_t(label.kind);
        if (!result[field] || label.valueDistance < distance[field]) {
            result[field] = qsizetype(index);
            distance[field] = label.valueDistance;
        }
    }
    return result;
}
