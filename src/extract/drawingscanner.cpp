#include "drawingscanner.h"

#include "platform/codepage.h"
#include "shell/decimalnumber.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <string>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

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
    void keep(std::string_view line, bool transient)
    {
        view = line;
        if (transient) {
            own();
        }
    }
};

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A count written as plain digits; -1 for anything else. Nine digits at most,
// more than any real record holds.
long long wholeNumber(std::string_view line)
{
    line = trimmed(line);
    if (line.empty() || line.size() > 9) {
        return -1;
    }
    long long value = 0;
    for (const char c : line) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

bool isNumberEqualTo(std::string_view line, double expected)
{
    if (line.size() == 1) {
        return line[0] - '0' == expected;
    }
    line = trimmed(line);
    const DecimalNumber::Prefix number = DecimalNumber::parsePrefix(line);
    return number.length > 0 && number.length == line.size() && number.value == expected;
}

// One of the two layouts a TEX record is written in, followed as the block's
// lines stream past. It names the next line it needs to see; the scanner
// hands over just those, so a block costs it a dozen calls.
//   line P:          property count (5 in the older layout, 6 in the newer)
//   h = P + 1 + count: alignment 1..9, then the 3 x 3 matrix a b X / c d Y / 0 0 1
//   k = h + 20 (older) or h + 21 (newer): the number of text lines, then
//   k pairs (text, 0), and the terminator right after them.
class LayoutReader
{
public:
    static constexpr long long never = std::numeric_limits<long long>::max();

    LayoutReader(int countLine, int lineCountOffset)
        : m_countLine(countLine), m_lineCountOffset(lineCountOffset)
    {}

    void restart()
    {
        m_stage = Stage::PropertyCount;
        m_next = m_countLine;
        // Separate stores: a chained assignment reads back what it just wrote.
        m_x.view = {};
        m_y.view = {};
        m_height.view = {};
        m_text.clear();
    }
    long long nextLine() const { return m_next; }
    // Line `number` (== nextLine()); `transient`: its bytes vanish after the call.
    void line(long long number, std::string_view text, bool transient);
    bool fitsTerminatorAt(long long number) const
    {
        return m_stage == Stage::Terminator && number == m_next;
    }
    void ownViews()
    {
        m_x.own();
        m_y.own();
        m_height.own();
    }
    DrawingScanner::Block block() const { return {m_x.view, m_y.view, m_text, m_height.view}; }

private:
    enum class Stage {
        PropertyCount,
        Alignment,
        X,
        Y,
        MatrixZero1,
        MatrixZero2,
        MatrixOne,
        Height,
        LineCount,
        Text,
        Zero,
        Terminator,
        Failed
    };

    void fail() { m_stage = Stage::Failed, m_next = never; }

    const int m_countLine;
    const int m_lineCountOffset;
    Stage m_stage = Stage::Failed;
    long long m_next = never;
    long long m_alignmentLine = 0;
    long long m_pairsLeft = 0;
    KeptLine m_x;
    KeptLine m_y;
    KeptLine m_height;
    std::string m_text; // the text lines joined by one blank, cut at maxLineBytes
};

void LayoutReader::line(long long number, std::string_view text, bool transient)
{
    switch (m_stage) {
    case Stage::PropertyCount: {
        const long long properties = wholeNumber(text);
        if (properties < 0) {
            return fail();
        }
        m_alignmentLine = number + 1 + properties;
        m_stage = Stage::Alignment, m_next = m_alignmentLine;
        return;
    }
    case Stage::Alignment: {
        const std::string_view alignment = trimmed(text);
        if (alignment.size() != 1 || alignment[0] < '1' || alignment[0] > '9') {
            return fail();
        }
        m_stage = Stage::X, m_next = number + 3;
        return;
    }
    case Stage::X:
        m_x.keep(text, transient);
        m_stage = Stage::Y, m_next = number + 3;
        return;
    case Stage::Y:
        m_y.keep(text, transient);
        m_stage = Stage::MatrixZero1, m_next = number + 1;
        return;
    case Stage::MatrixZero1:
    case Stage::MatrixZero2:
        if (!isNumberEqualTo(text, 0)) {
            return fail();
        }
        m_stage = m_stage == Stage::MatrixZero1 ? Stage::MatrixZero2 : Stage::MatrixOne;
        m_next = number + 1;
        return;
    case Stage::MatrixOne:
        if (!isNumberEqualTo(text, 1)) {
            return fail();
        }
        // The height stands four lines before the line count.
        m_stage = Stage::Height, m_next = m_alignmentLine + m_lineCountOffset - 4;
        return;
    case Stage::Height:
        m_height.keep(text, transient);
        m_stage = Stage::LineCount, m_next = number + 4;
        return;
    case Stage::LineCount: {
        const long long lines = wholeNumber(text);
        if (lines < 1) {
            return fail();
        }
        m_pairsLeft = lines;
        m_stage = Stage::Text, m_next = number + 1;
        return;
    }
    case Stage::Text:
        if (!m_text.empty() && m_text.size() < DrawingScanner::maxLineBytes) {
            m_text += ' ';
        }
        m_text.append(text.substr(0, DrawingScanner::maxLineBytes - m_text.size()));
        m_stage = Stage::Zero, m_next = number + 1;
        return;
    case Stage::Zero:
        if (!isNumberEqualTo(text, 0)) {
            return fail();
        }
        m_stage = --m_pairsLeft == 0 ? Stage::Terminator : Stage::Text;
        m_next = number + 1;
        return;
    case Stage::Terminator: // a line where the terminator belongs
    case Stage::Failed:
        return fail();
    }
}

// The same layout test on a block whose lines are all at hand (`line(i)` is
// line i, `count` lines before the terminator): it looks at the dozen
// lines it needs and no other. A text of several lines is joined into `joined`.
template <typename LineAt>
bool fitsLayout(const LineAt &line, long long count, int countLine, int lineCountOffset,
                std::string &joined, DrawingScanner::Block &block)
{
    if (count < countLine) {
        return false;
    }
    const long long properties = wholeNumber(line(countLine));
    const long long h = countLine + 1 + properties; // the alignment line
    if (properties < 0 || h + lineCountOffset > count) {
        return false;
    }
    const std::string_view alignment = trimmed(line(h));
    if (alignment.size() != 1 || alignment[0] < '1' || alignment[0] > '9' ||
        !isNumberEqualTo(line(h + 7), 0) || !isNumberEqualTo(line(h + 8), 0) ||
        !isNumberEqualTo(line(h + 9), 1)) {
        return false;
    }
    const long long lineCount = h + lineCountOffset;
    const long long k = wholeNumber(line(lineCount));
    if (k < 1 || lineCount + 2 * k != count) {
        return false;
    }
    for (long long pair = 1; pair <= k; ++pair) {
        if (!isNumberEqualTo(line(lineCount + 2 * pair), 0)) {
            return false;
        }
    }
    if (k == 1) {
        block.textLine = line(lineCount + 1);
    } else {
        joined.clear();
        for (long long pair = 1; pair <= k; ++pair) {
            if (!joined.empty() && joined.size() < DrawingScanner::maxLineBytes) {
                joined += ' ';
            }
            joined.append(line(lineCount + 2 * pair - 1)
                              .substr(0, DrawingScanner::maxLineBytes - joined.size()));
        }
        block.textLine = joined;
    }
    block.xLine = line(h + 3);
    block.yLine = line(h + 6);
    block.heightLine = line(lineCount - 4);
    return true;
}

// The item reader and block reader as one state machine over the bytes, so
// a file is read once, in chunks, without splitting it into lines first.
class Machine
{
public:
    Machine(const DrawingScanner::BlockHandler &onBlock, long long &textRecords)
        : m_onBlock(onBlock), m_textRecords(textRecords)
    {}

    void feed(const char *data, std::size_t size);
    void finish();
    // Called before the buffer behind the views is overwritten.
    void ownViews();

private:
    enum class State { ItemStart, Unquoted, Quoted, AfterQuote, Block };

    // Fast paths, taken at the start of a line of the chunk `data`: they
    // return false when the slow, exact reading must take the next step.
    // Lines outside blocks that hold no quote and no comma are items of
    // their own, so only a line "TEX" matters among them.
    bool skipItems(const char *data, std::size_t size, std::size_t &pos);
    // A block that ends inside the chunk is read at once.
    bool wholeBlock(const char *data, std::size_t size, std::size_t &pos);
    // The position of the next quote or comma at or after `pos`, or `size`.
    std::size_t nextQuoteOrComma(const char *data, std::size_t size, std::size_t pos);
    // Reports the block ended by its terminator on line n; `lineAt(k)` is line n - k.
    template <typename LineAt> void endBlock(long long n, const LineAt &lineAt);

    void endItem(bool atLineEnd);
    // `transient`: the bytes vanish after the call, keep a copy; `cut`: the
    // line was longer than kept, so it cannot be the terminator.
    void blockLine(std::string_view line, bool transient, bool cut);
    void keepItemBytes(const char *data, std::size_t begin, std::size_t end);
    void startBlock()
    {
        m_state = State::Block, m_lineCount = 0, m_partial.clear(), m_partialCut = false;
        m_older.restart();
        m_newer.restart();
        m_nextStructureLine = std::min(m_older.nextLine(), m_newer.nextLine());
    }
    // Line m_lineCount, which one of the layouts asked for.
    void structureLine(std::string_view line, bool transient)
    {
        for (LayoutReader *layout : {&m_older, &m_newer}) {
            if (layout->nextLine() == m_lineCount) {
                layout->line(m_lineCount, line, transient);
            }
        }
        m_nextStructureLine = std::min(m_older.nextLine(), m_newer.nextLine());
    }

    const DrawingScanner::BlockHandler &m_onBlock;
    long long &m_textRecords;
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
    LayoutReader m_older{5, 20};
    LayoutReader m_newer{6, 21};
    long long m_nextStructureLine = LayoutReader::never;
    bool m_lastChunkEndedLine = true; // the file's start counts as a line start
    // Where the next quote and comma of the current chunk are (-1: not looked yet).
    long long m_nextQuote = -1;
    long long m_nextComma = -1;
    std::array<std::size_t, 64> m_lineEnds; // where the lines of a block read at once end
    std::string m_olderText; // a text of several lines, joined, as each layout reads it
    std::string m_newerText;
};

template <typename LineAt> void Machine::endBlock(long long n, const LineAt &lineAt)
{
    ++m_textRecords;
    m_state = State::ItemStart;
    const bool older = m_older.fitsTerminatorAt(n);
    if (older != m_newer.fitsTerminatorAt(n)) {
        m_onBlock((older ? m_older : m_newer).block());
    } else if (n >= shortestBlock) {
        m_onBlock({lineAt(21), lineAt(18), lineAt(2), {}});
    }
}

std::size_t Machine::nextQuoteOrComma(const char *data, std::size_t size, std::size_t pos)
{
    auto find = [&](long long &cached, char c) {
        if (cached < static_cast<long long>(pos)) {
            const void *found = std::memchr(data + pos, c, size - pos);
            cached = found ? static_cast<const char *>(found) - data : static_cast<long long>(size);
        }
        return std::size_t(cached);
    };
    return std::min(find(m_nextQuote, '"'), find(m_nextComma, ','));
}

bool Machine::skipItems(const char *data, std::size_t size, std::size_t &pos)
{
    const std::size_t special = nextQuoteOrComma(data, size, pos);
    std::size_t from = pos;
    while (from < special) {
        const void *found = std::memchr(data + from, 'T', special - from);
        if (!found) {
            break;
        }
        const std::size_t at = std::size_t(static_cast<const char *>(found) - data);
        from = at + 1;
        // Only blanks before it on its line ...
        std::size_t lineStart = at;
        while (lineStart > pos && isBlank(data[lineStart - 1])) {
            --lineStart;
        }
        if (lineStart > pos && data[lineStart - 1] != '\n') {
            continue;
        }
        // ... and after "TEX" blanks, a CR, the line end: the item "TEX".
        std::size_t end = at + 3;
        if (end > size || std::memcmp(data + at, "TEX", 3) != 0) {
            continue;
        }
        while (end < size && isBlank(data[end])) {
            ++end;
        }
        if (end < size && data[end] == '\r') {
            ++end;
        }
        // An item longer than the kept 16 bytes is never "TEX".
        if (end < size && data[end] == '\n' && end - at <= 16) {
            pos = end + 1;
            startBlock();
            return true;
        }
    }
    // No block starts before the next quote or comma: skip the whole lines
    // before it (or before the unfinished last line of the chunk).
    const std::size_t limit = std::min(special, size - 1);
    std::size_t lineStart = limit + 1;
    while (lineStart > pos && data[lineStart - 1] != '\n') {
        --lineStart;
    }
    if (lineStart > pos) {
        pos = lineStart;
        return true;
    }
    return false;
}

bool Machine::wholeBlock(const char *data, std::size_t size, std::size_t &pos)
{
    // One pass over the block's bytes notes where its lines end; only a line
    // starting with "|~" is looked at, as the terminator may be the first
    // line that is exactly that.
    std::size_t count = 0;
    std::size_t after = 0;
    // 1: the terminator starts at `at`; 0: it does not; -1: the chunk ends first.
    auto terminatorAt = [&](std::size_t at) {
        if (at + 2 >= size || data[at + 1] != '~') {
            return at + 1 >= size || (at + 2 >= size && data[at + 1] == '~') ? -1 : 0;
        }
        if (data[at + 2] == '\n') {
            after = at + 3;
            return 1;
        }
        if (data[at + 2] != '\r') {
            return 0;
        }
        if (at + 3 >= size) {
            return -1;
        }
        after = at + 4;
        return data[at + 3] == '\n' ? 1 : 0;
    };
    auto lineEnd = [&](std::size_t at) {
        if (count == m_lineEnds.size()) {
            return false;
        }
        m_lineEnds[count++] = at;
        return true;
    };
    int found = 0;
    std::size_t at = pos;
#if defined(__SSE2__) || defined(_M_X64)
    // Sixteen bytes at a time: block lines are a few bytes long.
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i bar = _mm_set1_epi8('|');
    unsigned carry = 1; // `pos` starts a line
    for (; found == 0 && at + 16 <= size; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
        auto ends = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineFeed)));
        auto bars = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, bar)));
        bars &= ((ends << 1) | carry) & 0xFFFF; // bars that start a line
        carry = ends >> 15;
        while (bars != 0 && found == 0) {
            const unsigned start = unsigned(std::countr_zero(bars));
            bars &= bars - 1;
            for (unsigned before = ends & ((1u << start) - 1); before != 0; before &= before - 1) {
                if (!lineEnd(at + std::size_t(std::countr_zero(before)))) {
                    return false;
                }
            }
            ends &= ~((1u << start) - 1);
            found = terminatorAt(at + start);
        }
        if (found != 0) {
            break;
        }
        for (; ends != 0; ends &= ends - 1) {
            if (!lineEnd(at + std::size_t(std::countr_zero(ends)))) {
                return false;
            }
        }
    }
