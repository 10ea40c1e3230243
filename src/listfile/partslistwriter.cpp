#include "partslistwriter.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int fieldsPerRecord = 6;

// A message names a few of a row's characters, enough to find them.
constexpr qsizetype maxCharactersShown = 8;

// Rows from `firstRow` on, at most `rowCount` of them when that is not -1.
qsizetype rowsFrom(const QList<QString> &cells, qsizetype firstRow, qsizetype rowCount)
{
    const qsizetype rest = std::max<qsizetype>(0, cells.size() / fieldsPerRecord - firstRow);
    return rowCount < 0 ? rest : std::min(rest, rowCount);
}

QString characterAt(QStringView text, qsizetype position)
{
    const qsizetype length = text[position].isHighSurrogate() && position + 1 < text.size() &&
                                     text[position + 1].isLowSurrogate()
                                 ? 2
                                 : 1;
    return text.sliced(position, length).toString();
}

// Doubles every quote in [from, end), which has room for as many bytes
// again; returns the new end. A quote byte is never part of a double-byte
// character, so the encoded cell can be searched as bytes.
char *doubleQuotes(char *from, char *end)
{
    if (std::memchr(from, '"', std::size_t(end - from)) == nullptr) {
        return end;
    }
    const auto quotes = std::count(from, end, '"');
    char *written = end + quotes;
    char *const newEnd = written;
    for (const char *read = end; read > from;) {
        const char byte = *--read;
        *--written = byte;
        if (byte == '"') {
            *--written = byte;
        }
    }
    return newEnd;
}

// Adds the characters at `positions` of a cell in row `row` to the rows told.
void note(QList<PartsListWriter::UnencodableRow> &rows, qsizetype row, QStringView cell,
          const QList<qsizetype> &positions)
{
    if (rows.isEmpty() || rows.last().row != row) {
        rows.append({row, QString()});
    }
    QString &characters = rows.last().characters;
    for (const qsizetype position : positions) {
        const QString character = characterAt(cell, position);
        if (characters.size() < maxCharactersShown && !characters.contains(character)) {
            characters.append(character);
        }
    }
}

// The records of `count` rows from `firstRow` on, in UTF-8 or code page 932.
PartsListWriter::Encoded encodeRecords(const QList<QString> &cells, qsizetype firstRow,
                                       qsizetype count, bool utf8)
{
    const auto cellAt = [&cells, firstRow](qsizetype row, int col) {
        return QStringView(cells.at((firstRow + row) * fieldsPerRecord + col));
    };
    PartsListWriter::Encoded result;
    // Every cell straight into the one output buffer, sized for one byte a
    // character and grown when a row might not fit: a character takes at
    // most two bytes in code page 932 and three in UTF-8, a doubled quote two.
    const auto roomFor = [&cellAt](qsizetype row, qsizetype perCharacter) {
        qsizetype room = fieldsPerRecord * 3 + 1;
        for (int col = 0; col < fieldsPerRecord; ++col) {
            room += perCharacter * cellAt(row, col).size();
        }
        return room;
    };
    qsizetype estimate = 0;
    for (qsizetype row = 0; row < count; ++row) {
        estimate += roomFor(row, 1);
    }
    QByteArray &bytes = result.bytes;
    bytes.reserve(estimate);
    bytes.resize(estimate);
    char *written = bytes.data();
    QList<qsizetype> unencodable;
    for (qsizetype index = 0; index < count; ++index) {
        const qsizetype used = written - bytes.constData();
        if (const qsizetype room = roomFor(index, utf8 ? 3 : 2); bytes.size() - used < room) {
            bytes.reserve(std::max(bytes.size() + bytes.size() / 4, used + room));
            bytes.resize(bytes.capacity());
            written = bytes.data() + used;
        }
        for (int col = 0; col < fieldsPerRecord; ++col) {
            if (col > 0) {
                *written++ = ',';
            }
            *written++ = '"';
            const QStringView cell = cellAt(index, col);
            char *cellStart = written;
            if (utf8) {
                // A broken surrogate pair becomes "?", as in code page 932.
                const QByteArray encoded = cell.toUtf8();
                written = std::copy(encoded.cbegin(), encoded.cend(), written);
            } else {
                written = CodePage::encodeTo(cell, written, &unencodable);
            }
            if (!unencodable.isEmpty()) {
                note(result.unencodable, index, cell, unencodable);
                unencodable.clear();
            }
            written = doubleQuotes(cellStart, written);
            *written++ = '"';
        }
        *written++ = '\r';
        *written++ = '\n';
    }
    bytes.resize(written - bytes.constData());
    return result;
}

} // namespace

PartsListWriter::Encoded PartsListWriter::encode(const QList<QString> &cells, qsizetype firstRow,
                                                 qsizetype rowCount)
{
    return encodeRecords(cells, firstRow, rowsFrom(cells, firstRow, rowCount), false);
}

QString PartsListWriter::describe(const QList<UnencodableRow> &rows, int limit)
{
    QStringList lines;
    for (const UnencodableRow &row : rows) {
        if (lines.size() == limit) {
            lines.append(QStringLiteral("ほか %1 行").arg(rows.size() - limit));
            break;
        }
        lines.append(QStringLiteral("%1 行目（%2）").arg(row.row + 1).arg(row.characters));
    }
    return lines.join(u'\n');
}

QByteArray PartsListWriter::encodeUtf8(const QList<QString> &cells, qsizetype firstRow,
                                       qsizetype rowCount)
{
    return encodeRecords(cells, firstRow, rowsFrom(cells, firstRow, rowCount), true).bytes;
}
