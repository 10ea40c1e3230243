#include "platform/codepage.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

struct Row
{
    QString kind;
    QByteArray bytes;
    QString text;
    QList<qsizetype> unencodable;
};

QString unescape(const QString &field)
{
    static const QRegularExpression escape(
        QStringLiteral(R"(\\u([0-9a-fA-F]{4})|\\U([0-9a-fA-F]{8}))"));
    QString text;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &match : escape.globalMatch(field)) {
        text += QStringView(field).sliced(done, match.capturedStart() - done);
        const char32_t character = match.captured(match.lastCapturedIndex()).toUInt(nullptr, 16);
        if (character > 0xFFFF) {
            text += QString::fromUcs4(&character, 1);
        } else {
            text += QChar(char16_t(character));
        }
        done = match.capturedEnd();
    }
    text += QStringView(field).sliced(done);
    return text;
}

// The checked-in list of awkward characters and bytes.
QList<Row> rows()
{
    QFile file(QStringLiteral(TAVO_TEST_DATA "/codepage932.txt"));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("cannot read %s", qPrintable(file.fileName()));
    }
    QList<Row> rows;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        const QStringList fields = QString::fromUtf8(line).split(u'\t');
        Row row{fields[0], {}, {}, {}};
        const bool encodeRow = row.kind == u"encode";
        row.bytes = QByteArray::fromHex(fields[encodeRow ? 2 : 1].toLatin1());
        row.text = unescape(fields[encodeRow ? 1 : 2]);
        if (encodeRow && fields.size() > 3) {
            for (const QString &position : fields[3].split(u',')) {
                row.unencodable.append(position.toLongLong());
            }
        }
        rows.append(row);
    }
    return rows;
}

QString name(const Row &row)
{
    return row.kind + u' ' + QString::fromLatin1(row.bytes.toHex(' '));
}

} // namespace

class TestCodePage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodes_data();
    void decodes();
    void encodes_data();
    void encodes();
    void everyCodeComesBack();
};

void TestCodePage::decodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    for (const Row &row : rows()) {
        if (row.kind != u"encode") {
            QTest::newRow(qPrintable(name(row))) << row.bytes << row.text;
        }
    }
}

void TestCodePage::decodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(CodePage::decode(bytes), text);
    const bool valid = !text.contains(QChar::ReplacementCharacter);
    QString validText = QStringLiteral("untouched");
    QCOMPARE(CodePage::decodeValid(bytes, validText), valid);
    QCOMPARE(validText, valid ? text : QStringLiteral("untouched"));
    // Long texts take another path than a cell's.
    if (valid) {
        QCOMPARE(CodePage::decode(bytes.repeated(100)), text.repeated(100));
    }
}

void TestCodePage::encodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<qsizetype>>("unencodable");
    for (const Row &row : rows()) {
        if (row.kind != u"decode") {
            QTest::newRow(qPrintable(name(row))) << row.text << row.bytes << row.unencodable;
        }
    }
}

void TestCodePage::encodes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<qsizetype>, unencodable);
    const CodePage::Encoded encoded = CodePage::encode(text);
    QCOMPARE(encoded.bytes.toHex(' '), bytes.toHex(' '));
    QCOMPARE(encoded.unencodable, unencodable);
    QCOMPARE(CodePage::canEncode(text), unencodable.isEmpty());
    QByteArray appended("x");
    QCOMPARE(CodePage::encodeInto(text, appended), unencodable.isEmpty());
    QCOMPARE(appended, "x" + bytes);
}

// Every code decodes to a character that is written as a code decoding to
// the same character, and every character written decodes back: the
// generated table and the lookup built from it agree with each other.
void TestCodePage::everyCodeComesBack()
{
    int characters = 0;
    for (int code = 0; code < 0x10000; ++code) {
        QByteArray bytes;
        QString text;
        if (code >= 0x100) {
            bytes.append(char(code >> 8));
            if (CodePage::decodeValid(bytes, text)) {
                continue; // no lead byte
            }
        }
        bytes.append(char(code & 0xFF));
        if (!CodePage::decodeValid(bytes, text)) {
            continue;
        }
        ++characters;
        const CodePage::Encoded encoded = CodePage::encode(text);
        if (text.size() != 1 || !encoded.unencodable.isEmpty() ||
            CodePage::decode(encoded.bytes) != text) {
            QFAIL(qPrintable(QString::number(code, 16)));
        }
    }
    // Single bytes and double-byte codes (user-defined ones included) that
    // Windows converts.
    QCOMPARE(characters, 196 + 9604);
    for (int unit = 0; unit < 0x10000; ++unit) {
        const QString text = QChar(char16_t(unit));
        const CodePage::Encoded encoded = CodePage::encode(text);
        if (encoded.unencodable.isEmpty() && CodePage::decode(encoded.bytes) != text) {
            QFAIL(qPrintable(QString::number(unit, 16)));
        }
    }
}

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
