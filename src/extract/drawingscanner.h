#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>
#include <string_view>

// Streams a drawing file and reports every text block: the item "TEX"
// starts a block whose lines are counted from 1; the first line that is
// exactly "|~" (line n) ends it, and lines n - 21, n - 18 and n - 2 hold X, Y
// and the text. Only the last 21 lines of a block are kept, each cut at
// `maxLineBytes`, so memory stays bounded whatever the file holds. Lines end
// at LF; a CR before it is dropped.
class DrawingScanner
{
public:
    enum class Encoding { CodePage932, Utf8 };

    struct Block
    {
        std::string_view xLine;
        std::string_view yLine;
        std::string_view textLine; // raw bytes, decode with decodeText()
    };
    using BlockHandler = std::function<void(const Block &)>;

    static constexpr std::size_t maxLineBytes = 256 * 1024;

    // Bytes read at a time; the default suits files of any size.
    explicit DrawingScanner(std::size_t chunkSize = 1 << 20) : m_chunkSize(chunkSize) {}

    // Reads `device` to its end; false on a read error (errorString() says why).
    bool scan(QIODevice &device, const BlockHandler &onBlock);

    Encoding encoding() const { return m_encoding; }
    QString decodeText(std::string_view bytes) const;
    QString errorString() const { return m_error; }

    // "ENCODING:UTF-8" in the first section, or a byte-order mark, means UTF-8.
    static Encoding detectEncoding(std::string_view head);

private:
    std::size_t m_chunkSize;
    Encoding m_encoding = Encoding::CodePage932;
    QString m_error;
};
