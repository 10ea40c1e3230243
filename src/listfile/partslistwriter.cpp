#include "partslistwriter.h"

#include "platform/codepage.h"

#include <algorithm>

namespace {

constexpr int fieldsPerRecord = 6;

// Pieces at most this long go to the per-character encoder directly; longer
// ones are halved until the characters the code page lacks are found, so a
// huge table with one such character costs little more than a clean one.
constexpr qsizetype smallPiece = 64;

// A message names a few of a row's characters, enough to find them.
constexpr qsizetype maxCharactersShown = 8;

struct Builder
{
    QString text;
    QList<qsizetype> rowStarts; // where each record begins in `text`
};

Builder recordsText(const QList<QStringList> &rows)
{
    Builder builder;
    qsizetype length = 0;
    for (const QStringList &row : rows) {
        length += 6 * 3 + 1;
        for (int col = 0; col < fieldsPerRecord && col < row.size(); ++col) {
            length += row.at(col).size();
        }
    }
    builder.text.reserve(length);
    builder.rowStarts.reserve(rows.size());
    for (const QStringList &row : rows) {
        builder.rowStarts.append(builder.text.size());
        for (int col = 0; col < fieldsPerRecord; ++col) {
            if (col > 0) {
                builder.text.append(u',');
            }
            builder.text.append(u'"');
            const QString cell = row.value(col);
            if (cell.contains(u'"')) {
                builder.text.append(
                    QString(cell).replace(QStringLiteral("\""), QStringLiteral("\"\"")));
            } else {
                builder.text.append(cell);
            }
            builder.text.append(u'"');
        }
        builder.text.append(QStringLiteral("\r\n"));
    }
    return builder;
}

// Never split a surrogate pair: each half alone would count as unencodable.
qsizetype middle(QStringView text, qsizetype begin, qsizetype end)
{
    qsizetype mid = begin + (end - begin) / 2;
    if (mid > begin && text[mid].isLowSurrogate() && text[mid - 1].isHighSurrogate()) {
        ++mid;
    }
    return mid;
}

void encodePiece(const QString &text, qsizetype begin, qsizetype end, QByteArray &bytes,
                 QList<qsizetype> &positions)
{
    if (begin >= end) {
        return;
    }
    const QString piece = text.mid(begin, end - begin);
    if (end - begin <= smallPiece || CodePage::canEncode(piece)) {
        const CodePage::Encoded encoded = CodePage::encode(piece);
        bytes.append(encoded.bytes);
        for (qsizetype position : encoded.unencodable) {
            positions.append(begin + position);
        }
        return;
    }
    const qsizetype mid = middle(text, begin, end);
    encodePiece(text, begin, mid, bytes, positions);
    encodePiece(text, mid, end, bytes, positions);
}

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
    const Builder builder = recordsText(rows);
    Encoded result;
    QList<qsizetype> positions;
    if (CodePage::canEncode(builder.text)) {
        result.bytes = CodePage::encode(builder.text).bytes;
        return result;
    }
    result.bytes.reserve(builder.text.size() * 2);
    encodePiece(builder.text, 0, builder.text.size(), result.bytes, positions);

    for (qsizetype position : positions) {
        const auto after =
            std::upper_bound(builder.rowStarts.cbegin(), builder.rowStarts.cend(), position);
        const qsizetype row = (after - builder.rowStarts.cbegin()) - 1;
        if (result.unencodable.isEmpty() || result.unencodable.last().row != row) {
            result.unencodable.append({row, QString()});
        }
        const QString character = characterAt(builder.text, position);
        QString &characters = result.unencodable.last().characters;
        if (characters.size() < maxCharactersShown && !characters.contains(character)) {
            characters.append(character);
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
