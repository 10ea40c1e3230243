#include "batchextraction.h"

#include "platform/codepage.h"
#include "shell/sortrule.h"
#include "titleextractor.h"

#include <QFileInfo>

#include <vector>

BatchExtraction::BatchExtraction(const std::array<QString, 12> &XYPos) : m_positions(XYPos) {}

void BatchExtraction::addDrawings(const QStringList &paths)
{
    if (paths.isEmpty()) {
        return;
    }
    const TitleExtractor extractor(m_positions);
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
            drawingsWithoutText.append(path);
        }
        QStringList row(result.fields.begin(), result.fields.end());
        bool unencodable = false;
        for (const QString &field : row) {
            unencodable = unencodable || !CodePage::canEncode(field);
        }
        if (unencodable) {
            drawingsWithUnencodable.append(path);
        }
        rows.append(std::move(row));
    }
    // The table's own order, on the rows themselves: copying a kept list of
    // 100,000 rows into a table and back cost more than the sort.
    static const QString none;
    const QList<QStringList> &unsorted = rows;
    const QList<qsizetype> order =
        SortRule().order(rows.size(), [&unsorted](qsizetype i) -> const QString & {
            return unsorted[i].isEmpty() ? none : unsorted[i].front();
        });
    // Row `position` takes the row at order[position]: move the rows in
    // place, cycle by cycle, rather than into a second list.
    std::vector<bool> placed(std::size_t(rows.size()), false);
    QStringList *const row = rows.data();
    for (qsizetype start = 0; start < rows.size(); ++start) {
        if (placed[std::size_t(start)]) {
            continue;
        }
        QStringList held = std::move(row[start]);
        qsizetype position = start;
        while (order[position] != start) {
            row[position] = std::move(row[order[position]]);
            placed[std::size_t(position)] = true;
            position = order[position];
        }
        row[position] = std::move(held);
        placed[std::size_t(position)] = true;
    }
}
