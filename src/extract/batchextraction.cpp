#include "batchextraction.h"

#include "platform/codepage.h"
#include "shell/sortrule.h"
#include "titleextractor.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

BatchExtraction::BatchExtraction(const std::array<QString, 12> &XYPos)
    : m_sources{{XYPos, {}, {}}, false, {}}
{}

BatchExtraction::BatchExtraction(const TitleExtractor::Sources &sources) : m_sources(sources) {}

void BatchExtraction::addDrawings(const QStringList &paths)
{
    if (paths.isEmpty()) {
        return;
    }
    const TitleExtractor extractor(m_sources);
    for (const QString &path : paths) {
        if (QFileInfo(path).isDir()) {
            problems.append(
                {path, QStringLiteral("フォルダーです（図面ファイルを指定してください）")});
            continue;
        }
        const TitleExtractor::Result result = extractor.extractFile(path);
        if (!result.readable) {
            problems.append({path, result.error});
            continue;
        }
        if (!result.error.isEmpty()) {
            problems.append({path, result.error});
        }
        if (result.noTextRecords) {
            drawingsWithoutText.append(path); // told as such, not as a drawing without 図番
        } else {
            tally.add(result.source, path);
        }
        bool unencodable = false;
        for (const QString &field : result.fields) {
            unencodable = unencodable || !CodePage::canEncode(field);
        }
        if (unencodable) {
            drawingsWithUnencodable.append(path);
        }
        cells.append(QList<QString>(result.fields.begin(), result.fields.end()));
    }
    // The table's own order, on the rows themselves: copying a kept list of
    // 100,000 rows into a table and back cost more than the sort.
    const QList<QString> &unsorted = cells;
    const QList<qsizetype> order = SortRule().order(
        rowCount(), [&unsorted](qsizetype i) -> const QString & { return unsorted[i * Fields]; });
    // Row `position` takes the row at order[position]: move the rows in
    // place, cycle by cycle, rather than into a second list.
    std::vector<bool> placed(std::size_t(rowCount()), false);
    QString *const cell = cells.data();
    const auto moveRow = [](QString *to, QString *from) { std::move(from, from + Fields, to); };
    std::array<QString, Fields> held;
    for (qsizetype start = 0; start < rowCount(); ++start) {
        if (placed[std::size_t(start)]) {
            continue;
        }
        moveRow(held.data(), cell + start * Fields);
        qsizetype position = start;
        while (order[position] != start) {
            moveRow(cell + position * Fields, cell + order[position] * Fields);
            placed[std::size_t(position)] = true;
            position = order[position];
        }
        moveRow(cell + position * Fields, held.data());
        placed[std::size_t(position)] = true;
    }
}
