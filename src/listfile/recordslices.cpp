#include "recordslices.h"

#include "platform/codepage.h"
#include "shell/sortrule.h"

#include <cstring>

namespace {

// The end of the quoted field at `at` (past its closing quote), or -1 when
// it is not one the writer writes: a quote only doubled inside, no control
// character, and every character written back as the same bytes.
qsizetype quotedFieldEnd(const char *data, qsizetype size, qsizetype at)
{
    if (at >= size || data[at] != '"') {
        return -1;
    }
    for (qsizetype from = at + 1;;) {
        // A quote byte is never part of a double-byte character.
        const qsizetype quote =
            from + CodePage::writtenBackUntil(QByteArrayView(data + from, size - from), '"');
        if (quote == size || data[quote] != '"') {
            return -1;
        }
        if (quote + 1 < size && data[quote + 1] == '"') {
            from = quote + 2;
            continue;
        }
        return quote + 1;
    }
}

} // namespace

std::optional<RecordSlices> RecordSlices::of(const QByteArray &bytes)
{
    RecordSlices slices;
    const char *const data = bytes.constData();
    const qsizetype size = bytes.size();
    // A record takes at least 18 bytes; most lists' take a hundred or so.
    slices.m_ends.reserve(size / 64 + 1);
    for (qsizetype at = 0; at < size;) {
        for (int field = 0; field < FieldsPerRecord; ++field) {
            at = quotedFieldEnd(data, size, at);
            const char *const after = field + 1 < FieldsPerRecord ? "," : "\r\n";
            const qsizetype length = qsizetype(std::strlen(after));
            if (at < 0 || size - at < length || std::memcmp(data + at, after, length) != 0) {
                return std::nullopt;
            }
            at += length;
        }
        slices.m_ends.append(at);
    }
    if (slices.m_ends.isEmpty()) {
        return std::nullopt;
    }
    slices.m_bytes = bytes;
    return slices;
}

QByteArrayView RecordSlices::record(qsizetype index) const
{
    const qsizetype begin = index > 0 ? m_ends[index - 1] : 0;
    return QByteArrayView(m_bytes).sliced(begin, m_ends[index] - begin);
}

QString RecordSlices::firstField(qsizetype index) const
{
    const QByteArrayView bytes = record(index);
    const qsizetype close = quotedFieldEnd(bytes.data(), bytes.size(), 0);
    QString text = CodePage::decode(bytes.sliced(1, close - 2));
    return text.contains(u'"') ? text.replace(QStringLiteral("\"\""), QStringLiteral("\"")) : text;
}

bool RecordSlices::write(const QList<QString> &rows, bool sort,
                         const std::function<bool(QByteArrayView chunk)> &put,
                         QList<PartsListWriter::UnencodableRow> &unencodable) const
{
    const qsizetype total = count() + rows.size() / FieldsPerRecord;
    QList<qsizetype> order;
    if (sort) {
        // One string refilled for each record's key: no string a record.
        QString key;
        order = SortRule().order(total, [&](qsizetype index) -> const QString & {
            if (index >= count()) {
                return rows.at((index - count()) * FieldsPerRecord);
            }
            key = firstField(index);
            return key;
        });
    }
    // Chunks of a few records' size, one buffer reused for all of them.
    constexpr qsizetype chunkSize = 256 * 1024;
    QByteArray chunk;
    chunk.reserve(chunkSize + 4096);
    for (qsizetype position = 0; position < total; ++position) {
        const qsizetype index = sort ? order[position] : position;
        if (index < count()) {
            chunk.append(record(index));
        } else {
            PartsListWriter::Encoded row = PartsListWriter::encode(rows, index - count(), 1);
            chunk.append(row.bytes);
            for (PartsListWriter::UnencodableRow &bad : row.unencodable) {
                bad.row = position;
                unencodable.append(bad);
            }
        }
        if (chunk.size() >= chunkSize || position + 1 == total) {
            if (!put(chunk)) {
                return false;
            }
            chunk.resize(0);
        }
    }
    return true;
}
