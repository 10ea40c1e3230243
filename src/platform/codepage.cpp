#include "codepage.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace {

// ICU's name for code page 932 as Windows maps it (① 髙 ～ round-trip).
constexpr const char *codePageName = "windows-31j";

// ICU's table for this code page swaps three control codes that Windows maps
// to themselves (0x1A, 0x1C, 0x7F). None of them can be the second byte of a
// double-byte character, so they can be mapped around ICU byte by byte.
void toIcuControls(QByteArray &bytes)
{
    for (char &byte : bytes) {
        if (byte == '\x1a') {
            byte = '\x7f';
        } else if (byte == '\x1c') {
            byte = '\x1a';
        } else if (byte == '\x7f') {
            byte = '\x1c';
        }
    }
}

void fromIcuControls(QByteArray &bytes)
{
    for (char &byte : bytes) {
        if (byte == '\x7f') {
            byte = '\x1a';
        } else if (byte == '\x1a') {
            byte = '\x1c';
        } else if (byte == '\x1c') {
            byte = '\x7f';
        }
    }
}

// A fresh encoder each time: once an encoder has seen an error it keeps
// reporting one, even after resetState().
bool encodesCleanly(QStringView text, QByteArray &out)
{
    QStringEncoder encoder(codePageName, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder(text);
    if (!encoder.isValid() || encoder.hasError()) {
        return false;
    }
    if (bytes.contains('\x1a') || bytes.contains('\x1c') || bytes.contains('\x7f')) {
        fromIcuControls(bytes);
    }
    out = bytes;
    return true;
}

// Decoding and encoding by ICU costs a call and a converter state per text;
// most texts are characters ICU maps one to one. These tables hold exactly
// ICU's own mapping (read from it once), so a text is converted by lookup
// and only a text with anything else (an invalid byte, a character that
// needs a fallback or has none) goes through ICU.
class Tables
{
public:
    static constexpr char16_t noCharacter = 0xFFFF;
    static constexpr quint16 noBytes = 0xFFFF;

    Tables() : m_pairs(256 * 256, noCharacter), m_bytes(0x10000, noBytes)
    {
        m_single.fill(noCharacter);
        m_lead.fill(false);
        readDecoding();
        readEncoding();
    }

    // Characters written from `bytes`, or -1 at the first sequence that is
    // no character (`out` holds room for one character a byte).
    qsizetype decode(QByteArrayView bytes, char16_t *out) const
    {
        const auto *byte = reinterpret_cast<const uchar *>(bytes.data());
        const auto *end = byte + bytes.size();
        // Locals, not members: every character written could alias them otherwise.
        const char16_t *const singles = m_single.data();
        const char16_t *const pairs = m_pairs.data();
        char16_t *written = out;
        while (byte < end) {
            const char16_t single = singles[*byte];
            if (single != noCharacter) {
                *written++ = single;
                ++byte;
                continue;
            }
            if (!m_lead[*byte] || byte + 1 == end) {
                return -1;
            }
            const char16_t pair = pairs[std::size_t(*byte) << 8 | byte[1]];
            if (pair == noCharacter) {
                return -1;
            }
            *written++ = pair;
            byte += 2;
        }
        return written - out;
    }

    // By character: one byte (< 0x100), lead * 256 + trail, or noBytes.
    const quint16 *encoding() const { return m_bytes.data(); }

private:
    void readDecoding()
    {
        for (int byte = 0; byte < 256; ++byte) {
            const char raw = char(byte);
            const QString text = CodePage::icuDecode(QByteArrayView(&raw, 1));
            if (text.size() == 1 && text[0] != QChar::ReplacementCharacter) {
                m_single[byte] = text[0].unicode();
            }
        }
        // Every trail byte of one lead in one call, each pair on its own line
        // (no trail byte is a line feed).
        for (int lead = 0; lead < 256; ++lead) {
            if (m_single[lead] != noCharacter) {
                continue;
            }
            QByteArray lines;
            for (int trail = firstTrail; trail <= lastTrail; ++trail) {
                lines.append(char(lead)).append(char(trail)).append('\n');
            }
            const QString text = CodePage::icuDecode(lines);
            const QList<QStringView> decoded = QStringView(text).split(u'\n');
            if (decoded.size() != lastTrail - firstTrail + 2) {
                continue;
            }
            for (int trail = firstTrail; trail <= lastTrail; ++trail) {
                const QStringView character = decoded[trail - firstTrail];
                if (character.size() == 1 && character[0] != QChar::ReplacementCharacter &&
                    !character[0].isSurrogate()) {
                    m_pairs[std::size_t(lead) << 8 | std::size_t(trail)] = character[0].unicode();
                    m_lead[lead] = true;
                }
            }
        }
    }

    // ICU encodes every character the code page decodes to in one call; its
    // bytes are read back with the decoding tables to tell which bytes each
    // character got (of duplicates, ICU's choice). Any surprise leaves the
    // encoding table empty, which only makes encoding slower.
    void readEncoding()
    {
        QString characters;
        for (char16_t single : m_single) {
            if (single != noCharacter) {
                characters.append(QChar(single));
            }
        }
        for (char16_t pair : m_pairs) {
            if (pair != noCharacter) {
                characters.append(QChar(pair));
            }
        }
        const CodePage::Encoded encoded = CodePage::icuEncode(characters);
        const auto *byte = reinterpret_cast<const uchar *>(encoded.bytes.constData());
        const auto *end = byte + encoded.bytes.size();
        std::vector<quint16> found(0x10000, noBytes);
        qsizetype next = 0; // index into encoded.unencodable
        for (qsizetype index = 0; index < characters.size(); ++index) {
            if (byte == end) {
                return;
            }
            if (next < encoded.unencodable.size() && encoded.unencodable[next] == index) {
                ++next;
                ++byte; // its "?"
                continue;
            }
            const char16_t expected = characters[index].unicode();
            if (m_single[*byte] == expected) {
                found[expected] = *byte;
                ++byte;
            } else if (m_lead[*byte] && byte + 1 < end &&
                       m_pairs[std::size_t(*byte) << 8 | byte[1]] == expected) {
                found[expected] = quint16(*byte << 8 | byte[1]);
                byte += 2;
            } else {
                return;
            }
        }
        if (byte == end) {
            m_bytes = std::move(found);
        }
    }

    static constexpr int firstTrail = 0x40;
    static constexpr int lastTrail = 0xFC;

    std::array<char16_t, 256> m_single;
    std::array<bool, 256> m_lead;
    std::vector<char16_t> m_pairs; // by lead byte * 256 + trail byte
    std::vector<quint16> m_bytes;  // by character: one byte (< 0x100) or lead * 256 + trail
};

const Tables &tables()
{
    static const Tables instance;
    return instance;
}

// What ICU makes of one character the tables lack (nothing when it has no
// bytes for it); asked once a character and thread.
std::optional<QByteArray> icuBytesOf(QStringView character)
{
    thread_local QHash<char32_t, std::optional<QByteArray>> known;
    const char32_t key = character.size() == 2
                             ? QChar::surrogateToUcs4(character[0], character[1])
                             : char32_t(character[0].unicode());
    const auto found = known.constFind(key);
    if (found != known.constEnd()) {
        return *found;
    }
    std::optional<QByteArray> answer;
    QByteArray bytes;
    if (encodesCleanly(character, bytes)) {
        answer = bytes;
    }
    if (known.size() >= 4096) {
        known.clear(); // a text of every character there is stays bounded
    }
    known.insert(key, answer);
    return answer;
}

} // namespace

