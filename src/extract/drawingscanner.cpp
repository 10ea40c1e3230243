#include "drawingscanner.h"

#include "platform/codepage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace {

constexpr int keptLines = 21; // lines n - 21 .. n - 1 of a block
constexpr int shortestBlock = 22;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view withoutCr(std::string_view line)
{
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

std::string_view firstLine(std::string_view &text)
{
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return withoutCr(line);
}

// One line of a block: a view into the read buffer while it lasts, copied
// into its own storage before the buffer is refilled.
struct KeptLine
{
    std::string_view view;
    std::string owned;

    void own()
    {
        if (view.data() != owned.data()) {
            owned.assign(view);
            view = owned;
        }
    }
};

// The item reader and block reader as one state machine over the bytes, so
// a file is read once, in chunks, without splitting it into lines first.
class Machine
{
public:
    explicit Machine(const DrawingScanner::BlockHandler &onBlock) : m_onBlock(onBlock) {}

    void feed(const char *data, std::size_t size);
    void finish();
    // Called before the buffer behind the views is overwritten.
    void ownViews();

private:
    enum class State { ItemStart, Unquoted, Quoted, AfterQuote, Block };

    void endItem(bool atLineEnd);
    // `transient`: the bytes vanish after the call, keep a copy; `cut`: the
    // line was longer than kept, so it cannot be the terminator.
    void blockLine(std::string_view line, bool transient, bool cut);
    void keepItemBytes(const char *data, std::size_t begin, std::size_t end);
    void startBlock()
    {
        m_state = State::Block, m_lineCount = 0, m_partial.clear(), m_partialCut = false;
    }

    const DrawingScanner::BlockHandler &m_onBlock;
    State m_state = State::ItemStart;
    // The item so far, enough of it to tell whether it is "TEX".
    std::array<char, 16> m_item{};
    std::size_t m_itemLength = 0;
    bool m_itemQuoted = false;
    // Block state.
    std::array<KeptLine, keptLines> m_lines;
    long long m_lineCount = 0;
    std::size_t m_lastSlot = 0; // where line m_lineCount is kept
    std::string m_partial;      // a block line that runs past the end of a chunk
    bool m_partialCut = false;
};

void Machine::endItem(bool atLineEnd)
{
    std::string_view item(m_item.data(), std::min(m_itemLength, m_item.size()));
    if (!m_itemQuoted) {
        if (atLineEnd) {
            item = withoutCr(item);
        }
        while (!item.empty() && isBlank(item.back())) {
            item.remove_suffix(1);
        }
    }
    const bool isTex = m_itemLength <= m_item.size() && item == "TEX";
    m_itemLength = 0;
    m_itemQuoted = false;
    if (isTex) {
        // "TEX" alone on its line: the block starts on the next line;
        // "TEX,..." : the rest of this line is line 1.
        startBlock();
    } else {
        m_state = State::ItemStart;
    }
}

void Machine::keepItemBytes(const char *data, std::size_t begin, std::size_t end)
{
    // Only the first bytes matter; the length saturates just past the buffer.
    const std::size_t count = end - begin;
    const std::size_t kept = std::min(m_itemLength, m_item.size());
    std::memcpy(m_item.data() + kept, data + begin, std::min(count, m_item.size() - kept));
    m_itemLength = std::min(m_itemLength + count, m_item.size() + 1);
}

void Machine::blockLine(std::string_view line, bool transient, bool cut)
{
    line = withoutCr(line);
    if (!cut && line == "|~") {
        const long long n = m_lineCount + 1;
        if (n >= shortestBlock) {
            // Line n - 1 is in the last slot; line n - k is k - 1 slots before it.
            auto lineAt = [this](std::size_t back) {
                return m_lines[(m_lastSlot + keptLines - (back - 1)) % keptLines].view;
            };
            m_onBlock({lineAt(21), lineAt(18), lineAt(2)});
        }
        m_state = State::ItemStart;
        return;
    }
    ++m_lineCount;
    m_lastSlot = m_lastSlot + 1 == keptLines ? 0 : m_lastSlot + 1;
    KeptLine &kept = m_lines[m_lastSlot];
    kept.view = line.substr(0, DrawingScanner::maxLineBytes);
    if (transient) {
        kept.owned.assign(kept.view);
        kept.view = kept.owned;
    }
}

void Machine::ownViews()
{
    if (m_state != State::Block) {
        return;
    }
    for (KeptLine &line : m_lines) {
        line.own();
    }
}

void Machine::feed(const char *data, std::size_t size)
{
    std::size_t pos = 0;
    while (pos < size) {
        switch (m_state) {
        case State::Block: {
            if (m_partial.empty() && !m_partialCut) {
                // The common case, whole short lines inside the chunk: a plain
                // loop beats a memchr call per line.
                const char *line = data + pos;
                const char *const end = data + size;
                while (m_state == State::Block) {
                    const char *lineEnd = line;
                    const char *const quickEnd = std::min(end, line + 32);
                    while (lineEnd < quickEnd && *lineEnd != '\n') {
                        ++lineEnd;
                    }
                    if (lineEnd == quickEnd && lineEnd < end) {
                        const void *found = std::memchr(lineEnd, '\n', std::size_t(end - lineEnd));
                        lineEnd = found ? static_cast<const char *>(found) : end;
                    }
                    if (lineEnd == end) {
                        break;
                    }
                    std::size_t length = std::size_t(lineEnd - line);
                    if (length > 0 && line[length - 1] == '\r') {
                        --length;
                    }
                    if (length == 2 && line[0] == '|' && line[1] == '~') {
                        blockLine(std::string_view(line, length), false, false);
                    } else {
                        // An ordinary line: only remembered, never looked at.
                        ++m_lineCount;
                        m_lastSlot = m_lastSlot + 1 == keptLines ? 0 : m_lastSlot + 1;
                        m_lines[m_lastSlot].view =
                            std::string_view(line, std::min(length, DrawingScanner::maxLineBytes));
                    }
                    line = lineEnd + 1;
                }
                pos = std::size_t(line - data);
                if (m_state != State::Block || pos >= size) {
                    break;
                }
            }
            const void *found = std::memchr(data + pos, '\n', size - pos);
            const std::size_t end =
                found ? std::size_t(static_cast<const char *>(found) - data) : size;
            const std::string_view piece(data + pos, end - pos);
            if (!found) {
                // The line goes on in the next chunk: keep its start only.
                const std::size_t room =
                    DrawingScanner::maxLineBytes + 1 -
                    std::min(m_partial.size(), DrawingScanner::maxLineBytes + 1);
                m_partial.append(piece.substr(0, room));
                m_partialCut = m_partialCut || piece.size() > room;
                pos = size;
                break;
            }
            if (m_partial.empty() && !m_partialCut) {
                blockLine(piece, false, false);
            } else {
                const std::size_t room =
                    DrawingScanner::maxLineBytes + 1 -
                    std::min(m_partial.size(), DrawingScanner::maxLineBytes + 1);
                m_partial.append(piece.substr(0, room));
                const bool cut =
                    m_partialCut || m_partial.size() > DrawingScanner::maxLineBytes + 1;
                blockLine(m_partial, true, cut);
                m_partial.clear();
                m_partialCut = false;
            }
            pos = end + 1;
            break;
        }
        case State::ItemStart: {
            const char c = data[pos];
            if (isBlank(c)) {
                ++pos;
            } else if (c == '"') {
                m_itemQuoted = true;
                m_itemLength = 0;
                m_state = State::Quoted;
                ++pos;
            } else if (c == ',' || c == '\n') {
                m_itemLength = 0;
                ++pos;
                endItem(c == '\n');
            } else {
                m_state = State::Unquoted;
            }
            break;
        }
        case State::Unquoted: {
            std::size_t end = pos;
            while (end < size && data[end] != ',' && data[end] != '\n') {
                ++end;
            }
            keepItemBytes(data, pos, end);
            if (end == size) {
                pos = size;
                break;
            }
            pos = end + 1;
            endItem(data[end] == '\n');
            break;
        }
        case State::Quoted: {
            const void *found = std::memchr(data + pos, '"', size - pos);
            const std::size_t end =
                found ? std::size_t(static_cast<const char *>(found) - data) : size;
            keepItemBytes(data, pos, end);
            pos = end;
            if (found) {
                ++pos;
                m_state = State::AfterQuote;
            }
            break;
        }
        case State::AfterQuote: {
            // Whatever follows the closing quote up to the separator is dropped.
            std::size_t end = pos;
            while (end < size && data[end] != ',' && data[end] != '\n') {
                ++end;
            }
            if (end == size) {
                pos = size;
                break;
            }
            pos = end + 1;
            endItem(data[end] == '\n');
            break;
        }
        }
    }
}

void Machine::finish()
{
    // The last line of a file that does not end with a line feed.
    if (m_state == State::Block && !m_partial.empty()) {
        blockLine(m_partial, true, m_partialCut);
        m_partial.clear();
    }
}

} // namespace

