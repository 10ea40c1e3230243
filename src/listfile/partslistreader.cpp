#include "partslistreader.h"

#include "platform/codepage.h"

#include <QHashFunctions>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

namespace {

// The reader runs straight on the bytes, in code page 932 or UTF-8 alike:
// the separators, quotes and blanks are ASCII, never part of a character of
// two bytes or more, so each cell is decoded once and the whole file never.
bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool isSeparator(char c)
{
    return c == ',' || isLineEnd(c);
}

enum class Separator { Comma, LineEnd, EndOfText };

// Cells repeat down a column (materials, finishes, quantities): equal texts
// of a column share one string, which saves an allocation and its memory per
// cell. A column whose texts rarely repeat (drawing numbers) stops looking.
class SharedTexts
{
public:
    // `make` turns the bytes into their text.
    template <typename Make> QString take(QByteArrayView text, const Make &make)
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
        QString made = make(text);
        if (m_known.size() < maxTexts) {
            m_known.emplace(text, made); // the view is into the bytes being read
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
        std::size_t operator()(QByteArrayView text) const noexcept
        {
            return qHash(text, QHashSeed::globalSeed());
        }
    };
    std::unordered_map<QByteArrayView, QString, Hash> m_known;
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

// The fields of the text one after the other. Each field takes the separator
// that ends it, so the line end after a record's sixth field goes with that
// record and a file ends right after its last record.
class FieldStream
{
public:
    // A stream that only counts (`build` false) leaves every field's text empty.
    FieldStream(QByteArrayView text, bool utf8, QuoteStyle style, bool build = true)
        : m_text(text), m_style(style), m_utf8(utf8), m_build(build)
    {}

    qsizetype position() const { return m_position; }
    // Reads on from `position` with quotes read the `style` way.
    void restart(qsizetype position, QuoteStyle style)
    {
        m_position = position;
        m_style = style;
    }
    // Bytes that are no character were met (and read as U+FFFD).
    bool invalid() const { return m_invalid; }

