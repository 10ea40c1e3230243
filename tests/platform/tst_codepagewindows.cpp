#include "platform/codepage.h"

#include <QTest>

#include <windows.h>

// The code page's table against Windows' own conversion of every code and
// every character (Windows only).
class TestCodePageWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void decodesAsWindows();
    void encodesAsWindows();
};

void TestCodePageWindows::initTestCase()
{
    CPINFO info;
    QVERIFY(GetCPInfo(932, &info));
    QCOMPARE(info.MaxCharSize, 2u);
}

void TestCodePageWindows::decodesAsWindows()
{
    int compared = 0;
    for (int code = 0; code < 0x10000; ++code) {
        // Single bytes, then every lead byte with every second byte.
        if (code >= 0x100 && !IsDBCSLeadByteEx(932, BYTE(code >> 8))) {
            continue;
        }
        QByteArray bytes;
        if (code >= 0x100) {
            bytes.append(char(code >> 8));
        }
        bytes.append(char(code & 0xFF));
        wchar_t wide[4];
        const int length = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.constData(),
                                               int(bytes.size()), wide, 4);
        QString ours;
        const bool valid = CodePage::decodeValid(bytes, ours);
        const QString windows = QString::fromWCharArray(wide, std::max(length, 0));
        // Wine leaves these four bytes out of its decoding, though it encodes
        // U+F8F0-U+F8F3 as them; Microsoft's table maps them both ways.
        const bool wineGap = valid && length == 0 && bytes.size() == 1 &&
                             (code == 0xA0 || code >= 0xFD) && ours.front().unicode() >= 0xF8F0;
        if (wineGap) {
            continue;
        }
        if (valid != (length > 0) || (valid && ours != windows)) {
            QFAIL(qPrintable(QStringLiteral("%1: Windows %2, ours %3")
                                 .arg(QString::fromLatin1(bytes.toHex()),
                                      QString::fromLatin1(windows.toUtf8().toHex()),
                                      valid ? QString::fromLatin1(ours.toUtf8().toHex())
                                            : QStringLiteral("invalid"))));
        }
        compared += valid;
    }
    QVERIFY(compared > 9700);
}

void TestCodePageWindows::encodesAsWindows()
{
    for (int unit = 0; unit < 0x10000; ++unit) {
        const wchar_t wide = wchar_t(unit);
        char bytes[8];
        BOOL usedDefault = FALSE;
        // Without best fit: a character Windows would swap for a look-alike
        // counts as missing, as it does for us.
        const int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes,
                                               sizeof bytes, "?", &usedDefault);
        const CodePage::Encoded ours = CodePage::encode(QString(QChar(char16_t(unit))));
        const bool missing = usedDefault || length <= 0;
        const QByteArray windows = missing ? QByteArray("?") : QByteArray(bytes, length);
        if (ours.bytes != windows || ours.unencodable.isEmpty() != !missing) {
            QFAIL(
                qPrintable(QStringLiteral("U+%1: Windows %2, ours %3")
                               .arg(QString::number(unit, 16), QString::fromLatin1(windows.toHex()),
                                    QString::fromLatin1(ours.bytes.toHex()))));
        }
    }
}

QTEST_GUILESS_MAIN(TestCodePageWindows)
#include "tst_codepagewindows.moc"
