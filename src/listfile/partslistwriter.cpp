#include "partslistwriter.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int fieldsPerRecord = 6;

// A message names a few of a row's characters, enough to find them.
constexpr qsizetype maxCharactersShown = 8;

// The records of `count` rows whose cells `cellAt(row, column)` gives, as
// text, quotes doubled in one pass.
template <typename CellAt> QString recordsText(qsizetype count, const CellAt &cellAt)
{
    QString text;
    qsizetype length = 0;
    for (qsizetype row = 0; row < count; ++row) {
        length += fieldsPerRecord * 3 + 1;
        for (int col = 0; col < fieldsPerRecord; ++col) {
            length += cellAt(row, col).size();
        }
    }
    text.reserve(length);
    for (qsizetype row = 0; row < count; ++row) {
        for (int col = 0; col < fieldsPerRecord; ++col) {
            if (col > 0) {
                text.append(u',');
            }
            text.append(u'"');
            // Quotes are doubled segment by segment: QString::replace with a
            // longer text moves the tail once per thousand quotes, which is
            // quadratic on a cell made of quotes.
            const QStringView rest = cellAt(row, col);
            qsizetype from = 0;
            for (qsizetype found = rest.indexOf(u'"'); found >= 0;
                 found = rest.indexOf(u'"', found + 1)) {
                text.append(rest.sliced(from, found + 1 - from));
                text.append(u'"');
                from = found + 1;
            }
            text.append(rest.sliced(from));
            text.append(u'"');
        }
        text.append(QStringLiteral("\r\n"));
    }
    return text;
}

// Cells kept six a row in one list.
auto cellsOf(const QList<QString> &cells, qsizetype firstRow)
{
    return [&cells, firstRow](qsizetype row, int col) {
        return QStringView(cells.at((firstRow + row) * fieldsPerRecord + col));
    };
}

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

// The records of `count` rows whose cells `cellAt(row, column)` gives.
template <typename CellAt>
PartsListWriter::Encoded encodeRecords(qsizetype count, const CellAt &cellAt)
{
    PartsListWriter::Encoded result;
    // Every cell straight into the one output buffer, sized for one byte a
    // character and grown when a row might not fit: a character takes at
    // most two bytes, a doubled quote two.
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
        if (const qsizetype room = roomFor(index, 2); bytes.size() - used < room) {
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
            written = CodePage::encodeTo(cell, written, &unencodable);
            if (!unencodable.isEmpty()) {
                if (result.unencodable.isEmpty() || result.unencodable.last().row != index) {
                    result.unencodable.append({index, QString()});
                }
                QString &characters = result.unencodable.last().characters;
                for (qsizetype position : std::as_const(unencodable)) {
                    const QString character = characterAt(cell, position);
                    if (characters.size() < maxCharactersShown && !characters.contains(character)) {
                        characters.append(character);
                    }
                }
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
    return encodeRecords(rowsFrom(cells, firstRow, rowCount), cellsOf(cells, firstRow));
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
    return recordsText(rowsFrom(cells, firstRow, rowCount), cellsOf(cells, firstRow)).toUtf8();
}
