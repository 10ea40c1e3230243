#include "partslistreader.h"

#include "platform/codepage.h"

#include <QHashFunctions>

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>
#include <unordered_map>

namespace {

// The reader runs on the decoded text, or straight on the bytes of a list
// in code page 932 when every byte is a character: the separators, quotes
// and blanks are ASCII and never part of a double-byte character, so both
// give the same fields, and the bytes way decodes each cell once, never the
// whole file.
template <typename View> bool isBlank(View text, qsizetype at)
{
    return text.data()[at] == ' ' || text.data()[at] == '\t';
}

template <typename View> bool isLineEnd(View text, qsizetype at)
{
    return text.data()[at] == '\r' || text.data()[at] == '\n';
}

template <typename View> bool isSeparator(View text, qsizetype at)
{
    return text.data()[at] == ',' || isLineEnd(text, at);
}

enum class Separator { Comma, LineEnd, EndOfText };

qsizetype indexOfQuote(QStringView text, qsizetype from)
{
    return text.indexOf(u'"', from);
}

qsizetype indexOfQuote(QByteArrayView bytes, qsizetype from)
{
    const void *found = std::memchr(bytes.data() + from, '"', std::size_t(bytes.size() - from));
    return found ? static_cast<const char *>(found) - bytes.data() : -1;
}

// Cells repeat down a column (materials, finishes, quantities): equal texts
// of a column share one string, which saves an allocation and its memory per
// cell. A column whose texts rarely repeat (drawing numbers) stops looking.
template <typename View> class SharedTexts
{
public:
    // `make` turns the view into its text; nullopt when it cannot.
    template <typename Make> std::optional<QString> take(View text, const Make &make)
    {
        if (text.isEmpty()) {
            return QString();
        }
        if (!m_looking || text.size() > maxLength) {
            return make(text);
        }
        const auto found = m_known.find(text);
        if (found != m_known.end()) {
            ++m_hits;
            return found->second;
        }
        std::optional<QString> made = make(text);
        if (made && m_known.size() < maxTexts) {
            m_known.emplace(text, *made); // the view is into the text being read
        }
        if (++m_misses >= probe && m_hits < m_misses) {
            m_looking = false;
            m_known.clear();
        }
        return made;
    }

private:
    static constexpr qsizetype maxLength = 512;
    static constexpr std::size_t maxTexts = 4096;
    static constexpr qsizetype probe = 1024;

    // Seeded per process, so that no file can be made of texts that all
    // fall into one bucket.
    struct Hash
    {
        std::size_t operator()(View text) const noexcept
        {
            return qHash(text, QHashSeed::globalSeed());
        }
    };
    std::unordered_map<View, QString, Hash> m_known;
    qsizetype m_hits = 0;
    qsizetype m_misses = 0;
    bool m_looking = true;
};

struct Field
{
    QString text;
    Separator endedBy = Separator::EndOfText;
    bool unclosedQuote = false;
};

// How a quote inside a quoted field is read. Our lists double it ("" is one
// quote); older tools wrote it as it stands, so a cell ending in an inch
// mark gave 3/4"", and only a quote before a separator closed the field.
enum class QuoteStyle { Doubled, AsWritten };

QString textOf(QStringView text)
{
    return text.toString();
}

std::optional<QString> textOf(QByteArrayView bytes)
{
    QString text;
    if (!CodePage::decodeValid(bytes, text)) {
        return std::nullopt;
    }
    return text;
}

// The fields of the text one after the other. Each field takes the separator
// that ends it, so the line end after a record's sixth field goes with that
// record and a file ends right after its last record.
template <typename View> class FieldStream
{
public:
    // A stream that only counts (`build` false) leaves every field's text empty.
    FieldStream(View text, QuoteStyle style, bool build = true)
        : m_text(text), m_style(style), m_build(build)
    {}

    qsizetype position() const { return m_position; }
    // Reads on from `position` with quotes read the `style` way.
    void restart(qsizetype position, QuoteStyle style)
    {
        m_position = position;
        m_style = style;
    }
    // Bytes that are no character were met: the fields are not to be used.
    bool invalid() const { return m_invalid; }

    // `shared` is where the field's text may be found already.
    Field next(SharedTexts<View> *shared = nullptr)
    {
        m_shared = shared;
        skipBlanks();
        Field field;
        if (m_position < m_text.size() && unit(m_position) == '"') {
            readQuoted(field);
        } else {
            readPlain(field);
        }
        field.endedBy = takeSeparator();
        return field;
    }

private:
    void skipBlanks()
    {
        while (m_position < m_text.size() && isBlank(m_text, m_position)) {
            ++m_position;
        }
    }

    // Whether the quote at `found` closes the field: only blanks between it
    // and a separator or the end. The blanks are skipped, as older readers did.
    bool closes(qsizetype found)
    {
        qsizetype after = found + 1;
        while (after < m_text.size() && isBlank(m_text, after)) {
            ++after;
        }
        if (after == m_text.size() || isSeparator(m_text, after)) {
            m_position = after;
            return true;
        }
        return false;
    }

    void readQuoted(Field &field)
    {
        ++m_position;
        const qsizetype start = m_position;
        qsizetype segment = start;
        for (;;) {
            const qsizetype found = indexOfQuote(m_text, m_position);
            if (found < 0) {
                appendText(field, segment, m_text.size());
                field.unclosedQuote = true;
                m_position = m_text.size();
                return;
            }
            const qsizetype after = found + 1;
            if (m_style == QuoteStyle::Doubled && after < m_text.size() && unit(after) == '"') {
                appendText(field, segment, after);
                m_position = after + 1;
                segment = m_position;
            } else {
                // Of a run of quotes only the last can close the field.
                qsizetype last = found;
                while (last + 1 < m_text.size() && unit(last + 1) == '"') {
                    ++last;
                }
                if (closes(last)) {
                    appendText(field, segment, last);
                    return;
                }
                m_position = last + 1;
            }
        }
    }

    void appendText(Field &field, qsizetype from, qsizetype to)
    {
        if (!m_build) {
            return;
        }
        if (field.text.isEmpty()) {
            field.text = cellText(m_text.sliced(from, to - from));
        } else {
            field.text.append(cellText(m_text.sliced(from, to - from)));
        }
    }

    // Runs to the next comma or line end and keeps its trailing blanks.
    void readPlain(Field &field)
    {
        const qsizetype start = m_position;
        while (m_position < m_text.size() && !isSeparator(m_text, m_position)) {
            ++m_position;
        }
        if (m_build) {
            field.text = cellText(m_text.sliced(start, m_position - start));
        }
    }

    QString cellText(View text)
    {
        const auto make = [](View view) -> std::optional<QString> { return textOf(view); };
        std::optional<QString> made = m_shared ? m_shared->take(text, make) : make(text);
        if (!made) {
            m_invalid = true;
            return QString();
        }
        return *std::move(made);
    }

    Separator takeSeparator()
    {
        if (m_position >= m_text.size()) {
            return Separator::EndOfText;
        }
        const auto c = unit(m_position++);
        if (c == ',') {
            return Separator::Comma;
        }
        if (c == '\r' && m_position < m_text.size() && unit(m_position) == '\n') {
            ++m_position;
        }
        return Separator::LineEnd;
    }

    auto unit(qsizetype at) const { return m_text.data()[at]; }

    View m_text;
    QuoteStyle m_style;
    bool m_build;
    bool m_invalid = false;
    SharedTexts<View> *m_shared = nullptr;
    qsizetype m_position = 0;
};

// Blank lines and blanks after the last field are no record: many editors
// leave an empty line at the end of a file.
template <typename View> qsizetype contentEndOf(View text)
{
    qsizetype contentEnd = text.size();
    while (contentEnd > 0 && (isBlank(text, contentEnd - 1) || isLineEnd(text, contentEnd - 1))) {
        --contentEnd;
    }
    return contentEnd;
}

// Lines are counted with CR LF, CR and LF each ending one line.
template <typename View> qsizetype lineAt(View text, qsizetype position)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < position && i < text.size(); ++i) {
        if (text.data()[i] == '\n' ||
            (text.data()[i] == '\r' && (i + 1 >= text.size() || text.data()[i + 1] != '\n'))) {
            ++line;
        }
    }
    return line;
}

