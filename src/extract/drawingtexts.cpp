#include "drawingtexts.h"

#include "capturewindows.h"
#include "drawingscanner.h"
#include "shell/decimalnumber.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace {

// Opens a drawing the way a drop does; an empty pointer and `error` when it
// cannot be read.
std::unique_ptr<QIODevice> openDrawing(const QString &path, QString &error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        error = info.isSymLink() ? QStringLiteral("リンク先のファイルがありません")
                                 : QStringLiteral("ファイルが見つかりません");
        return {};
    }
    if (info.isDir()) {
        error = QStringLiteral("フォルダーです");
        return {};
    }
    // A FIFO or a device would block or never end.
    if (!info.isFile()) {
        error = QStringLiteral("通常のファイルではありません");
        return {};
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        error = QStringLiteral("開けません（%1）").arg(file->errorString());
        return {};
    }
    return file;
}

// Printable ASCII reads the same in every encoding a drawing may have, and
// skips setting up a decoder for each of 100,000 texts.
QString decodeText(const DrawingScanner &scanner, std::string_view bytes)
{
    for (const char byte : bytes) {
        if (byte < 0x20 || byte > 0x7e) {
            return scanner.decodeText(bytes);
        }
    }
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

} // namespace

DrawingTexts::Result DrawingTexts::readFile(const QString &path)
{
    Result result;
    const std::unique_ptr<QIODevice> device = openDrawing(path, result.error);
    return device ? read(*device) : result;
}

DrawingTexts::Result DrawingTexts::read(QIODevice &device)
{
    Result result;
    DrawingScanner scanner;
    const bool complete = scanner.scan(device, [&](const DrawingScanner::Block &block) {
        result.texts.append({DecimalNumber::leadingValue(block.xLine),
                             DecimalNumber::leadingValue(block.yLine),
                             decodeText(scanner, block.textLine), defaultHeight});
    });
    result.readable = true;
    if (!complete) {
        result.error =
            QStringLiteral("読み込みの途中で失敗しました（%1）").arg(scanner.errorString());
    }
    return result;
}

std::array<std::optional<qsizetype>, 6> DrawingTexts::captured(const QList<Text> &texts,
                                                               const std::array<QString, 12> &XYPos)
{
    const CaptureWindows windows(XYPos);
    std::array<std::optional<qsizetype>, 6> result;
    // Later texts overwrite earlier ones in a drop, so the last one inside wins.
    for (qsizetype index = texts.size() - 1; index >= 0; --index) {
        const Text &text = texts[index];
        bool allFound = true;
        for (std::size_t column = 0; column < result.size(); ++column) {
            if (!result[column] && windows.contains(int(column), text.x, text.y)) {
                result[column] = index;
            }
            allFound = allFound && (result[column] || !windows.isActive(int(column)));
        }
        if (allFound) {
            break;
        }
    }
    return result;
}