DrawingScanner::Encoding DrawingScanner::detectEncoding(std::string_view head)
{
    if (head.substr(0, 3) == "\xEF\xBB\xBF") {
        return Encoding::Utf8;
    }
    if (firstLine(head) == "#~1") {
        const std::string_view second = firstLine(head);
        if (second == "ENCODING:UTF-8") {
            return Encoding::Utf8;
        }
    }
    return Encoding::CodePage932;
}

QString DrawingScanner::decodeText(std::string_view bytes) const
{
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    return m_encoding == Encoding::Utf8 ? CodePage::decodeUtf8(view) : CodePage::decode(view);
}

bool DrawingScanner::scan(QIODevice &device, const BlockHandler &onBlock)
{
    m_error.clear();
    m_encoding = Encoding::CodePage932;
    Machine machine(onBlock);
    QByteArray buffer(qsizetype(std::max<std::size_t>(m_chunkSize, 16)), Qt::Uninitialized);
    bool first = true;
    for (;;) {
        machine.ownViews();
        const qint64 got = device.read(buffer.data(), buffer.size());
        if (got < 0) {
            m_error = device.errorString();
            return false;
        }
        if (got == 0) {
            break;
        }
        std::string_view chunk(buffer.constData(), std::size_t(got));
        if (first) {
            first = false;
            m_encoding = detectEncoding(chunk);
            if (chunk.substr(0, 3) == "\xEF\xBB\xBF") {
                chunk.remove_prefix(3);
            }
        }
        machine.feed(chunk.data(), chunk.size());
    }
    machine.finish();
    return true;
}