// Lines in the text, counted by line feeds (one line at least).
qsizetype lineFeeds(QStringView text)
{
    return text.count(u'\n');
}

qsizetype lineFeeds(QByteArrayView bytes)
{
    qsizetype count = 0;
    for (const char *at = bytes.data(), *end = at + bytes.size();
         (at = static_cast<const char *>(std::memchr(at, '\n', std::size_t(end - at)))); ++at) {
        ++count;
    }
    return count;
}

// Room for a record a line, so that a large list's cells are placed once.
// Wrapped records only leave room unused, and memory never touched costs
// nothing; a list with fewer line feeds than records grows as a list does,
// and so does a short list, for which none of this pays.
template <typename View> void reserveCells(QList<QString> &cells, View text, qsizetype recordLimit)
{
    constexpr qsizetype worthIt = 1024 * 1024; // units of text
    if (text.size() < worthIt) {
        return;
    }
    qsizetype records = lineFeeds(text) + 1;
    if (recordLimit >= 0) {
        records = std::min(records, recordLimit + 1);
    }
    cells.reserve(records * PartsListReader::FieldsPerRecord);
}

bool hasQuotePair(QStringView text)
{
    return text.contains(u"\"\"");
}

bool hasQuotePair(QByteArrayView bytes)
{
    return bytes.contains("\"\"");
}

