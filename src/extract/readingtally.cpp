#include "readingtally.h"

void ReadingTally::add(TitleExtractor::Source source, const QString &path)
{
    ++m_counts[std::size_t(source)];
    if (source == TitleExtractor::Source::NoDrawingNumber) {
        withoutDrawingNumber.append(path);
    }
}

bool ReadingTally::isEmpty() const
{
    for (const qsizetype count : m_counts) {
        if (count != 0) {
            return false;
        }
    }
    return true;
}

bool ReadingTally::onlySet1() const
{
    for (std::size_t source = 1; source < m_counts.size(); ++source) {
        if (m_counts[source] != 0) {
            return false;
        }
    }
    return true;
}

QString ReadingTally::summary() const
{
    static const char16_t *const names[] = {u"ｾｯﾄ1", u"ｾｯﾄ2", u"ｾｯﾄ3", u"項目名", u"図番なし"};
    QStringList parts;
    for (std::size_t source = 0; source < m_counts.size(); ++source) {
        if (m_counts[source] != 0) {
            parts.append(QStringLiteral("%1: %2 枚")
                             .arg(QString::fromUtf16(names[source]))
                             .arg(m_counts[source]));
        }
    }
    return parts.join(QStringLiteral("、"));
}

bool ReadingTally::allFittedASet() const
{
    return m_counts[std::size_t(TitleExtractor::Source::Labels)] == 0 &&
           m_counts[std::size_t(TitleExtractor::Source::NoDrawingNumber)] == 0;
}
