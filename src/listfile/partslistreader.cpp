#include "partslistreader.h"

#include "platform/codepage.h"

namespace {

constexpr QChar quote = u'"';
constexpr QChar comma = u',';
constexpr QChar carriageReturn = u'\r';
constexpr QChar lineFeed = u'\n';

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isLineEnd(QChar c)
{
    return c == carriageReturn || c == lineFeed;
}

bool isSeparator(QChar c)
{
    return c == comma || isLineEnd(c);
}

enum class Separator { Comma, LineEnd, EndOfText };

struct Field
{
    QString text;
    Separator endedBy = Separator::EndOfText;
    bool unclosedQuote = false;
};

// The fields of the text one after the other. Each field takes the separator
// that ends it, so the line end after a record's sixth field goes with that
// record and a file ends right after its last record.
class FieldStream
{
public:
    explicit FieldStream(QStringView text) : m_text(text) {}

    qsizetype position() const { return m_position; }

    Field next()
    {
        while (m_position < m_text.size() && isBlank(m_text[m_position])) {
            ++m_position;
        }
        Field field;
        if (m_position < m_text.size() && m_text[m_position] == quote) {
            readQuoted(field);
        } else {
            readPlain(field);
        }
        field.endedBy = takeSeparator();
        return field;
    }

private:
    // "" is one quote; a quote before a separator or the end closes the
    // field; any other quote is text, as older tools wrote quotes in cells.
    void readQuoted(Field &field)
    {
        ++m_position;
        qsizetype segment = m_position;
        for (;;) {
            const qsizetype found = m_text.indexOf(quote, m_position);
            if (found < 0) {
                field.text.append(m_text.mid(segment));
                field.unclosedQuote = true;
                m_position = m_text.size();
                return;
            }
            const qsizetype after = found + 1;
            if (after < m_text.size() && m_text[after] == quote) {
                field.text.append(m_text.mid(segment, after - segment));
                m_position = after + 1;
                segment = m_position;
            } else if (after == m_text.size() || isSeparator(m_text[after])) {
                field.text.append(m_text.mid(segment, found - segment));
                m_position = after;
                return;
            } else {
                m_position = after;
            }
        }
    }

    // Runs to the next comma or line end and keeps its trailing blanks.
    void readPlain(Field &field)
    {
        const qsizetype start = m_position;
        while (m_position < m_text.size() && !isSeparator(m_text[m_position])) {
            ++m_position;
        }
        field.text = m_text.mid(start, m_position - start).toString();
    }

    Separator takeSeparator()
    {
        if (m_position >= m_text.size()) {
            return Separator::EndOfText;
        }
        const QChar c = m_text[m_position++];
        if (c == comma) {
            return Separator::Comma;
        }
        if (c == carriageReturn && m_position < m_text.size() && m_text[m_position] == lineFeed) {
            ++m_position;
        }
        return Separator::LineEnd;
    }

    QStringView m_text;
    qsizetype m_position = 0;
};

// Lines are counted with CR LF, CR and LF each ending one line.
qsizetype lineAt(QStringView text, qsizetype position)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < position && i < text.size(); ++i) {
        if (text[i] == lineFeed ||
            (text[i] == carriageReturn && (i + 1 >= text.size() || text[i + 1] != lineFeed))) {
            ++line;
        }
    }
    return line;
}

} // namespace

QString PartsListReader::decode(QByteArrayView bytes)
{
    static constexpr char utf8Mark[] = "\xEF\xBB\xBF";
    if (bytes.startsWith(QByteArrayView(utf8Mark, 3))) {
        return CodePage::decodeUtf8(bytes.sliced(3));
    }
    return CodePage::decode(bytes);
}

PartsListReader::Result PartsListReader::read(QByteArrayView bytes, qsizetype recordLimit)
{
    return parse(decode(bytes), recordLimit);
}

PartsListReader::Result PartsListReader::parse(QStringView text, qsizetype recordLimit)
{
    // Blank lines and blanks after the last field are no record: many
    // editors leave an empty line at the end of a file.
    qsizetype contentEnd = text.size();
    while (contentEnd > 0 && (isBlank(text[contentEnd - 1]) || isLineEnd(text[contentEnd - 1]))) {
        --contentEnd;
    }

    Result result;
    FieldStream fields(text);
    while (fields.position() < contentEnd) {
        if (recordLimit >= 0 && result.rows.size() >= recordLimit) {
            result.recordLimitReached = true;
            break;
        }
        const qsizetype recordStart = fields.position();
        QStringList record;
        record.reserve(FieldsPerRecord);
        Separator previous = Separator::LineEnd;
        bool complete = true;
        bool unclosed = false;
        while (record.size() < FieldsPerRecord) {
            // A comma promises one more field, even an empty one at the end.
            if (fields.position() >= contentEnd && previous != Separator::Comma) {
                complete = false;
                break;
            }
            Field field = fields.next();
            record.append(std::move(field.text));
            previous = field.endedBy;
            if (field.unclosedQuote) {
                complete = false;
                unclosed = true;
                break;
            }
        }
        const int completeFields = int(record.size()) - (unclosed ? 1 : 0);
        while (record.size() < FieldsPerRecord) {
            record.append(QString());
        }
        result.rows.append(std::move(record));
        if (!complete) {
            Truncation truncation;
            truncation.record = result.rows.size() - 1;
            truncation.completeFields = completeFields;
            truncation.insideQuotes = unclosed;
            truncation.startLine = lineAt(text, recordStart);
            truncation.endLine = lineAt(text, unclosed ? text.size() : contentEnd);
            result.truncation = truncation;
            break;
        }
    }
    return result;
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
