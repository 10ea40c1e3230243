#include "titleextractor.h"

#include "drawingfile.h"
#include "drawingscanner.h"
#include "drawingtexts.h"
#include "shell/decimalnumber.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

TitleExtractor::TitleExtractor(const Positions &XYPos, std::size_t chunkSize)
    : TitleExtractor(Sources{{XYPos, Positions{}, Positions{}}, false, {}}, chunkSize)
{}

TitleExtractor::TitleExtractor(const Sources &sources, std::size_t chunkSize)
    : m_windows{CaptureWindows(sources.sets[0]), CaptureWindows(sources.sets[1]),
                CaptureWindows(sources.sets[2])},
      m_chunkSize(chunkSize)
{
    for (std::size_t set = 0; set < m_inUse.size(); ++set) {
        m_inUse[set] = CaptureWindows::inUse(sources.sets[set]);
    }
    if (sources.byLabels) {
        m_labels = sources.labels;
    }
}

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
    bool first = true;
    return read([&](DrawingFile &file, DrawingScanner &scanner,
                    const DrawingScanner::BlockHandler &onBlock) {
        // The labels need the drawing again: only a device that can go back gives it.
        if (!first && (device.isSequential() || !device.seek(0))) {
            return DrawingFile::Outcome::Unreadable;
        }
        first = false;
        return file.scan(device, scanner, onBlock);
    });
}

TitleExtractor::Result TitleExtractor::read(const Reading &reading) const
{
    DrawingFile file;
    DrawingScanner scanner(m_chunkSize);
    // The raw bytes of each field's last text, set by set: decoded once at
    // the end, since a later text in the same window replaces an earlier one.
    std::array<std::array<std::string, 6>, Sets> texts;
    std::array<std::array<bool, 6>, Sets> captured{};
    // Set 1 always: it reads what no other set or label fits.
    std::size_t setsRead = 1;
    for (std::size_t set = 1; set < m_inUse.size(); ++set) {
        setsRead = m_inUse[set] ? set + 1 : setsRead;
    }
    const DrawingFile::Outcome outcome =
        reading(file, scanner, [&](const DrawingScanner::Block &block) {
            const double x = DecimalNumber::leadingValue(block.xLine);
            const double y = DecimalNumber::leadingValue(block.yLine);
            for (std::size_t set = 0; set < setsRead; ++set) {
                for (const int column : CaptureWindows::testOrder) {
                    if (m_windows[set].contains(column, x, y)) {
                        texts[set][std::size_t(column)].assign(block.textLine);
                        captured[set][std::size_t(column)] = true;
                    }
                }
            }
        });
    if (outcome == DrawingFile::Outcome::Unreadable) {
        return {false, file.errorString(), {}, {}, false, Source::NoDrawingNumber};
    }
    // What was read before an error stays; the user is told.
    Result result{true, file.errorString(),         {},
                  {},   scanner.textRecords() == 0, Source::NoDrawingNumber};
    std::size_t set = 0;
    while (set < setsRead && !(m_inUse[set] && captured[set][0])) {
        ++set;
    }
    if (set == setsRead && m_labels) {
        if (const std::optional<std::array<QString, 6>> fields = readLabels(reading)) {
            result.source = Source::Labels;
            result.fields = *fields;
            std::transform(fields->begin(), fields->end(), result.captured.begin(),
                           [](const QString &field) { return !field.isEmpty(); });
            return result;
        }
    }
    set = set == setsRead ? 0 : set;
    result.source = captured[set][0] ? Source(int(set)) : Source::NoDrawingNumber;
    result.captured = captured[set];
    for (std::size_t column = 0; column < texts[set].size(); ++column) {
        if (result.captured[column]) {
            result.fields[column] = scanner.decodeText(texts[set][column]);
        }
    }
    return result;
}

namespace {

TitleLabels::Anchor anchorOf(const DrawingScanner::Block &text)
{
    const double height = DecimalNumber::leadingValue(text.heightLine);
    return TitleLabels::Anchor{DecimalNumber::leadingValue(text.xLine),
                               DecimalNumber::leadingValue(text.yLine),
                               height > 0 ? height : DrawingTexts::defaultHeight};
}

} // namespace

std::optional<std::vector<std::size_t>>
TitleExtractor::findLabels(const Reading &reading, TitleLabels::Matcher &matcher) const
{
    std::vector<std::size_t> labelBlocks; // in file order
    bool tooMany = false;
    std::size_t block = 0;
    DrawingFile file;
    DrawingScanner scanner(m_chunkSize);
    const DrawingFile::Outcome outcome =
        reading(file, scanner, [&](const DrawingScanner::Block &text) {
            const std::size_t index = block++;
            // A label is a few characters: up to two bytes each.
            if (tooMany || text.textLine.size() > 2 * TitleLabels::maxLabelLength) {
                return;
            }
            if (const std::optional<int> kind =
                    m_labels->kindOf(scanner.decodeText(text.textLine))) {
                tooMany = !matcher.addLabel(*kind, anchorOf(text));
                labelBlocks.push_back(index);
            }
        });
    if (outcome == DrawingFile::Outcome::Unreadable || tooMany || !matcher.hasLabelOf(0)) {
        return std::nullopt;
    }
    return labelBlocks;
}

std::optional<std::array<QString, 6>> TitleExtractor::readLabels(const Reading &reading) const
{
    // Two passes keep memory to the labels, whatever the drawing holds: the
    // first finds them, the second offers every other text to them.
    TitleLabels::Matcher matcher;
    const std::optional<std::vector<std::size_t>> labelBlocks = findLabels(reading, matcher);
    if (!labelBlocks) {
        return std::nullopt;
    }
    DrawingFile file;
    DrawingScanner scanner(m_chunkSize);
    std::vector<std::string> values(labelBlocks->size());
    auto nextLabel = labelBlocks->cbegin();
    std::size_t block = 0;
    const DrawingFile::Outcome outcome =
        reading(file, scanner, [&](const DrawingScanner::Block &text) {
            const std::size_t index = block++;
            if (nextLabel != labelBlocks->cend() && *nextLabel == index) {
                ++nextLabel;
                return;
            }
            if (text.textLine.find_first_not_of(" \t\r") == std::string_view::npos) {
                return; // a blank text is no value
            }
            if (const std::optional<qsizetype> label = matcher.offer(anchorOf(text))) {
                values[std::size_t(*label)].assign(text.textLine);
            }
        });
    const auto chosen = matcher.chosen();
    if (outcome == DrawingFile::Outcome::Unreadable || !chosen[0]) {
        return std::nullopt;
    }
    std::array<QString, 6> fields;
    for (std::size_t field = 0; field < fields.size(); ++field) {
        if (chosen[field]) {
            fields[field] = scanner.decodeText(values[std::size_t(*chosen[field])]);
        }
    }
    return fields;
}