// How the quotes of the records are read: all one way, or each record the
// way that ends it at a line end.
enum class Reading { Doubled, AsWritten, RecordByRecord };

struct RecordEnd
{
    int taken = 0;
    bool complete = true;
    bool unclosed = false;
    Separator last = Separator::LineEnd;
    qsizetype stop = 0; // where the next record begins

    // Both writers end every record at a line end (or the file's end).
    bool atLineEnd() const { return complete && last != Separator::Comma; }
};

// Reads one record from `start` into `record` (nullptr: only counts).
template <typename View>
RecordEnd readRecord(FieldStream<View> &fields, qsizetype contentEnd, QuoteStyle style,
                     qsizetype start, QString *record,
                     std::type_identity_t<SharedTexts<View>> *shared)
{
    constexpr int FieldsPerRecord = PartsListReader::FieldsPerRecord;
    fields.restart(start, style);
    if (record) {
        std::fill(record, record + FieldsPerRecord, QString());
    }
    RecordEnd end;
    while (end.taken < FieldsPerRecord) {
        // A comma promises one more field, even an empty one at the end.
        if (fields.position() >= contentEnd && end.last != Separator::Comma) {
            end.complete = false;
            break;
        }
        Field field = fields.next(shared ? &shared[end.taken] : nullptr);
        if (record) {
            record[end.taken] = std::move(field.text);
        }
        ++end.taken;
        end.last = field.endedBy;
        if (field.unclosedQuote) {
            end.complete = false;
            end.unclosed = true;
            break;
        }
    }
    end.stop = fields.position();
    return end;
}

// Records read in the two forms cost at most this many times the text's
// length; past it, the form is chosen for the whole file.
constexpr qsizetype recordByRecordWork = 4;

// The records read one way; nullopt when bytes that are no character were
// met, or when reading record by record took too long.
template <typename View>
std::optional<PartsListReader::Result> parseWith(View text, Reading reading, qsizetype recordLimit)
{
    using Truncation = PartsListReader::Truncation;
    constexpr int FieldsPerRecord = PartsListReader::FieldsPerRecord;
    const qsizetype contentEnd = contentEndOf(text);
    PartsListReader::Result result;
    reserveCells(result.cells, text, recordLimit);
    const QuoteStyle style =
        reading == Reading::AsWritten ? QuoteStyle::AsWritten : QuoteStyle::Doubled;
    FieldStream<View> fields(text, style);
    FieldStream<View> probe(text, style, false);
    std::array<SharedTexts<View>, FieldsPerRecord> shared;
    constexpr qsizetype sharingFrom = 64; // records
    qsizetype work = 0;
    const qsizetype workLimit = recordByRecordWork * text.size() + 1024 * 1024;
    qsizetype oursWithQuotes = 0;
    // Whether a record read either way from `start` ends at a line end.
    const auto nextFits = [&](qsizetype start) {
        if (start >= contentEnd) {
            return true;
        }
        for (const QuoteStyle probeStyle : {QuoteStyle::Doubled, QuoteStyle::AsWritten}) {
            const RecordEnd end =
                readRecord(probe, contentEnd, probeStyle, start, nullptr, nullptr);
            work += end.stop - start;
            if (end.atLineEnd()) {
                return true;
            }
        }
        return false;
    };

    while (fields.position() < contentEnd) {
        if (recordLimit >= 0 && result.recordCount() >= recordLimit) {
            result.recordLimitReached = true;
            break;
        }
        const qsizetype recordStart = fields.position();
        // The record's six cells are made empty first and filled in place.
        const qsizetype firstCell = result.cells.size();
        result.cells.resize(firstCell + FieldsPerRecord);
        QString *const record = result.cells.data() + firstCell;
        // Sharing only pays off in a long list; a short one saves its lookups.
        SharedTexts<View> *const sharing =
            result.recordCount() > sharingFrom ? shared.data() : nullptr;
        RecordEnd end = readRecord(fields, contentEnd, style, recordStart, record, sharing);
        // The two forms differ only where two quotes meet.
        if (reading == Reading::RecordByRecord &&
            hasQuotePair(text.sliced(recordStart, end.stop - recordStart))) {
            const RecordEnd old =
                readRecord(probe, contentEnd, QuoteStyle::AsWritten, recordStart, nullptr, nullptr);
            work += end.stop - recordStart + old.stop - recordStart;
            // Where both end at a line end, the shorter wins when the record
            // after it fits too: an old record is one line, and a reading
            // that ran over into the next lines took quotes for doubled.
            // Where both end at the same line end, ours wins.
            const bool takeOld = old.atLineEnd() &&
                                 (!end.atLineEnd() || (old.stop < end.stop && nextFits(old.stop)) ||
                                  (old.stop > end.stop && !nextFits(end.stop)));
            if (takeOld) {
                end = readRecord(fields, contentEnd, QuoteStyle::AsWritten, recordStart, record,
                                 nullptr);
                if (result.oldFormRecords++ == 0) {
                    result.firstOldFormLine = lineAt(text, recordStart);
                }
            } else if (old.stop != end.stop) {
                ++oursWithQuotes; // only ours reads it
            }
            fields.restart(end.stop, QuoteStyle::Doubled);
            if (work > workLimit) {
                return std::nullopt;
            }
        }
        if (fields.invalid()) {
            return std::nullopt;
        }
        if (!end.complete) {
            Truncation truncation;
            truncation.record = result.recordCount() - 1;
            truncation.completeFields = end.taken - (end.unclosed ? 1 : 0);
            truncation.insideQuotes = end.unclosed;
            truncation.startLine = lineAt(text, recordStart);
            truncation.endLine = lineAt(text, end.unclosed ? text.size() : contentEnd);
            result.truncation = truncation;
            break;
        }
    }
    if (reading == Reading::AsWritten) {
        result.oldFormRecords = result.recordCount();
        result.firstOldFormLine = 1;
    }
    result.mixedForms = result.oldFormRecords > 0 && oursWithQuotes > 0;
    return result;
}

