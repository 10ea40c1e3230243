#include "batchextraction.h"

#include "platform/codepage.h"
#include "shell/sortrule.h"
#include "titleextractor.h"

#include <QFileInfo>

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
    QList<QString> keys;
    keys.reserve(rows.size());
    for (const QStringList &row : std::as_const(rows)) {
        keys.append(row.value(0));
    }
    const QList<qsizetype> order = SortRule().order(keys);
    QList<QStringList> sorted;
    sorted.reserve(rows.size());
    for (const qsizetype from : order) {
        sorted.append(std::move(rows[from]));
    }
    rows = std::move(sorted);
}
