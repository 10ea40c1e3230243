#include "drawingtexts.h"

#include "capturewindows.h"
#include "drawingfile.h"
#include "drawingscanner.h"
#include "shell/decimalnumber.h"

namespace {

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

namespace {

// Reads through `drawing` from a path or a device, as a drop reads it.
template <typename Source> DrawingTexts::Result readTexts(Source &&source)
{
    DrawingTexts::Result result;
    DrawingScanner scanner;
    DrawingFile drawing;
    qsizetype textBytes = 0;
    bool tooMany = false;
    const DrawingFile::Outcome outcome =
        source(drawing, scanner, [&](const DrawingScanner::Block &block) {
            textBytes += qsizetype(block.textLine.size());
            if (tooMany || result.texts.size() >= DrawingTexts::maxTexts ||
                textBytes > DrawingTexts::maxTextBytes) {
                tooMany = true;
                scanner.stop();
                return;
            }
            const double height = DecimalNumber::leadingValue(block.heightLine);
            result.texts.append({DecimalNumber::leadingValue(block.xLine),
                                 DecimalNumber::leadingValue(block.yLine),
                                 decodeText(scanner, block.textLine),
                                 height > 0 ? height : DrawingTexts::defaultHeight});
        });
    switch (outcome) {
    case DrawingFile::Outcome::Read:
        result.readable = true;
        if (tooMany) {
            result.error =
                QStringLiteral("文字が多すぎるので、初めの %1 個までを読みました（読むのは %2 "
                               "個、合わせて %3 MB まで）")
                    .arg(result.texts.size())
                    .arg(DrawingTexts::maxTexts)
                    .arg(DrawingTexts::maxTextBytes >> 20);
        }
        break;
    case DrawingFile::Outcome::Unreadable:
        result.texts.clear();
        result.error = drawing.errorString();
        break;
    }
    return result;
}

} // namespace

DrawingTexts::Result DrawingTexts::readFile(const QString &path)
{
    return readTexts([&](DrawingFile &drawing, DrawingScanner &scanner, const auto &onBlock) {
        return drawing.scanFile(path, scanner, onBlock);
    });
}

DrawingTexts::Result DrawingTexts::read(QIODevice &device)
{
    return readTexts([&](DrawingFile &drawing, DrawingScanner &scanner, const auto &onBlock) {
        return drawing.scan(device, scanner, onBlock);
    });
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
