#include "codepage.h"

#include <QStringDecoder>

#include <array>
#include <optional>
#include <vector>

namespace {

#include "codepagetable.inc"

constexpr char16_t noCharacter = 0xFFFF;
constexpr quint16 noBytes = 0xFFFF;

bool isTrail(uchar byte)
{
    return byte >= firstTrail && byte <= lastTrail && byte != 0x7F;
}

// The generated table spread out for lookup by byte and by character.
class Tables
{
public:
    Tables() : m_pairs(256 * 256, noCharacter), m_bytes(0x10000, noBytes)
    {
        std::size_t row = 0;
        for (const auto &range : leadBytes) {
            for (int lead = range[0]; lead <= range[1]; ++lead, ++row) {
                for (int trail = firstTrail; trail <= lastTrail; ++trail) {
                    m_pairs[std::size_t(lead) << 8 | std::size_t(trail)] =
                        doubleByte[row][trail - firstTrail];
                }
            }
        }
        // Of a character's codes, the one Windows writes is entered last.
        std::vector<bool> oneWay(0x10000, false);
        for (const unsigned short code : decodeOnly) {
            oneWay[code] = true;
        }
        for (std::size_t code = 0x8100; code < m_pairs.size(); ++code) {
            if (m_pairs[code] != noCharacter && !oneWay[code]) {
                m_bytes[m_pairs[code]] = quint16(code);
            }
        }
        for (int byte = 0; byte < 256; ++byte) {
            if (singleByte[byte] != noCharacter) {
                m_bytes[singleByte[byte]] = quint16(byte);
            }
        }
    }

    // Hands `emit` each character of `bytes` and the byte it starts at, a
    // sequence that is no character as noCharacter: a lead byte with a byte
    // that could trail it as one, otherwise the lead byte alone (a line end
    // after a broken character stays a line end). Stops where `emit` says false.
    template <typename Emit> void walk(QByteArrayView bytes, const Emit &emit) const
    {
        const auto *byte = reinterpret_cast<const uchar *>(bytes.data());
        const auto *const end = byte + bytes.size();
        // A local, not the member: every character written could alias it otherwise.
        const char16_t *const pairs = m_pairs.data();
        while (byte < end) {
            const char16_t single = singleByte[*byte];
            if (single != noCharacter) {
                if (!emit(single, byte)) {
                    return;
                }
                ++byte;
            } else if (byte + 1 < end && isTrail(byte[1])) {
                if (!emit(pairs[std::size_t(*byte) << 8 | byte[1]], byte)) {
                    return;
                }
                byte += 2;
            } else if (!emit(noCharacter, byte++)) {
                return;
            }
        }
    }

    // Characters written to `out` (room for one a byte), or -1 at the first
    // sequence that is no character when `stopAtInvalid`; U+FFFD for it otherwise.
    qsizetype decode(QByteArrayView bytes, char16_t *out, bool stopAtInvalid) const
    {
        char16_t *written = out;
        bool valid = true;
        walk(bytes, [&](char16_t c, const uchar *) {
            valid = c != noCharacter;
            *written++ = valid ? c : char16_t(QChar::ReplacementCharacter);
            return valid || !stopAtInvalid;
        });
        return valid || !stopAtInvalid ? written - out : -1;
    }

    // How many bytes from the start are printable characters that encode
    // back to the same bytes, up to the first `stop` byte.
    qsizetype writtenBackUntil(QByteArrayView bytes, uchar stop) const
    {
        const auto *const start = reinterpret_cast<const uchar *>(bytes.data());
        const auto *const end = start + bytes.size();
        const quint16 *const codes = m_bytes.data();
        const auto *byte = start;
        while (byte < end) {
            const char16_t single = singleByte[*byte];
            if (single != noCharacter) {
                if (*byte == stop || *byte < 0x20 || codes[single] != *byte) {
                    break;
                }
                ++byte;
                continue;
            }
            if (byte + 1 == end) {
                break;
            }
            const std::size_t code = std::size_t(*byte) << 8 | byte[1];
            const char16_t pair = m_pairs[code];
            if (pair == noCharacter || codes[pair] != code) {
                break;
            }
            byte += 2;
        }
        return byte - start;
    }

