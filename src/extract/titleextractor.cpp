#include "titleextractor.h"

#include "drawingfile.h"
#include "drawingscanner.h"
#include "shell/decimalnumber.h"

#include <functional>
#include <string>

TitleExtractor::TitleExtractor(const std::array<QString, 12> &XYPos, std::size_t chunkSize)
    : m_windows(XYPos), m_chunkSize(chunkSize)
{}

QString TitleExtractor::noTextNotice()
{
    return QStringLiteral("文字が 1 つもありません（図面ファイルではないかもしれません）");
}

TitleExtractor::Result TitleExtractor::extractFile(const QString &path) const
{
    return read([&](DrawingFile &file, DrawingScanner &scanner,
                    const DrawingScanner::BlockHandler &onBlock) {
        return file.scanFile(path, scanner, onBlock);
    });
}

TitleExtractor::Result TitleExtractor::extract(QIODevice &device) const
{
    return read([&](DrawingFile &file, DrawingScanner &scanner,
                    const DrawingScanner::BlockHandler &onBlock) {
        return file.scan(device, scanner, onBlock);
    });
}

TitleExtractor::Result TitleExtractor::read(const Reading &reading) const
{
    Result result;
    DrawingFile file;
    DrawingScanner scanner(m_chunkSize);
    // The raw bytes of each field's last text: decoded once at the end, since
    // a later text in the same window replaces an earlier one.
    std::array<std::string, 6> texts;
    const DrawingFile::Outcome outcome =
        reading(file, scanner, [&](const DrawingScanner::Block &block) {
            const double x = DecimalNumber::leadingValue(block.xLine);
            const double y = DecimalNumber::leadingValue(block.yLine);
            for (const int column : CaptureWindows::testOrder) {
                if (m_windows.contains(column, x, y)) {
                    texts[std::size_t(column)].assign(block.textLine);
                    result.captured[std::size_t(column)] = true;
                }
            }
        });
    if (outcome == DrawingFile::Outcome::Unreadable) {
        return {false, file.errorString(), {}, {}, false};
    }
    for (std::size_t column = 0; column < texts.size(); ++column) {
        if (result.captured[column]) {
            result.fields[column] = scanner.decodeText(texts[column]);
        }
    }
    result.readable = true;
    // What was read before an error stays; the user is told.
    result.error = file.errorString();
    result.noTextRecords = outcome == DrawingFile::Outcome::Read && scanner.textRecords() == 0;
    return result;
}
