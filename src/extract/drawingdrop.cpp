#include "drawingdrop.h"

#include "platform/codepage.h"
#include "shell/sortrule.h"

#include <QFileInfo>

#include <algorithm>

DrawingDrop::DrawingDrop(const TitleExtractor::Sources &sources, AtFolder atFolder)
    : m_extractor(sources), m_atFolder(atFolder)
{}

bool DrawingDrop::add(const QString &path)
{
    if (QFileInfo(path).isDir()) {
        if (m_atFolder == AtFolder::EndTheDrop) {
            return false;
        }
        told.append({path, QStringLiteral("フォルダーです（図面ファイルを指定してください）"),
                     Told::NoRow});
        return true;
    }
    const TitleExtractor::Result result = m_extractor.extractFile(path);
    if (!result.readable) {
        told.append({path, result.error, Told::NoRow});
        return true;
    }
    if (!result.error.isEmpty()) {
        told.append({path, result.error, Told::PartRow});
    }
    if (result.noTextRecords) {
        // Told as such, not as a drawing without 図番.
        told.append({path, TitleExtractor::noTextNotice(), Told::NoText});
    } else {
        tally.add(result.source, path);
    }
    if (!std::all_of(result.fields.begin(), result.fields.end(), CodePage::canEncode)) {
        withUnencodable.append(path);
    }
    // A field outside every capture window stays empty.
    cells.append(QList<QString>(result.fields.begin(), result.fields.end()));
    return true;
}

void DrawingDrop::sort()
{
    // The table's own order, on the rows themselves: copying a kept list of
    // 100,000 rows into a table and back cost more than the sort.
    const QList<QString> &unsorted = cells;
    const QList<qsizetype> order = SortRule().order(
        rowCount(), [&unsorted](qsizetype i) -> const QString & { return unsorted[i * Fields]; });
    permuteRows(cells.data(), Fields, order);
}

bool DrawingDrop::anyUnread() const
{
    return std::any_of(told.begin(), told.end(),
                       [](const Told &one) { return one.kind != Told::NoText; });
}
