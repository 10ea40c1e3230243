#pragma once

#include "partslistwriter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// A parts list that is only sorted and written again (the batch program's
// --list), kept as the bytes it was read from, each record a slice of them:
// 100,000 rows then cost no string a cell, and writing a record is copying
// its bytes. Only a list exactly as the writer writes it is kept so (one
// record a line, every field quoted, only characters that encode back to
// the same bytes), so the copy is what decoding and encoding would give;
// any other list is read as cells.
class RecordSlices
{
public:
    static constexpr int FieldsPerRecord = 6;

    // Nothing when the bytes are not in that form, or hold no record.
    static std::optional<RecordSlices> of(const QByteArray &bytes);

    qsizetype count() const { return m_ends.size(); }
    QByteArrayView record(qsizetype index) const;
    QString firstField(qsizetype index) const;

    // These records and `rows` (six cells a row, appended after them), in
    // the table's order by the first column when `sort`, handed to `put` in
    // chunks; stops when `put` returns false. Rows with characters the code
    // page lacks are added to `unencodable`, counted in the written order.
    bool write(const QList<QString> &rows, bool sort,
               const std::function<bool(QByteArrayView chunk)> &put,
               QList<PartsListWriter::UnencodableRow> &unencodable) const;

private:
    QByteArray m_bytes;
    QList<qsizetype> m_ends; // record i is [m_ends[i - 1] or 0, m_ends[i])
};
