#include "platform/codepage.h"

#include <QRandomGenerator>
#include <QTest>

class TestCodePage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void unencodableBecomesQuestionMark();
    void invalidBytesNeverFail();
    void decodesAsIcuDoes();
    void encodesAsIcuDoes();
};

void TestCodePage::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << "A-100" << QByteArray("A-100");
    QTest::newRow("katakana") << "ブラケット" << QByteArray::fromHex("8375838983508362 8367");
    QTest::newRow("half-width katakana") << "ﾌﾞﾗｹｯﾄ" << QByteArray::fromHex("cc de d7 b9 af c4");
    QTest::newRow("NEC circled digit") << "①" << QByteArray::fromHex("8740");
    QTest::newRow("IBM extension") << "髙" << QByteArray::fromHex("fbfc");
    QTest::newRow("wave dash as Windows maps it") << "～" << QByteArray::fromHex("8160");
    QTest::newRow("full-width minus") << "－" << QByteArray::fromHex("817c");
    QTest::newRow("full-width not sign") << "￢" << QByteArray::fromHex("81ca");
    QTest::newRow("control codes map to themselves")
        << "\x1a\x1c\x7f\t" << QByteArray("\x1a\x1c\x7f\t");
    QTest::newRow("backslash stays backslash") << "\\" << QByteArray("\\");
}

void TestCodePage::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const CodePage::Encoded encoded = CodePage::encode(text);
    QCOMPARE(encoded.bytes.toHex(), bytes.toHex());
    QVERIFY(encoded.unencodable.isEmpty());
    QCOMPARE(CodePage::decode(bytes), text);
    QVERIFY(CodePage::canEncode(text));
}

void TestCodePage::unencodableBecomesQuestionMark()
{
    const QString text = QString::fromUtf8("a€b😀c");
    QVERIFY(!CodePage::canEncode(text));
    const CodePage::Encoded encoded = CodePage::encode(text);
    QCOMPARE(encoded.bytes, QByteArray("a?b?c"));
    QCOMPARE(encoded.unencodable, (QList<qsizetype>{1, 3}));
}

void TestCodePage::invalidBytesNeverFail()
{
    QCOMPARE(CodePage::decode(QByteArray("A\x81")), QString("A\uFFFD"));
    QCOMPARE(CodePage::decode(QByteArray("\x80\xA0\xFD\xFE\xFF")), QString(5, QChar(0xFFFD)));
    QCOMPARE(CodePage::decode(QByteArray("\x82\r")), QString("\uFFFD\r"));
    // A real SUB character (the old end-of-file mark) is kept as it is.
    QCOMPARE(CodePage::decode(QByteArray("A\x1a")), QString("A\x1a"));
    QCOMPARE(CodePage::decodeUtf8(QByteArray("\xC3")), QString("\uFFFD"));
}

// The conversion keeps its own tables; they must give ICU's answer for every
// byte sequence and every character, and for texts that mix both kinds.
void TestCodePage::decodesAsIcuDoes()
{
    for (int first = 0; first < 256; ++first) {
        for (int second = -1; second < 256; ++second) {
            QByteArray bytes(1, char(first));
            if (second >= 0) {
                bytes.append(char(second));
            }
            if (CodePage::decode(bytes) != CodePage::icuDecode(bytes)) {
                QFAIL(qPrintable(bytes.toHex()));
            }
        }
    }
    QRandomGenerator random(932);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        for (int i = random.bounded(40); i > 0; --i) {
            // Mostly lead and trail bytes, some ASCII, a few anything.
            const int kind = random.bounded(10);
            bytes.append(char(kind < 4   ? random.bounded(0x81, 0xA0)
                              : kind < 8 ? random.bounded(0x40, 0xFD)
                              : kind < 9 ? random.bounded(0x20, 0x80)
                                         : random.bounded(256)));
        }
        QCOMPARE(CodePage::decode(bytes), CodePage::icuDecode(bytes));
    }
}

void TestCodePage::encodesAsIcuDoes()
{
    const auto same = [](const QString &text) {
        const CodePage::Encoded ours = CodePage::encode(text);
        const CodePage::Encoded icu = CodePage::icuEncode(text);
        return ours.bytes == icu.bytes && ours.unencodable == icu.unencodable &&
               CodePage::canEncode(text) == icu.unencodable.isEmpty();
    };
    for (int unit = 0; unit < 0x10000; ++unit) {
        if (!same(QString(QChar(char16_t(unit))))) {
            QFAIL(qPrintable(QString::number(unit, 16)));
        }
    }
    QRandomGenerator random(31);
    const QString pool = QStringLiteral("A-1\\\"ｱﾝ①髙～－￢€😀") + QChar(0xD800) + QChar(0x1A);
    for (int round = 0; round < 2000; ++round) {
        QString text;
        for (int i = random.bounded(30); i > 0; --i) {
            text.append(random.bounded(3) == 0 ? QChar(char16_t(random.bounded(0x10000)))
                                               : pool[random.bounded(pool.size())]);
        }
        QVERIFY2(same(text), qPrintable(text));
    }
}

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