// The text read one way: whether it is a whole number of records, whether
// each of them ends at a line end, and how many there are. Nothing is built,
// so asking costs a scan and no memory.
struct Shape
{
    bool whole = true;
    bool endsAtLineEnds = true;
    qsizetype records = 0;
};

template <typename View> Shape shapeOf(View text, QuoteStyle style)
{
    const qsizetype contentEnd = contentEndOf(text);
    FieldStream<View> fields(text, style, false);
    Shape shape;
    while (fields.position() < contentEnd) {
        const RecordEnd end =
            readRecord(fields, contentEnd, style, fields.position(), nullptr, nullptr);
        if (!end.complete) {
            return {false, false, shape.records};
        }
        shape.endsAtLineEnds = shape.endsAtLineEnds && end.atLineEnd();
        ++shape.records;
    }
    return shape;
}

// Which way the quotes were written. Our lists double a quote in a cell;
// older tools wrote it as it stands, so that a cell ending in an inch mark
// gave 3/4"". Both end every record at a line end: the form in which the
// whole file does so wins. Where both do, the one that reads more records
// wins, as the other ran records over several lines by taking quotes for
// doubled (cells ending in a quote numbering 6, 12, ...); ours where they
// read as many. Where neither does, the file mixes the forms, and each
// record is read the way that ends it at a line end, ours where both do.
// Lists whose records wrap lines are read our way, or the old way when only
// that gives whole records.
template <typename View>
std::optional<PartsListReader::Result> parseEitherWay(View text, qsizetype recordLimit)
{
    // The forms differ only where two quotes meet.
    if (!hasQuotePair(text)) {
        return parseWith(text, Reading::Doubled, recordLimit);
    }
    const Shape doubled = shapeOf(text, QuoteStyle::Doubled);
    const Shape asWritten = shapeOf(text, QuoteStyle::AsWritten);
    if (doubled.endsAtLineEnds) {
        std::optional<PartsListReader::Result> ours =
            parseWith(text, Reading::Doubled, recordLimit);
        // Our own lists keep a line break inside a quoted cell, and the old
        // reading would split such a record: a list we wrote reads our way.
        const bool oursHasLineBreaks =
            ours && std::any_of(ours->cells.cbegin(), ours->cells.cend(), [](const QString &cell) {
                return cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'));
            });
        if (oursHasLineBreaks || !asWritten.endsAtLineEnds ||
            asWritten.records <= doubled.records) {
            return ours;
        }
        return parseWith(text, Reading::AsWritten, recordLimit);
    }
    std::optional<PartsListReader::Result> mixed =
        parseWith(text, Reading::RecordByRecord, recordLimit);
    if (mixed && !mixed->truncation) {
        return mixed;
    }
    mixed.reset();
    // Whole records no way record by record (or too slow to tell): one form
    // for the whole file, the old one where only it gives whole records.
    const bool old = asWritten.whole && !doubled.whole;
    return parseWith(text, old ? Reading::AsWritten : Reading::Doubled, recordLimit);
}