    // `shared` is where the field's text may be found already.
    Field next(SharedTexts *shared = nullptr)
    {
        m_shared = shared;
        skipBlanks();
        Field field;
        if (m_position < m_text.size() && m_text[m_position] == '"') {
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
        while (m_position < m_text.size() && isBlank(m_text[m_position])) {
            ++m_position;
        }
    }

    // Whether the quote at `found` closes the field: only blanks between it
    // and a separator or the end. The blanks are skipped, as older readers did.
    bool closes(qsizetype found)
    {
        qsizetype after = found + 1;
        while (after < m_text.size() && isBlank(m_text[after])) {
            ++after;
        }
        if (after == m_text.size() || isSeparator(m_text[after])) {
            m_position = after;
            return true;
        }
        return false;
    }

    void readQuoted(Field &field)
    {
        ++m_position;
        qsizetype segment = m_position;
        for (;;) {
            const qsizetype found = indexOfQuote();
            if (found < 0) {
                appendText(field, segment, m_text.size());
                field.unclosedQuote = true;
                m_position = m_text.size();
                return;
            }
            const qsizetype after = found + 1;
            if (m_style == QuoteStyle::Doubled && after < m_text.size() && m_text[after] == '"') {
                appendText(field, segment, after);
                m_position = after + 1;
                segment = m_position;
            } else {
                // Of a run of quotes only the last can close the field.
                qsizetype last = found;
                while (last + 1 < m_text.size() && m_text[last + 1] == '"') {
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
        while (m_position < m_text.size() && !isSeparator(m_text[m_position])) {
            ++m_position;
        }
        if (m_build) {
            field.text = cellText(m_text.sliced(start, m_position - start));
        }
    }

    qsizetype indexOfQuote() const
    {
        const void *found =
            std::memchr(m_text.data() + m_position, '"', std::size_t(m_text.size() - m_position));
        return found ? static_cast<const char *>(found) - m_text.data() : -1;
    }

    QString cellText(QByteArrayView bytes)
    {
        const auto make = [this](QByteArrayView cell) { return decode(cell); };
        return m_shared ? m_shared->take(bytes, make) : make(bytes);
    }

    QString decode(QByteArrayView bytes)
    {
        if (m_utf8) {
            QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            QString text = decoder(bytes);
            m_invalid = m_invalid || decoder.hasError();
            return text;
        }
        QString text;
        if (!CodePage::decodeValid(bytes, text)) {
            m_invalid = true;
            text = CodePage::decode(bytes);
        }
        return text;
    }

    Separator takeSeparator()
    {
        if (m_position >= m_text.size()) {
            return Separator::EndOfText;
        }
        const char c = m_text[m_position++];
        if (c == ',') {
            return Separator::Comma;
        }
        if (c == '\r' && m_position < m_text.size() && m_text[m_position] == '\n') {
            ++m_position;
        }
        return Separator::LineEnd;
    }

    QByteArrayView m_text;
    QuoteStyle m_style;
    bool m_utf8;
    bool m_build;
    bool m_invalid = false;
    SharedTexts *m_shared = nullptr;
    qsizetype m_position = 0;
};

// Blank lines and blanks after the last field are no record: many editors
// leave an empty line at the end of a file.
qsizetype contentEndOf(QByteArrayView text)
{
    qsizetype contentEnd = text.size();
    while (contentEnd > 0 && (isBlank(text[contentEnd - 1]) || isLineEnd(text[contentEnd - 1]))) {
        --contentEnd;
    }
    return contentEnd;
}

// Lines are counted with CR LF, CR and LF each ending one line.
template <typename View> qsizetype lineAt(View text, qsizetype position)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < position && i < text.size(); ++i) {
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'))) {
            ++line;
        }
    }
    return line;
}

// Room for a record a line, so that a large list's cells are placed once.
// Wrapped records only leave room unused, and memory never touched costs
// nothing; a list with fewer line feeds than records grows as a list does,
// and so does a short list, for which none of this pays.
void reserveCells(QList<QString> &cells, QByteArrayView text, qsizetype recordLimit)
{
    constexpr qsizetype worthIt = 1024 * 1024; // bytes
    if (text.size() < worthIt) {
        return;
    }
    qsizetype records = 1;
    for (const char *at = text.data(), *end = at + text.size();
         (at = static_cast<const char *>(std::memchr(at, '\n', std::size_t(end - at)))); ++at) {
        ++records;
    }
    if (recordLimit >= 0) {
        records = std::min(records, recordLimit + 1);
    }
    cells.reserve(records * PartsListReader::FieldsPerRecord);
}

// The forms differ only where two quotes meet.
bool hasQuotePair(QByteArrayView text)
{
    return text.contains("\"\"");
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

// Reads one record from `start` into `record` (nullptr: only counts);
// `shared` holds a column's texts seen so far, one a field.
RecordEnd readRecord(FieldStream &fields, qsizetype contentEnd, QuoteStyle style, qsizetype start,
                     QString *record = nullptr, SharedTexts *shared = nullptr)
{
    fields.restart(start, style);
    RecordEnd end;
    while (end.taken < PartsListReader::FieldsPerRecord) {
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

// Reads the records one way.
class RecordParser
{
public:
    RecordParser(QByteArrayView text, bool utf8, Reading reading, qsizetype recordLimit)
        : m_text(text), m_contentEnd(contentEndOf(text)), m_reading(reading),
          m_style(reading == Reading::AsWritten ? QuoteStyle::AsWritten : QuoteStyle::Doubled),
          m_fields(text, utf8, m_style), m_probe(text, utf8, m_style, false),
          m_recordLimit(recordLimit), m_workLimit(recordByRecordWork * text.size() + 1024 * 1024)
    {
        reserveCells(m_result.cells, text, recordLimit);
    }

    // Nullopt when reading record by record took too long.
    std::optional<PartsListReader::Result> run()
    {
        while (m_fields.position() < m_contentEnd) {
            if (m_recordLimit >= 0 && m_result.recordCount() >= m_recordLimit) {
                m_result.recordLimitReached = true;
                break;
            }
            const qsizetype start = m_fields.position();
            QString *const record = newRecord();
            RecordEnd end = readRecord(m_fields, m_contentEnd, m_style, start, record, sharing());
            if (m_reading == Reading::RecordByRecord &&
                hasQuotePair(m_text.sliced(start, end.stop - start))) {
                end = eitherForm(start, end, record);
                if (m_work > m_workLimit) {
                    return std::nullopt;
                }
            }
            if (!end.complete) {
                m_result.truncation = truncation(start, end);
                break;
            }
        }
        if (m_reading == Reading::AsWritten) {
            m_result.oldFormRecords = m_result.recordCount();
            m_result.firstOldFormLine = 1;
        }
        m_result.mixedForms = m_result.oldFormRecords > 0 && m_oursWithQuotes > 0;
        // Only whether there were any; the file's bytes are counted once, later.
        m_result.replacedCharacters = m_fields.invalid() ? 1 : 0;
        return std::move(m_result);
    }

private:
    // Records read in the two forms cost at most this many times the text's
    // length; past it, the form is chosen for the whole file.
    static constexpr qsizetype recordByRecordWork = 4;
    // Sharing only pays off in a long list; a short one saves its lookups.
    static constexpr qsizetype sharingFrom = 64; // records

    // The record's six cells are made empty and filled in place.
    QString *newRecord()
    {
        const qsizetype first = m_result.cells.size();
        m_result.cells.resize(first + PartsListReader::FieldsPerRecord);
        return m_result.cells.data() + first;
    }

    SharedTexts *sharing()
    {
        return m_result.recordCount() > sharingFrom ? m_shared.data() : nullptr;
    }

    // The record at `start` read the old way too, and kept the way that
    // ends it at a line end. Where both do, the shorter wins when the record
    // after it fits too: an old record is one line, and a reading that ran
    // over into the next lines took quotes for doubled. Where both end at
    // the same line end, ours wins.
    RecordEnd eitherForm(qsizetype start, const RecordEnd &ours, QString *record)
    {
        const RecordEnd old = readRecord(m_probe, m_contentEnd, QuoteStyle::AsWritten, start);
        m_work += ours.stop - start + old.stop - start;
        const bool takeOld =
            old.atLineEnd() && (!ours.atLineEnd() || (old.stop < ours.stop && nextFits(old.stop)) ||
                                (old.stop > ours.stop && !nextFits(ours.stop)));
        RecordEnd end = ours;
        if (takeOld) {
            std::fill(record, record + PartsListReader::FieldsPerRecord, QString());
            end = readRecord(m_fields, m_contentEnd, QuoteStyle::AsWritten, start, record);
            if (m_result.oldFormRecords++ == 0) {
                m_result.firstOldFormLine = lineAt(m_text, start);
            }
        } else if (old.stop != ours.stop) {
            ++m_oursWithQuotes; // only ours reads it
        }
        m_fields.restart(end.stop, QuoteStyle::Doubled);
        return end;
    }

    // Whether a record read either way from `start` ends at a line end.
    bool nextFits(qsizetype start)
    {
        if (start >= m_contentEnd) {
            return true;
        }
        for (const QuoteStyle style : {QuoteStyle::Doubled, QuoteStyle::AsWritten}) {
            const RecordEnd end = readRecord(m_probe, m_contentEnd, style, start);
            m_work += end.stop - start;
            if (end.atLineEnd()) {
                return true;
            }
        }
        return false;
    }

    PartsListReader::Truncation truncation(qsizetype start, const RecordEnd &end) const
    {
        PartsListReader::Truncation truncation;
        truncation.record = m_result.recordCount() - 1;
        truncation.completeFields = end.taken - (end.unclosed ? 1 : 0);
        truncation.insideQuotes = end.unclosed;
        truncation.startLine = lineAt(m_text, start);
        truncation.endLine = lineAt(m_text, end.unclosed ? m_text.size() : m_contentEnd);
        return truncation;
    }

    QByteArrayView m_text;
    qsizetype m_contentEnd;
    Reading m_reading;
    QuoteStyle m_style;
    FieldStream m_fields;
    FieldStream m_probe;
    qsizetype m_recordLimit;
    qsizetype m_workLimit;
    qsizetype m_work = 0;
    qsizetype m_oursWithQuotes = 0;
    std::array<SharedTexts, PartsListReader::FieldsPerRecord> m_shared;
    PartsListReader::Result m_result;
};

std::optional<PartsListReader::Result> parseWith(QByteArrayView text, bool utf8, Reading reading,
                                                 qsizetype recordLimit)
{
    return RecordParser(text, utf8, reading, recordLimit).run();
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

Shape shapeOf(QByteArrayView text, QuoteStyle style)
{
    const qsizetype contentEnd = contentEndOf(text);
    FieldStream fields(text, false, style, false);
    Shape shape;
    while (fields.position() < contentEnd) {
        const RecordEnd end = readRecord(fields, contentEnd, style, fields.position());
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
PartsListReader::Result parseEitherWay(QByteArrayView text, bool utf8, qsizetype recordLimit)
{
    if (!hasQuotePair(text)) {
        return *parseWith(text, utf8, Reading::Doubled, recordLimit);
    }
    const Shape doubled = shapeOf(text, QuoteStyle::Doubled);
    const Shape asWritten = shapeOf(text, QuoteStyle::AsWritten);
    if (doubled.endsAtLineEnds) {
        PartsListReader::Result ours = *parseWith(text, utf8, Reading::Doubled, recordLimit);
        // Our own lists keep a line break inside a quoted cell, and the old
        // reading would split such a record: a list we wrote reads our way.
        const bool oursHasLineBreaks =
            std::any_of(ours.cells.cbegin(), ours.cells.cend(), [](const QString &cell) {
                return cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'));
            });
        if (oursHasLineBreaks || !asWritten.endsAtLineEnds ||
            asWritten.records <= doubled.records) {
            return ours;
        }
        return *parseWith(text, utf8, Reading::AsWritten, recordLimit);
    }
    if (std::optional<PartsListReader::Result> mixed =
            parseWith(text, utf8, Reading::RecordByRecord, recordLimit);
        mixed && !mixed->truncation) {
        return *std::move(mixed);
    }
    // Whole records no way record by record (or too slow to tell): one form
    // for the whole file, the old one where only it gives whole records.
    const bool old = asWritten.whole && !doubled.whole;
    return *parseWith(text, utf8, old ? Reading::AsWritten : Reading::Doubled, recordLimit);
}

constexpr char utf8Mark[] = "\xEF\xBB\xBF";

bool hasUtf8Mark(QByteArrayView bytes)
{
    return bytes.startsWith(QByteArrayView(utf8Mark, 3));
}

} // namespace

QString PartsListReader::decode(QByteArrayView bytes)
{
    if (hasUtf8Mark(bytes)) {
        return CodePage::decodeUtf8(bytes.sliced(3));
    }
    return CodePage::decode(bytes);
}

PartsListReader::Result PartsListReader::read(QByteArrayView bytes, qsizetype recordLimit)
{
    const bool utf8 = hasUtf8Mark(bytes);
    Result result = parseEitherWay(utf8 ? bytes.sliced(3) : bytes, utf8, recordLimit);
    if (result.replacedCharacters > 0) {
        // Counted over the file, as a record may have been read in both forms.
        if (utf8) {
            // Only a UTF-8 list can hold U+FFFD itself.
            const QString text = decode(bytes);
            const QChar replacement(QChar::ReplacementCharacter);
            result.replacedCharacters = text.count(replacement) - bytes.count("\xEF\xBF\xBD");
            result.firstReplacedLine = lineAt(QStringView(text), text.indexOf(replacement));
        } else {
            qsizetype first = 0;
            result.replacedCharacters = CodePage::countInvalid(bytes, &first);
            result.firstReplacedLine = lineAt(bytes, first);
        }
    }
    return result;
}

PartsListReader::Result PartsListReader::parse(QStringView text, qsizetype recordLimit)
{
    return read(QByteArrayView(utf8Mark, 3).toByteArray() + text.toUtf8(), recordLimit);
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
