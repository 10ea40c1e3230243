#include "drawingscanner.h"

#include "platform/codepage.h"
#include "shell/decimalnumber.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <string>

namespace {

// Lines n - 21 .. n - 1 of a block are kept, line k in slot k % keptLines.
constexpr std::size_t keptLines = 32;
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
    const char *const end = line.data() + line.size();
    unsigned value = 0;
    const std::from_chars_result read = std::from_chars(line.data(), end, value);
    return read.ec == std::errc() && read.ptr == end && line.size() <= 9 ? value : -1;
}

bool isNumberEqualTo(std::string_view line, double expected)
{
    // Most are one digit: the parser would cost a tenth of the instructions.
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
        go(Stage::PropertyCount, m_countLine);
        m_x.view = m_y.view = m_height.view = {};
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

    void go(Stage stage, long long next)
    {
        m_stage = stage;
        m_next = next;
    }
    void fail() { go(Stage::Failed, never); }
    void expect(std::string_view text, double value, Stage stage, long long next)
    {
        isNumberEqualTo(text, value) ? go(stage, next) : fail();
    }

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
        const long long count = wholeNumber(text);
        m_alignmentLine = number + 1 + count;
        return count >= 0 ? go(Stage::Alignment, m_alignmentLine) : fail();
    }
    case Stage::Alignment: {
        const std::string_view alignment = trimmed(text);
        const bool valid = alignment.size() == 1 && alignment[0] >= '1' && alignment[0] <= '9';
        return valid ? go(Stage::X, number + 3) : fail();
    }
    case Stage::X:
        m_x.keep(text, transient);
        return go(Stage::Y, number + 3);
    case Stage::Y:
        m_y.keep(text, transient);
        return go(Stage::MatrixZero1, number + 1);
    case Stage::MatrixZero1:
        return expect(text, 0, Stage::MatrixZero2, number + 1);
    case Stage::MatrixZero2:
        return expect(text, 0, Stage::MatrixOne, number + 1);
    case Stage::MatrixOne:
        // The height stands four lines before the line count.
        return expect(text, 1, Stage::Height, m_alignmentLine + m_lineCountOffset - 4);
    case Stage::Height:
        m_height.keep(text, transient);
        return go(Stage::LineCount, number + 4);
    case Stage::LineCount:
        m_pairsLeft = wholeNumber(text);
        return m_pairsLeft >= 1 ? go(Stage::Text, number + 1) : fail();
    case Stage::Text:
        if (!m_text.empty() && m_text.size() < DrawingScanner::maxLineBytes) {
            m_text += ' ';
        }
        m_text.append(text.substr(0, DrawingScanner::maxLineBytes - m_text.size()));
        return go(Stage::Zero, number + 1);
    case Stage::Zero:
        --m_pairsLeft;
        return expect(text, 0, m_pairsLeft == 0 ? Stage::Terminator : Stage::Text, number + 1);
    case Stage::Terminator: // a line where the terminator belongs
    case Stage::Failed:
        return fail();
    }
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

    // Each reads from `pos` in the chunk and returns where it stopped.
    std::size_t blockLines(const char *data, std::size_t size, std::size_t pos);
    std::size_t items(const char *data, std::size_t size, std::size_t pos);

    void endItem(bool atLineEnd);
    void keepItemByte(char c)
    {
        // Only the first bytes matter; the length saturates just past the buffer.
        if (m_itemLength < m_item.size()) {
            m_item[m_itemLength] = c;
        }
        m_itemLength = std::min(m_itemLength + 1, m_item.size() + 1);
    }
    // `transient`: the bytes vanish after the call, keep a copy.
    void blockLine(std::string_view line, bool transient);
    // Line m_lineCount, which one of the layouts asked for.
    void structureLine(std::string_view line, bool transient);
    void endBlock();
    void startBlock()
    {
        m_state = State::Block, m_lineCount = 0, m_partial.clear();
        m_older.restart();
        m_newer.restart();
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
    // A block line that runs past the end of a chunk, kept to one byte more
    // than a line is: a longer line is no terminator either way.
    std::string m_partial;
    LayoutReader m_older{5, 20};
    LayoutReader m_newer{6, 21};
    long long m_nextStructureLine = LayoutReader::never;
};

void Machine::feed(const char *data, std::size_t size)
{
    for (std::size_t pos = 0; pos < size;) {
        pos = m_state == State::Block ? blockLines(data, size, pos) : items(data, size, pos);
    }
}