namespace CodePage {

QString icuDecode(QByteArrayView bytes)
{
    // Opening an ICU converter costs more than decoding a title text: one a
    // thread, reused (stateless, so no call sees what an earlier one left).
    thread_local QStringDecoder decoder(codePageName, QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) {
        return QString::fromLatin1(bytes);
    }
    // ICU keeps a lead byte at the very end waiting for its trail byte and
    // would drop it; a line feed after the text makes it come out as invalid.
    // The copy this takes is only made when needed: a list of 60 MB is
    // decoded straight from its bytes.
    const auto hasIcuSwappedControl = [](QByteArrayView view) {
        return view.contains('\x1a') || view.contains('\x1c') || view.contains('\x7f');
    };
    QString text;
    if (!bytes.isEmpty() && quint8(bytes.back()) < 0x80 && !hasIcuSwappedControl(bytes)) {
        text = decoder(bytes);
    } else {
        QByteArray terminated;
        terminated.reserve(bytes.size() + 1);
        terminated.append(bytes);
        terminated.append('\n');
        toIcuControls(terminated);
        text = decoder(terminated);
        text.chop(1);
    }
    // ICU marks invalid bytes with SUB (U+001A); show them as U+FFFD unless
    // the input really held that control character.
    if (text.contains(QChar(0x1A)) && !bytes.contains('\x1a')) {
        text.replace(QChar(0x1A), QChar(QChar::ReplacementCharacter));
    }
    // The decoder sized the text for one character a byte; double-byte
    // characters leave much of that unused.
    text.squeeze();
    return text;
}

bool decodeValid(QByteArrayView bytes, QString &text)
{
    const Tables &table = tables();
    // A cell is decoded on the stack and allocated once at its size.
    constexpr qsizetype onStack = 256;
    if (bytes.size() <= onStack) {
        std::array<char16_t, onStack> buffer;
        const qsizetype length = table.decode(bytes, buffer.data());
        if (length < 0) {
            return false;
        }
        text = QString(reinterpret_cast<const QChar *>(buffer.data()), length);
        return true;
    }
    QString decoded(bytes.size(), Qt::Uninitialized);
    const qsizetype length = table.decode(bytes, reinterpret_cast<char16_t *>(decoded.data()));
    if (length < 0) {
        return false;
    }
    decoded.resize(length);
    // Double-byte characters leave up to half of it unused.
    if (length < bytes.size() - bytes.size() / 8) {
        decoded.squeeze();
    }
    text = std::move(decoded);
    return true;
}

QString decode(QByteArrayView bytes)
{
    QString text;
    if (decodeValid(bytes, text)) {
        return text;
    }
    return icuDecode(bytes);
}

QString decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return decoder(bytes);
}

} // namespace CodePage

