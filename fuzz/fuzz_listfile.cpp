// The parts-list reader on arbitrary bytes, and the round trip: whatever
// was read, saved again and read back, gives the same rows (and so, saved,
// the same bytes). The same rows are also written as older tools wrote them,
// alone and mixed row by row with rows of ours, and read back. A list kept
// as record slices writes what its cells would.
#include "listfile/partslistreader.h"
#include "listfile/partslistwriter.h"
#include "listfile/recordslices.h"
#include "platform/codepage.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int Fields = PartsListReader::FieldsPerRecord;

// A cell the old form can hold unambiguously: one line, no comma (after an
// undoubled quote it reads as a field end), a quote only at its end (an inch
// mark, or a quote alone).
QString oldCell(const QString &cell)
{
    QString text = cell;
    text.remove(QLatin1Char('"')).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    text.remove(QLatin1Char(','));
    return cell.contains(QLatin1Char('"')) ? text + QLatin1Char('"') : text;
}

// One line; quotes anywhere.
QString ourCell(const QString &cell)
{
    QString text = cell;
    return text.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
}

void checkBothForms(const QList<QString> &read)
{
    QByteArray oldOnly;
    QByteArray mixed;
    for (qsizetype row = 0; row * Fields < read.size(); ++row) {
        const bool ours = row % 2 == 1;
        QByteArray oldRecord;
        QList<QString> cells;
        for (int column = 0; column < Fields; ++column) {
            const QString &cell = read[row * Fields + column];
            cells.append(ours ? ourCell(cell) : oldCell(cell));
            const CodePage::Encoded encoded = CodePage::encode(oldCell(cell));
            if (!encoded.unencodable.isEmpty()) {
                return;
            }
            oldRecord += (column ? ",\"" : "\"") + encoded.bytes + '"';
        }
        oldRecord += "\r\n";
        oldOnly += oldRecord;
        if (ours) {
            const PartsListWriter::Encoded encoded = PartsListWriter::encode(cells, 0);
            if (!encoded.unencodable.isEmpty()) {
                return;
            }
            mixed += encoded.bytes;
        } else {
            mixed += oldRecord;
        }
    }
    QList<QString> oldExpected = read;
    for (QString &cell : oldExpected) {
        cell = oldCell(cell);
    }
    const PartsListReader::Result old = PartsListReader::read(oldOnly);
    const PartsListReader::Result both = PartsListReader::read(mixed);
    // Which cell an old quote belongs to can be ambiguous (the unit tests hold
    // the cases that must read as written); here both must give six fields a
    // record, and not one more record than was written.
    if (old.cells.size() % Fields != 0 || both.cells.size() % Fields != 0 ||
        old.cells.size() > oldExpected.size()) {
        std::abort();
    }
}

void checkRecords(const QByteArray &bytes, const QList<QString> &cells)
{
    const std::optional<RecordSlices> records = RecordSlices::of(bytes);
    if (!records) {
        return;
    }
    QByteArray written;
    QList<PartsListWriter::UnencodableRow> unencodable;
    records->write(
        {}, false,
        [&written](QByteArrayView chunk) {
            written += chunk;
            return true;
        },
        unencodable);
    if (written != bytes || written != PartsListWriter::encode(cells, 0).bytes ||
        !unencodable.isEmpty()) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The input itself, not a copy: a read past its end is caught at once.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const PartsListReader::Result first = PartsListReader::read(bytes);
    if (first.cells.size() % Fields != 0) {
        std::abort();
    }
    checkBothForms(first.cells);
    checkRecords(bytes, first.cells);
    const PartsListWriter::Encoded saved = PartsListWriter::encode(first.cells, 0);
    if (!saved.unencodable.isEmpty()) {
        return 0; // "?" replaced some characters: not the same text any more
    }
    checkRecords(saved.bytes, first.cells);
    const PartsListReader::Result again = PartsListReader::read(saved.bytes);
    // Saving is a function of the cells alone, so cells equal to the first
    // ones save to the same bytes again: comparing the cells covers both.
    if (again.cells != first.cells || again.truncation) {
        std::abort();
    }
    return 0;
}
