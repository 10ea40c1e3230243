// The drawing scanner on arbitrary bytes, read in small and large pieces:
// no crash, every reported line within the kept length, and the same blocks
// whatever the piece size. Buffers are sized to the input and devices are
// unbuffered: under the address sanitizer every large allocation is filled,
// which would cost more than the scan itself.
#include "extract/drawingscanner.h"
#include "extract/titleextractor.h"

#include <QBuffer>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

// A device that hands out at most `piece` bytes per read, to cross chunk edges.
class PieceBuffer : public QBuffer
{
public:
    PieceBuffer(QByteArray *data, qint64 piece) : QBuffer(data), m_piece(piece) {}

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        return QBuffer::readData(data, std::min(maxSize, m_piece));
    }

private:
    qint64 m_piece;
};

// A digest of every reported line (FNV-1a, with the lengths), which compares
// two scans without keeping the lines: allocations cost the most here.
std::uint64_t blocks(QByteArray bytes, qint64 piece, std::size_t chunk, bool decode)
{
    PieceBuffer device(&bytes, piece);
    device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    std::uint64_t digest = 14695981039346656037ull;
    auto mix = [&digest](unsigned char byte) { digest = (digest ^ byte) * 1099511628211ull; };
    DrawingScanner scanner(chunk);
    scanner.scan(device, [&](const DrawingScanner::Block &block) {
        for (const std::string_view line :
             {block.xLine, block.yLine, block.textLine, block.heightLine}) {
            if (line.size() > DrawingScanner::maxLineBytes) {
                std::abort();
            }
            for (const char c : line) {
                mix(static_cast<unsigned char>(c));
            }
            for (int shift = 0; shift < 32; shift += 8) {
                mix(static_cast<unsigned char>(line.size() >> shift));
            }
        }
        // One text an input is enough: making a decoder costs more than the scan.
        if (decode) {
            scanner.decodeText(block.textLine);
            decode = false;
        }
    });
    return digest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The input itself, not a copy: a read past its end is caught at once.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // The last byte picks the small pieces, so that every chunk edge gets crossed.
    const qint64 piece = size > 0 ? 1 + data[size - 1] % 61 : 7;
    if (blocks(bytes, qint64(size) + 1, std::max<std::size_t>(size, 16), false) !=
        blocks(bytes, piece, 16, true)) {
        std::abort();
    }
    static const std::array<QString, 12> positions = [] {
        std::array<QString, 12> zeros;
        zeros.fill(QStringLiteral("0"));
        return zeros;
    }();
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    // Small pieces were crossed above; here the reading of whole files and
    // of compressed ones is what counts.
    TitleExtractor(positions, std::max<std::size_t>(size, 16)).extract(buffer);
    return 0;
}
