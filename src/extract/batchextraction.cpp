#include "batchextraction.h"

#include "platform/codepage.h"
#include "shell/tablemodel.h"
#include "titleextractor.h"

#include <QFileInfo>

BatchExtraction::BatchExtraction(const std::array<QString, 12> &XYPos) : m_positions(XYPos) {}

void BatchExtraction::addDrawings(const QStringList &paths)
{
    if (paths.isEmpty()) {
        return;
    }
    const TitleExtractor extractor(m_positions);
    TableModel table;
    table.setDataRows(rows);
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
        const qsizetype row = table.Rows();
        table.setRows(row + 1);
        bool unencodable = false;
        for (int column = 0; column < table.Cols(); ++column) {
            table.setText(row, column, result.fields[std::size_t(column)]);
            unencodable = unencodable || !CodePage::canEncode(result.fields[std::size_t(column)]);
        }
        if (unencodable) {
            drawingsWithUnencodable.append(path);
        }
    }
    table.Sort(0);
    rows.clear();
    for (qsizetype row = 1; row < table.Rows(); ++row) {
        rows.append(table.rowTexts(row));
    }
}