constexpr char utf8Mark[] = "\xEF\xBB\xBF";

} // namespace

QString PartsListReader::decode(QByteArrayView bytes)
{
    if (bytes.startsWith(QByteArrayView(utf8Mark, 3))) {
        return CodePage::decodeUtf8(bytes.sliced(3));
    }
    return CodePage::decode(bytes);
}

namespace {

// `owned`, when given, holds the bytes and is let go of once they are decoded.
PartsListReader::Result readBytes(QByteArrayView bytes, QByteArray *owned, qsizetype recordLimit)
{
    using Result = PartsListReader::Result;
    const bool utf8 = bytes.startsWith(QByteArrayView(utf8Mark, 3));
    if (!utf8) {
        if (std::optional<Result> result = parseEitherWay(bytes, recordLimit)) {
            return *std::move(result);
        }
    }
    QString text = PartsListReader::decode(bytes);
    // Bytes the code page has no character for came out as U+FFFD; only a
    // UTF-8 list can hold that character itself.
    const QChar replacement(QChar::ReplacementCharacter);
    const qsizetype first = text.indexOf(replacement);
    qsizetype replaced = 0;
    qsizetype replacedLine = 0;
    if (first >= 0) {
        replaced = text.count(replacement) - (utf8 ? bytes.count("\xEF\xBF\xBD") : 0);
        replacedLine = replaced > 0 ? lineAt(QStringView(text), first) : 0;
    }
    // A large list is held once as bytes, once as text and once as cells,
    // never all three at a time.
    if (owned) {
        *owned = QByteArray();
    }
    Result result = PartsListReader::parse(text, recordLimit);
    result.replacedCharacters = replaced;
    result.firstReplacedLine = replacedLine;
    return result;
}

} // namespace

PartsListReader::Result PartsListReader::read(QByteArrayView bytes, qsizetype recordLimit)
{
    return readBytes(bytes, nullptr, recordLimit);
}

PartsListReader::Result PartsListReader::read(QByteArray &&bytes, qsizetype recordLimit)
{
    return readBytes(bytes, &bytes, recordLimit);
}

PartsListReader::Result PartsListReader::parse(QStringView text, qsizetype recordLimit)
{
    return *parseEitherWay(text, recordLimit);
}

QString PartsListReader::describe(const Truncation &truncation)
{
    const QString where = QStringLiteral("最後のデータ（表の %1 行目。ファイルの %2 行目から）")
                              .arg(truncation.record + 1)
                              .arg(truncation.startLine);
    QString text;
    if (truncation.insideQuotes) {
        text = QStringLiteral("%1の %2 番目の項目は引用符（\"）が閉じられないまま、ファイルが %3 "
                              "行目で終わっています。")
                   .arg(where)
                   .arg(truncation.completeFields + 1)
                   .arg(truncation.endLine);
    } else {
        text = QStringLiteral(
                   "%1は 6 項目のうち %2 項目しかなく、ファイルは %3 行目で終わっています。")
                   .arg(where)
                   .arg(truncation.completeFields)
                   .arg(truncation.endLine);
    }
    return text + QStringLiteral("\n足りない項目は空欄にして読み込みました。");
}

QString PartsListReader::describeOldForm(const Result &result)
{
    if (result.oldFormRecords == 0) {
        return QString();
    }
    const QString form = QStringLiteral(
        "引用符（\"）を重ねずに書く古い形式として読みました。保存すると今の形式になります。");
    QString which = QStringLiteral("%1 件のデータのうち %2 件（最初はファイルの %3 行目）を")
                        .arg(result.recordCount())
                        .arg(result.oldFormRecords)
                        .arg(result.firstOldFormLine);
    if (result.oldFormRecords >= result.recordCount()) {
        which = QStringLiteral("ファイル全体を");
    }
    if (result.mixedForms) {
        which.prepend(QStringLiteral("今の形式と古い形式が混ざっています。"));
    }
    return which + form;
}

QString PartsListReader::describeReplaced(const Result &result)
{
    return QStringLiteral("文字として読めないバイトが %1 か所あり、「%2」に置き換えました（最初は "
                          "%3 行目）。")
        .arg(result.replacedCharacters)
        .arg(QChar(QChar::ReplacementCharacter))
        .arg(result.firstReplacedLine);
}
