// The drawing scanner on arbitrary bytes, read in small and large pieces:
// no crash, every reported line within the kept length, and the same blocks
// whatever the piece size.
#include "extract/drawingscanner.h"
#include "extract/titleextractor.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

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

std::vector<std::string> blocks(QByteArray bytes, qint64 piece, std::size_t chunk)
{
    PieceBuffer device(&bytes, piece);
    device.open(QIODevice::ReadOnly);
    std::vector<std::string> seen;
    DrawingScanner scanner(chunk);
    scanner.scan(device, [&](const DrawingScanner::Block &block) {
        for (const std::string_view line :
             {block.xLine, block.yLine, block.textLine, block.heightLine}) {
            if (line.size() > DrawingScanner::maxLineBytes) {
                std::abort();
            }
            seen.emplace_back(line);
        }
        scanner.decodeText(block.textLine);
    });
    return seen;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (blocks(bytes, 1 << 20, 1 << 16) != blocks(bytes, 7, 16)) {
        std::abort();
    }
    std::array<QString, 12> positions;
    positions.fill(QStringLiteral("0"));
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    TitleExtractor(positions).extract(buffer);
    return 0;
}
