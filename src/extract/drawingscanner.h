#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>
#include <string_view>

// Streams a drawing file and reports every text record: the item "TEX"
// starts a block whose lines are counted from 1; the first line that is
// exactly "|~" (line n) ends it. The record is read by its structure when
// exactly one of the two record layouts drawings are written in fits it: the
// position is the translation of the text's matrix and the text is its lines
// joined by one blank. Any other block is read by fixed lines: X on n - 21,
// Y on n - 18, the text on n - 2. Only a few lines of a block are kept, each
// cut at `maxLineBytes`, so memory stays bounded whatever the file holds.
// Lines end at LF; a CR before it is dropped.
class DrawingScanner
{
public:
    enum class Encoding { CodePage932, Utf8 };

    struct Block
    {
        std::string_view xLine;
        std::string_view yLine;
        std::string_view textLine;   // raw bytes, decode with decodeText()
        std::string_view heightLine; // the text's height; empty when the record was not recognised
    };
    using BlockHandler = std::function<void(const Block &)>;

    static constexpr std::size_t maxLineBytes = 256 * 1024;
    // How much of the start of a file tells its encoding.
    static constexpr std::size_t headBytes = 64 * 1024;

    // Bytes read at a time; the default suits files of any size.
    static constexpr std::size_t defaultChunkSize = 128 * 1024;
    explicit DrawingScanner(std::size_t chunkSize = defaultChunkSize) : m_chunkSize(chunkSize) {}

    // Reads `device` to its end; false on a read error (errorString() says why).
    bool scan(QIODevice &device, const BlockHandler &onBlock);
    // Called from the block handler: the scan ends after the bytes at hand,
    // as if the file ended there.
    void stop() { m_stopped = true; }

    Encoding encoding() const { return m_encoding; }
    QString decodeText(std::string_view bytes) const;
    QString errorString() const { return m_error; }
    // Text records (terminated TEX blocks) seen by the last scan, reported or not.
    long long textRecords() const { return m_textRecords; }

    // A byte-order mark or "ENCODING:UTF-8" in the first section means UTF-8,
    // "ENCODING:SJIS" code page 932; undeclared, a format version of 3.20 or
    // later (12th line of section #~3) means UTF-8.
    static Encoding detectEncoding(std::string_view head);

private:
    std::size_t m_chunkSize;
    Encoding m_encoding = Encoding::CodePage932;
    QString m_error;
    long long m_textRecords = 0;
    bool m_stopped = false;
};