#endif
    for (; found == 0 && at < size; ++at) {
        if (data[at] == '|' && (at == pos || data[at - 1] == '\n')) {
            found = terminatorAt(at);
            if (found != 0) {
                break;
            }
        }
        if (data[at] == '\n' && !lineEnd(at)) {
            return false;
        }
    }
    if (found != 1) {
        return false; // more lines than held, or the chunk ends first
    }
    ++m_textRecords;
    m_state = State::ItemStart;
    const std::size_t blockStart = pos;
    pos = after;
    // Line i of the block, without its CR, cut at the kept length.
    auto line = [&](long long number) {
        const std::size_t index = std::size_t(number - 1);
        const std::size_t begin = index == 0 ? blockStart : m_lineEnds[index - 1] + 1;
        std::size_t length = m_lineEnds[index] - begin;
        if (length > 0 && data[begin + length - 1] == '\r') {
            --length;
        }
        return std::string_view(data + begin, std::min(length, DrawingScanner::maxLineBytes));
    };
    const auto lines = static_cast<long long>(count);
    DrawingScanner::Block older;
    DrawingScanner::Block newer;
    const bool olderFits = fitsLayout(line, lines, 5, 20, m_olderText, older);
    const bool newerFits = fitsLayout(line, lines, 6, 21, m_newerText, newer);
    if (olderFits != newerFits) {
        m_onBlock(olderFits ? older : newer);
    } else if (lines + 1 >= shortestBlock) {
        m_onBlock({line(lines - 20), line(lines - 17), line(lines - 1), {}});
    }
    return true;
}

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
        // Line n - 1 is in the last slot; line n - k is k - 1 slots before it.
        endBlock(m_lineCount + 1, [this](long long back) {
            return m_lines[(m_lastSlot + keptLines - std::size_t(back - 1)) % keptLines].view;
        });
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
    if (m_lineCount == m_nextStructureLine) {
        structureLine(kept.view, transient);
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
    m_older.ownViews();
    m_newer.ownViews();
}

