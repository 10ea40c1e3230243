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
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

// A device that hands out at most `piece` bytes per read, to cross chunk
// edges. One serves every read of every input: building a device costs more
// than scanning a short input.
class PieceBuffer : public QBuffer
{
public:
    QIODevice &serve(QByteArray *data, qint64 piece)
    {
        close();
        setBuffer(data);
        m_piece = piece;
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        return *this;
    }
    // Lets go of the input, which ends with the call.
    void release()
    {
        close();
        setBuffer(nullptr);
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        return QBuffer::readData(data, std::min(maxSize, m_piece));
    }

private:
    qint64 m_piece = 1;
};

PieceBuffer &device()
{
    static PieceBuffer buffer;
    return buffer;
}

// A digest of every reported line (FNV-1a, with the lengths), which compares
// two scans without keeping the lines: allocations cost the most here.
std::uint64_t blocks(QByteArray &bytes, qint64 piece, std::size_t chunk, bool decode)
{
    QIODevice &input = device().serve(&bytes, piece);
    std::uint64_t digest = 14695981039346656037ull;
    auto mix = [&digest](unsigned char byte) { digest = (digest ^ byte) * 1099511628211ull; };
    DrawingScanner scanner(chunk);
    scanner.scan(input, [&](const DrawingScanner::Block &block) {
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

// An extractor whose chunk holds the whole input, one per power of two:
// building one parses its twelve positions, which costs more than a small scan.
const TitleExtractor &extractorFor(std::size_t size)
{
    static const std::array<QString, 12> positions = [] {
        std::array<QString, 12> zeros;
        zeros.fill(QStringLiteral("0"));
        return zeros;
    }();
    static std::array<std::unique_ptr<TitleExtractor>, 64> extractors;
    const std::size_t chunk = std::bit_ceil(std::max<std::size_t>(size, 16));
    std::unique_ptr<TitleExtractor> &extractor = extractors[std::size_t(std::countr_zero(chunk))];
    if (!extractor) {
        extractor = std::make_unique<TitleExtractor>(positions, chunk);
    }
    return *extractor;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The input itself, not a copy: a read past its end is caught at once.
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // The last byte picks the small pieces and chunks (16 to 128 bytes), so
    // that chunk edges fall anywhere without every input paying for the smallest.
    const unsigned last = size > 0 ? data[size - 1] : 0;
    const qint64 piece = 1 + last % 61;
    const std::size_t chunk = std::size_t(16) << (last / 61 % 4);
    if (blocks(bytes, qint64(size) + 1, std::max<std::size_t>(size, 16), false) !=
        blocks(bytes, piece, chunk, true)) {
        std::abort();
    }
    // Small pieces were crossed above; here the reading of whole files and
    // of compressed ones is what counts.
    extractorFor(size).extract(device().serve(&bytes, qint64(size) + 1));
    device().release();
    return 0;
}
