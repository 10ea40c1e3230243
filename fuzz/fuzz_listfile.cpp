// The parts-list reader on arbitrary bytes, and the round trip: whatever
// was read, saved again and read back, gives the same rows (and so, saved,
// the same bytes).
#include "listfile/partslistreader.h"
#include "listfile/partslistwriter.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The input itself, not a copy: a read past its end is caught at once.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const PartsListReader::Result first = PartsListReader::read(bytes);
    if (first.cells.size() % PartsListReader::FieldsPerRecord != 0) {
        std::abort();
    }
    const PartsListWriter::Encoded saved = PartsListWriter::encode(first.cells, 0);
    if (!saved.unencodable.isEmpty()) {
        return 0; // "?" replaced some characters: not the same text any more
    }
    const PartsListReader::Result again = PartsListReader::read(saved.bytes);
    // Saving is a function of the cells alone, so cells equal to the first
    // ones save to the same bytes again: comparing the cells covers both.
    if (again.cells != first.cells || again.truncation) {
        std::abort();
    }
    return 0;
}
