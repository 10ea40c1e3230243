#include "platform/codepage.h"

#include <QTest>

class TestCodePage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void unencodableBecomesQuestionMark();
    void invalidBytesNeverFail();
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

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