namespace {

// A character the tables lack, at `pos`: ICU's bytes for it, or "?". Out of
// the encoding loop, which then keeps everything in registers.
struct Encoding
{
    char *out;           // past the bytes written
    qsizetype taken = 1; // UTF-16 units
};

Q_NEVER_INLINE Encoding encodeByIcu(QStringView text, qsizetype pos, char *out,
                                    QList<qsizetype> *unencodable)
{
    const bool pair =
        text[pos].isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate();
    const qsizetype length = pair ? 2 : 1;
    const std::optional<QByteArray> icuBytes = icuBytesOf(text.sliced(pos, length));
    if (icuBytes && icuBytes->size() <= 2 * length) {
        out = std::copy(icuBytes->cbegin(), icuBytes->cend(), out);
    } else {
        // ICU's own substitute would be a double-byte character.
        *out++ = '?';
        if (unencodable) {
            unencodable->append(pos);
        }
    }
    return {out, length};
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
        } else if (bytes != Tables::noBytes) {
            *out++ = char(bytes >> 8);
            *out++ = char(bytes & 0xFF);
            ++unit;
        } else {
            const Encoding encoded = encodeByIcu(text, unit - begin, out, unencodable);
            out = encoded.out;
            unit += encoded.taken;
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
    // No character takes more than two bytes, a pair of surrogates included.
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

Encoded icuEncode(QStringView text)
{
    Encoded result;
    if (encodesCleanly(text, result.bytes)) {
        return result;
    }
    // Character by character, so each one can be replaced by "?". Each
    // distinct character is asked of ICU once.
    result.bytes.clear();
    result.bytes.reserve(text.size());
    QHash<char32_t, std::optional<QByteArray>> known;
    for (qsizetype pos = 0; pos < text.size();) {
        const bool pair =
            text[pos].isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        const char32_t character =
            pair ? QChar::surrogateToUcs4(text[pos], text[pos + 1]) : text[pos].unicode();
        auto found = known.find(character);
        if (found == known.end()) {
            QByteArray bytes;
            std::optional<QByteArray> answer;
            if (encodesCleanly(text.sliced(pos, length), bytes)) {
                answer = bytes;
            }
            found = known.insert(character, answer);
        }
        if (found->has_value()) {
            result.bytes.append(**found);
        } else {
            result.bytes.append('?');
            result.unencodable.append(pos);
        }
        pos += length;
    }
    return result;
}

bool canEncode(QStringView text)
{
    QByteArray bytes;
    return encodeInto(text, bytes);
}

} // namespace CodePage
