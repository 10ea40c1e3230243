#include "partslistformat.h"

#include "platform/codepage.h"

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

namespace PartsListFormat {

Encoded encode(const QList<QStringList> &rows, Encoding encoding)
{
    Encoded result;
    QString text;
    QList<qsizetype> recordStarts; // where each record's text begins
    recordStarts.reserve(rows.size());
    for (const QStringList &row : rows) {
        recordStarts.append(text.size());
        for (int field = 0; field < fieldsPerRecord; ++field) {
            if (field > 0) {
                text += QLatin1Char(',');
            }
            text += QLatin1Char('"');
            QString value = row.value(field);
            text += value.replace(QLatin1Char('"'), QLatin1String("\"\""));
            text += QLatin1Char('"');
        }
        text += QLatin1String("\r\n");
    }
    if (encoding == Encoding::Utf8) {
        result.bytes = text.toUtf8();
        return result;
    }
    const CodePage::Encoded encoded = CodePage::encode(text);
    result.bytes = encoded.bytes;
    qsizetype record = 0;
    for (const qsizetype position : encoded.unencodable) {
        while (record + 1 < recordStarts.size() && recordStarts[record + 1] <= position) {
            ++record;
        }
        if (result.rowsWithUnencodable.isEmpty() || result.rowsWithUnencodable.last() != record) {
            result.rowsWithUnencodable.append(record);
        }
    }
    return result;
}

Decoded decode(const QByteArray &bytes)
{
    Decoded result;
    const bool utf8 = bytes.startsWith("\xEF\xBB\xBF");
    const char *data = bytes.constData() + (utf8 ? 3 : 0);
    const qsizetype size = bytes.size() - (utf8 ? 3 : 0);
    auto toText = [utf8](const char *begin, qsizetype length) {
        const QByteArrayView view(begin, length);
        return utf8 ? CodePage::decodeUtf8(view) : CodePage::decode(view);
    };

    QStringList record;
    qsizetype line = 1;
    qsizetype pos = 0;
    QByteArray field;
    while (pos < size) {
        if (record.isEmpty()) {
            // Blank lines after the last record (a hand-edited file) end the list.
            qsizetype ahead = pos;
            while (ahead < size && (isBlank(data[ahead]) || isLineEnd(data[ahead]))) {
                ++ahead;
            }
            if (ahead == size) {
                break;
            }
        }
        while (pos < size && isBlank(data[pos])) {
            ++pos;
        }
        if (pos >= size) {
            // Blanks after the last separator: not a field of its own.
            break;
        }
        field.clear();
        if (data[pos] == '"') {
            // "" is one quote; a quote before a separator or the end closes
            // the field; any other quote is part of the text.
            ++pos;
            while (pos < size) {
                const char c = data[pos];
                if (c == '"') {
                    if (pos + 1 < size && data[pos + 1] == '"') {
                        field += '"';
                        pos += 2;
                        continue;
                    }
                    if (pos + 1 >= size || data[pos + 1] == ',' || isLineEnd(data[pos + 1])) {
                        ++pos;
                        break;
                    }
                }
                if (c == '\n') {
                    ++line;
                }
                field += c;
                ++pos;
            }
        } else {
            const qsizetype start = pos;
            while (pos < size && data[pos] != ',' && !isLineEnd(data[pos])) {
                ++pos;
            }
            field = QByteArray(data + start, pos - start);
        }
        record.append(toText(field.constData(), field.size()));
        // The separator: a comma, or one line end (CR LF counts once).
        if (pos < size) {
            if (data[pos] == ',') {
                ++pos;
            } else if (data[pos] == '\r') {
                ++pos;
                if (pos < size && data[pos] == '\n') {
                    ++pos;
                }
                ++line;
            } else if (data[pos] == '\n') {
                ++pos;
                ++line;
            }
        }
        if (record.size() == fieldsPerRecord) {
            result.rows.append(record);
            record.clear();
        }
    }
    result.lineOfEnd = line;
    if (!record.isEmpty()) {
        result.endedInsideRecord = true;
        result.fieldsInLastRecord = int(record.size());
        while (record.size() < fieldsPerRecord) {
            record.append(QString());
        }
        result.rows.append(record);
    }
    return result;
}

} // namespace PartsListFormat