    // By character: one byte (< 0x100), lead * 256 + trail, or noBytes.
    const quint16 *encoding() const { return m_bytes.data(); }

private:
    std::vector<char16_t> m_pairs; // by lead byte * 256 + trail byte
    std::vector<quint16> m_bytes;
};

const Tables &tables()
{
    static const Tables instance;
    return instance;
}

} // namespace

namespace CodePage {

namespace {

// Decodes into a string allocated once, at its size when it is short.
std::optional<QString> decodeWith(QByteArrayView bytes, bool stopAtInvalid)
{
    const Tables &table = tables();
    constexpr qsizetype onStack = 256;
    if (bytes.size() <= onStack) {
        std::array<char16_t, onStack> buffer;
        const qsizetype length = table.decode(bytes, buffer.data(), stopAtInvalid);
        if (length < 0) {
            return std::nullopt;
        }
        return QString(reinterpret_cast<const QChar *>(buffer.data()), length);
    }
    QString decoded(bytes.size(), Qt::Uninitialized);
    const qsizetype length =
        table.decode(bytes, reinterpret_cast<char16_t *>(decoded.data()), stopAtInvalid);
    if (length < 0) {
        return std::nullopt;
    }
    decoded.resize(length);
    // Double-byte characters leave up to half of it unused.
    if (length < bytes.size() - bytes.size() / 8) {
        decoded.squeeze();
    }
    return decoded;
}

} // namespace

bool decodeValid(QByteArrayView bytes, QString &text)
{
    std::optional<QString> decoded = decodeWith(bytes, true);
    if (decoded) {
        text = *std::move(decoded);
    }
    return decoded.has_value();
}

QString decode(QByteArrayView bytes)
{
    return *decodeWith(bytes, false);
}

qsizetype countInvalid(QByteArrayView bytes, qsizetype *first)
{
    qsizetype count = 0;
    tables().walk(bytes, [&](char16_t c, const uchar *at) {
        if (c == noCharacter && count++ == 0 && first) {
            *first = reinterpret_cast<const char *>(at) - bytes.data();
        }
        return true;
    });
    return count;
}

qsizetype writtenBackUntil(QByteArrayView bytes, char stop)
{
    return tables().writtenBackUntil(bytes, uchar(stop));
}

QString decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return decoder(bytes);
}

} // namespace CodePage

namespace {

// A character the code page lacks, at `pos`, written as "?"; a surrogate
// pair is one character. Out of the encoding loop, which then keeps
// everything in registers.
Q_NEVER_INLINE qsizetype writeUnencodable(QStringView text, qsizetype pos, char *out,
                                          QList<qsizetype> *unencodable)
{
    *out = '?';
    if (unencodable) {
        unencodable->append(pos);
    }
    const bool pair =
        text[pos].isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate();
    return pair ? 2 : 1;
}

} // namespace

namespace CodePage {

char *encodeTo(QStringView text, char *out, QList<qsizetype> *unencodable)
{
    const quint16 *const encoding = tables().encoding();
    const char16_t *const begin = text.utf16();
    const char16_t *const end = begin + text.size();
    for (const char16_t *unit = begin; unit < end;) {
        const quint16 bytes = encoding[*unit];
        if (bytes < 0x100) {
            *out++ = char(bytes);
            ++unit;
        } else if (bytes != noBytes) {
            *out++ = char(bytes >> 8);
            *out++ = char(bytes & 0xFF);
            ++unit;
        } else {
            unit += writeUnencodable(text, unit - begin, out++, unencodable);
        }
    }
    return out;
}

bool encodeInto(QStringView text, QByteArray &out, QList<qsizetype> *unencodable)
{
    QList<qsizetype> own;
    QList<qsizetype> *positions = unencodable ? unencodable : &own;
    const qsizetype before = positions->size();
    const qsizetype start = out.size();
    // No character takes more than two bytes.
    out.resize(start + 2 * text.size());
    const char *end = encodeTo(text, out.data() + start, positions);
    out.resize(end - out.constData());
    return positions->size() == before;
}

Encoded encode(QStringView text)
{
    Encoded result;
    encodeInto(text, result.bytes, &result.unencodable);
    return result;
}

bool canEncode(QStringView text)
{
    QByteArray bytes;
    return encodeInto(text, bytes);
}

} // namespace CodePage
