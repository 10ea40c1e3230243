#include "codepage.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

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

} // namespace

namespace CodePage {

QString decode(QByteArrayView bytes)
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

QString decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return decoder(bytes);
}

Encoded encode(const QString &text)
{
    Encoded result;
    if (encodesCleanly(text, result.bytes)) {
        return result;
    }
    // Slow path, only for text that holds characters the code page lacks:
    // encode character by character so each one can be replaced by "?"
    // (ICU's own substitute would be a double-byte character). Each distinct
    // character is asked of ICU once; a fresh converter per character made
    // a garbled 60 MB list take half a minute.
    result.bytes.clear();
    result.bytes.reserve(text.size());
    QHash<char32_t, std::optional<QByteArray>> known;
    for (qsizetype pos = 0; pos < text.size();) {
        const bool pair = text.at(pos).isHighSurrogate() && pos + 1 < text.size() &&
                          text.at(pos + 1).isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        const char32_t character =
            pair ? QChar::surrogateToUcs4(text.at(pos), text.at(pos + 1)) : text.at(pos).unicode();
        auto found = known.find(character);
        if (found == known.end()) {
            QByteArray bytes;
            std::optional<QByteArray> answer;
            if (encodesCleanly(QStringView(text).mid(pos, length), bytes)) {
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

bool canEncode(const QString &text)
{
    QByteArray bytes;
    return encodesCleanly(text, bytes);
}

} // namespace CodePage
