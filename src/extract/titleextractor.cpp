#include "titleextractor.h"

#include "drawingscanner.h"
#include "shell/decimalnumber.h"

#include <QFile>
#include <QFileInfo>

TitleExtractor::TitleExtractor(const std::array<QString, 12> &XYPos) : m_windows(XYPos) {}

TitleExtractor::Result TitleExtractor::extractFile(const QString &path) const
{
    Result result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.error = info.isSymLink() ? QStringLiteral("リンク先のファイルがありません")
                                        : QStringLiteral("ファイルが見つかりません");
        return result;
    }
    if (!info.isFile()) {
        result.error = QStringLiteral("通常のファイルではありません");
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("開けません（%1）").arg(file.errorString());
        return result;
    }
    return extract(file);
}

TitleExtractor::Result TitleExtractor::extract(QIODevice &device) const
{
    Result result;
    DrawingScanner scanner;
    const bool complete = scanner.scan(device, [&](const DrawingScanner::Block &block) {
        const double x = DecimalNumber::leadingValue(block.xLine);
        const double y = DecimalNumber::leadingValue(block.yLine);
        bool decoded = false;
        QString text;
        for (const int column : CaptureWindows::testOrder) {
            if (!m_windows.contains(column, x, y)) {
                continue;
            }
            // Decode only texts that are kept.
            if (!decoded) {
                text = scanner.decodeText(block.textLine);
                decoded = true;
            }
            result.fields[std::size_t(column)] = text;
            result.captured[std::size_t(column)] = true;
        }
    });
    result.readable = true;
    if (!complete) {
        // What was read before the error stays; the user is told.
        result.error =
            QStringLiteral("読み込みの途中で失敗しました（%1）").arg(scanner.errorString());
    }
    return result;
}
