#include "partslistwriter.h"

#include "platform/codepage.h"

#include <algorithm>

namespace {

constexpr int fieldsPerRecord = 6;

// A message names a few of a row's characters, enough to find them.
constexpr qsizetype maxCharactersShown = 8;

struct Builder
{
    QString text;
    QList<qsizetype> rowStarts; // where each record begins in `text`
};

// The records of rows [first, last) as text, quotes doubled in one pass.
Builder recordsText(const QList<QStringList> &rows, qsizetype first, qsizetype last)
{
    Builder builder;
    qsizetype length = 0;
    for (qsizetype index = first; index < last; ++index) {
        const QStringList &row = rows.at(index);
        length += 6 * 3 + 1;
        for (int col = 0; col < fieldsPerRecord && col < row.size(); ++col) {
            length += row.at(col).size();
        }
    }
    builder.text.reserve(length);
    builder.rowStarts.reserve(last - first);
    for (qsizetype index = first; index < last; ++index) {
        const QStringList &row = rows.at(index);
        builder.rowStarts.append(builder.text.size());
        for (int col = 0; col < fieldsPerRecord; ++col) {
            if (col > 0) {
                builder.text.append(u',');
            }
            builder.text.append(u'"');
            // Quotes are doubled segment by segment: QString::replace with a
            // longer text moves the tail once per thousand quotes, which is
            // quadratic on a cell made of quotes.
            const QStringView rest = col < row.size() ? QStringView(row.at(col)) : QStringView();
            qsizetype from = 0;
            for (qsizetype found = rest.indexOf(u'"'); found >= 0;
                 found = rest.indexOf(u'"', found + 1)) {
                builder.text.append(rest.sliced(from, found + 1 - from));
                builder.text.append(u'"');
                from = found + 1;
            }
            builder.text.append(rest.sliced(from));
            builder.text.append(u'"');
        }
        builder.text.append(QStringLiteral("\r\n"));
    }
    return builder;
}

Builder recordsText(const QList<QStringList> &rows)
{
    return recordsText(rows, 0, rows.size());
}

// Rows are encoded a few thousand at a time into the one output buffer, so a
// large table is never held a second time as one whole text.
constexpr qsizetype rowsPerChunk = 4096;

QString characterAt(const QString &text, qsizetype position)
{
    const qsizetype length = text.at(position).isHighSurrogate() && position + 1 < text.size() &&
                                     text.at(position + 1).isLowSurrogate()
                                 ? 2
                                 : 1;
    return text.mid(position, length);
}

} // namespace

PartsListWriter::Encoded PartsListWriter::encode(const QList<QStringList> &rows)
{
    Encoded result;
    for (qsizetype first = 0, last = 0; first < rows.size(); first = last) {
        // Once a chunk holds characters the code page lacks, the rest goes
        // in one piece: each distinct character is then asked of the code
        // page once for the whole table, not once per chunk.
        last = result.unencodable.isEmpty() ? std::min(rows.size(), first + rowsPerChunk)
                                            : rows.size();
        const Builder builder = recordsText(rows, first, last);
        CodePage::Encoded encoded = CodePage::encode(builder.text);
        if (first == 0 && last < rows.size()) {
            // The first chunk tells the size of the whole, near enough.
            result.bytes.reserve(qsizetype(double(encoded.bytes.size()) * 1.05 *
                                           double(rows.size()) / double(last)));
        }
        result.bytes.append(encoded.bytes);
        for (qsizetype position : std::as_const(encoded.unencodable)) {
            const auto after =
                std::upper_bound(builder.rowStarts.cbegin(), builder.rowStarts.cend(), position);
            const qsizetype row = first + (after - builder.rowStarts.cbegin()) - 1;
            if (result.unencodable.isEmpty() || result.unencodable.last().row != row) {
                result.unencodable.append({row, QString()});
            }
            const QString character = characterAt(builder.text, position);
            QString &characters = result.unencodable.last().characters;
            if (characters.size() < maxCharactersShown && !characters.contains(character)) {
                characters.append(character);
            }
        }
    }
    return result;
}

QList<PartsListWriter::UnencodableRow>
PartsListWriter::unencodableRows(const QList<QStringList> &rows)
{
    return encode(rows).unencodable;
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

QByteArray PartsListWriter::encodeUtf8(const QList<QStringList> &rows)
{
    return recordsText(rows).text.toUtf8();
}