void Machine::feed(const char *data, std::size_t size)
{
    std::size_t pos = 0;
    m_nextQuote = m_nextComma = -1;
    while (pos < size) {
        if (pos == 0 ? m_lastChunkEndedLine : data[pos - 1] == '\n') {
            if (m_state == State::ItemStart && skipItems(data, size, pos)) {
                continue;
            }
            if (m_state == State::Block && m_lineCount == 0 && m_partial.empty() && !m_partialCut &&
                wholeBlock(data, size, pos)) {
                continue;
            }
        }
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
                        const std::string_view kept(line,
                                                    std::min(length, DrawingScanner::maxLineBytes));
                        m_lines[m_lastSlot].view = kept;
                        if (m_lineCount == m_nextStructureLine) {
                            structureLine(kept, false);
                        }
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
    if (size > 0) {
        m_lastChunkEndedLine = data[size - 1] == '\n';
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
    head = head.substr(0, headBytes);
    if (head.substr(0, 3) == "\xEF\xBB\xBF") {
        return Encoding::Utf8;
    }
    std::string_view rest = head;
    if (firstLine(rest) == "#~1") {
        while (!rest.empty()) {
            const std::string_view line = trimmed(firstLine(rest));
            if (line.substr(0, 2) == "#~") {
                break;
            }
            if (line == "ENCODING:UTF-8") {
                return Encoding::Utf8;
            }
            if (line == "ENCODING:SJIS") {
                return Encoding::CodePage932;
            }
        }
    }
    // Undeclared: the format version, from 3.20 on always UTF-8.
    for (std::size_t at = head.find("#~3"); at != std::string_view::npos;
         at = head.find("#~3", at + 1)) {
        rest = head.substr(at);
        if ((at > 0 && head[at - 1] != '\n') || firstLine(rest) != "#~3") {
            continue;
        }
        std::string_view version;
        for (int line = 1; line <= 12; ++line) {
            if (rest.empty()) {
                return Encoding::CodePage932;
            }
            version = firstLine(rest);
        }
        version = trimmed(version);
        const DecimalNumber::Prefix number = DecimalNumber::parsePrefix(version);
        if (number.length > 0 && number.value >= 3.2) {
            return Encoding::Utf8;
        }
        break;
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
    m_textRecords = 0;
    Machine machine(onBlock, m_textRecords);
    QByteArray buffer(qsizetype(std::max<std::size_t>(m_chunkSize, 16)), Qt::Uninitialized);
    // The start of the file, gathered while reads are too short to tell the
    // encoding; never changed once it is fed, so views into it stay valid.
    std::string held;
    bool decided = false;
    auto decideAndFeed = [&](std::string_view data) {
        decided = true;
        m_encoding = detectEncoding(data);
        if (data.substr(0, 3) == "\xEF\xBB\xBF") {
            data.remove_prefix(3);
        }
        // A head gathered from short reads goes in chunk by chunk, as the rest
        // of the file will, so that small chunks cross record edges here too.
        const std::size_t chunk = std::size_t(buffer.size());
        while (data.size() > chunk) {
            machine.feed(data.data(), chunk);
            data.remove_prefix(chunk);
            machine.ownViews();
        }
        machine.feed(data.data(), data.size());
    };
    m_stopped = false;
    for (;;) {
        machine.ownViews();
        if (m_stopped) {
            return true;
        }
        qint64 got = device.read(buffer.data(), buffer.size());
        bool atEnd = false;
        // At the start, short reads fill the buffer up to the head, so that
        // a small file is told and read without copying it aside.
        while (!decided && held.empty() && got > 0 && got < qint64(headBytes) &&
               got < buffer.size()) {
            const qint64 more = device.read(buffer.data() + got, buffer.size() - got);
            if (more <= 0) {
                atEnd = more == 0;
                got = more < 0 ? more : got;
                break;
            }
            got += more;
        }
        if (got < 0) {
            m_error = device.errorString();
            return false;
        }
        if (got == 0) {
            break;
        }
        const std::string_view chunk(buffer.constData(), std::size_t(got));
        if (decided) {
            machine.feed(chunk.data(), chunk.size());
        } else if (held.empty() && (chunk.size() >= headBytes || atEnd)) {
            decideAndFeed(chunk);
        } else {
            if (held.empty() && !device.isSequential()) {
                // A known length: the head is gathered without growing it piece by piece.
                const qint64 head = qint64(chunk.size()) + device.size() - device.pos();
                held.reserve(std::size_t(std::clamp<qint64>(head, 0, qint64(headBytes))));
            }
            held.append(chunk);
            if (held.size() >= headBytes) {
                decideAndFeed(held);
            }
        }
    }
    if (!decided) {
        decideAndFeed(held);
    }
    machine.finish();
    return true;
}