std::size_t Machine::items(const char *data, std::size_t size, std::size_t pos)
{
    for (; pos < size; ++pos) {
        const char c = data[pos];
        switch (m_state) {
        case State::ItemStart:
            if (isBlank(c)) {
                continue;
            }
            if (c == '"') {
                m_itemQuoted = true;
                m_state = State::Quoted;
                continue;
            }
            m_state = State::Unquoted;
            [[fallthrough]];
        case State::Unquoted:
        case State::AfterQuote: // what follows a closing quote is dropped
            if (c == ',' || c == '\n') {
                endItem(c == '\n');
                if (m_state == State::Block) {
                    return pos + 1;
                }
            } else if (m_state == State::Unquoted) {
                keepItemByte(c);
            }
            continue;
        case State::Quoted:
            if (c == '"') {
                m_state = State::AfterQuote;
            } else {
                keepItemByte(c);
            }
            continue;
        case State::Block:
            return pos;
        }
    }
    return pos;
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

std::size_t Machine::blockLines(const char *data, std::size_t size, std::size_t pos)
{
    const char *line = data + pos;
    const char *const stop = data + size;
    while (m_state == State::Block && line < stop) {
        const char *const end = std::find(line, stop, '\n');
        std::string_view text(line, std::size_t(end - line));
        const bool transient = !m_partial.empty() || end == stop;
        if (transient) {
            // A line that began in an earlier chunk or goes on in the next one.
            m_partial.append(text.substr(0, DrawingScanner::maxLineBytes + 1 - m_partial.size()));
            if (end == stop) {
                return size;
            }
            text = m_partial;
        }
        blockLine(text, transient);
        if (transient) {
            m_partial.clear();
        }
        line = end + 1;
    }
    return std::size_t(line - data);
}

void Machine::blockLine(std::string_view line, bool transient)
{
    line = withoutCr(line);
    if (line == "|~") {
        return endBlock();
    }
    ++m_lineCount;
    KeptLine &kept = m_lines[std::size_t(m_lineCount) % keptLines];
    kept.keep(line.substr(0, DrawingScanner::maxLineBytes), transient);
    if (m_lineCount == m_nextStructureLine) {
        structureLine(kept.view, transient);
    }
}

void Machine::structureLine(std::string_view line, bool transient)
{
    for (LayoutReader *layout : {&m_older, &m_newer}) {
        if (layout->nextLine() == m_lineCount) {
            layout->line(m_lineCount, line, transient);
        }
    }
    m_nextStructureLine = std::min(m_older.nextLine(), m_newer.nextLine());
}

// The terminator is line n = m_lineCount + 1.
void Machine::endBlock()
{
    ++m_textRecords;
    m_state = State::ItemStart;
    const long long n = m_lineCount + 1;
    const bool older = m_older.fitsTerminatorAt(n);
    if (older != m_newer.fitsTerminatorAt(n)) {
        m_onBlock((older ? m_older : m_newer).block());
    } else if (n >= shortestBlock) {
        const auto back = [&](long long k) { return m_lines[std::size_t(n - k) % keptLines].view; };
        m_onBlock({back(21), back(18), back(2), {}});
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

void Machine::finish()
{
    // The last line of a file that does not end with a line feed.
    if (m_state == State::Block && !m_partial.empty()) {
        blockLines("\n", 1, 0);
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
    m_textRecords = 0;
    m_stopped = false;
    Machine machine(onBlock, m_textRecords);
    QByteArray buffer(qsizetype(std::max<std::size_t>(m_chunkSize, 16)), Qt::Uninitialized);
    const std::size_t chunk = std::size_t(buffer.size());
    const auto read = [&] {
        machine.ownViews();
        const qint64 got = device.read(buffer.data(), buffer.size());
        if (got < 0) {
            m_error = device.errorString();
        }
        return got;
    };
    // The head tells the encoding. It goes in chunk by chunk, as the rest of
    // the file will, so that small chunks cross record edges here too; it
    // never changes once fed, so views into it stay valid.
    std::string head;
    qint64 got = 1;
    while (head.size() < headBytes && (got = read()) > 0) {
        head.append(buffer.constData(), std::size_t(got));
    }
    m_encoding = detectEncoding(head);
    if (got < 0) {
        return false;
    }
    std::string_view rest(head);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
        rest.remove_prefix(3);
    }
    for (; !rest.empty() && !m_stopped; rest.remove_prefix(std::min(rest.size(), chunk))) {
        machine.feed(rest.data(), std::min(rest.size(), chunk));
    }
    while (got > 0 && !m_stopped && (got = read()) > 0) {
        machine.feed(buffer.constData(), std::size_t(got));
    }
    if (got < 0) {
        return false;
    }
    if (!m_stopped) {
        machine.finish();
    }
    return true;
}
