#include "platform/qsettingsstore.h"
#include "settings/positionsettings.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestPositionSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void emptyStoreLoadsZerosAndSavesAllTwelve();
    void keyNames_data();
    void keyNames();
    void handEditedValuesWithCommas();
    void unwritableStoreReportsFailure();
    void garbageStoreLoadsAndSaves_data();
    void garbageStoreLoadsAndSaves();
    void setsAndLabelWordsKeepTheirPlaces();
};

void TestPositionSettings::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("plain number") << "123.5";
    QTest::newRow("empty stays empty, not 0") << "";
    QTest::newRow("leading blank kept") << " 12";
    QTest::newRow("trailing blank kept") << "12 ";
    QTest::newRow("comma decimal") << "1,5";
    QTest::newRow("letters") << "abc";
    QTest::newRow("japanese") << "図番の位置";
    QTest::newRow("quotes and semicolon") << "\"x\";y=z";
    QTest::newRow("backslash") << "C:\\temp";
}

void TestPositionSettings::roundTrip()
{
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString file = dir.filePath("store.ini");
    {
        QSettingsStore store(file);
        PositionSettings positions(store);
        positions.LoadPositionSettings();
        positions.XYPos[9] = value;
        QVERIFY(positions.SavePositionSettings());
    }
    QSettingsStore store(file);
    PositionSettings positions(store);
    positions.LoadPositionSettings();
    QCOMPARE(positions.XYPos[9], value);
    QCOMPARE(positions.XYPos[8], QString("0"));
}

void TestPositionSettings::emptyStoreLoadsZerosAndSavesAllTwelve()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("store.ini");
    QSettingsStore store(file);
    PositionSettings positions(store);
    positions.LoadPositionSettings();
    for (const QString &entry : positions.XYPos) {
        QCOMPARE(entry, QString("0"));
    }
    QVERIFY(positions.SavePositionSettings());
    QSettings written(file, QSettings::IniFormat);
    QCOMPARE(written.childGroups(), QStringList{"XYIni"});
    written.beginGroup("XYIni");
    QCOMPARE(written.childKeys().size(), 12);
    QCOMPARE(written.value("Key12").toString(), QString("0"));
}

void TestPositionSettings::keyNames_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("key");
    QTest::newRow("first") << 0 << "Key1";
    QTest::newRow("quantity Y has no leading zero") << 9 << "Key10";
    QTest::newRow("remarks X") << 10 << "Key11";
    QTest::newRow("last") << 11 << "Key12";
}

void TestPositionSettings::keyNames()
{
    QFETCH(int, entry);
    QFETCH(QString, key);
    QCOMPARE(PositionSettings::keyName(entry), key);
}

void TestPositionSettings::handEditedValuesWithCommas()
{
    // An INI file edited by hand holds the value without quotes.
    QTemporaryDir dir;
    const QString file = dir.filePath("store.ini");
    QFile ini(file);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[XYIni]\nKey1=1,5\nKey2=\n");
    ini.close();
    QSettingsStore store(file);
    PositionSettings positions(store);
    positions.LoadPositionSettings();
    QCOMPARE(positions.XYPos[0], QString("1,5"));
    QCOMPARE(positions.XYPos[1], QString(""));
}

void TestPositionSettings::unwritableStoreReportsFailure()
{
    QTemporaryDir dir;
    // The store's path is a directory: nothing can be written there.
    QSettingsStore store(dir.path());
    PositionSettings positions(store);
    positions.LoadPositionSettings();
    positions.XYPos[0] = "42";
    QVERIFY(!positions.SavePositionSettings());
    QCOMPARE(positions.XYPos[0], QString("42"));
}

void TestPositionSettings::garbageStoreLoadsAndSaves_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("key2"); // what the garbled store still gives for Key2

    QByteArray random(4096, '\0');
    QRandomGenerator(3).fillRange(reinterpret_cast<quint32 *>(random.data()),
                                  random.size() / qsizetype(sizeof(quint32)));
    QTest::newRow("NUL bytes") << QByteArray(5000, '\0') << "0";
    QTest::newRow("random bytes") << random << "0";
    QTest::newRow("section never closed") << QByteArray("[XYIni\nKey2=5\n") << "5";
    QTest::newRow("invalid UTF-8 beside a good key")
        << QByteArray("[XYIni]\nKey1=\xff\xfe\x80\nKey2=7\n") << "7";
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[XYIni]\nKey2=3\n") << "3";
    QTest::newRow("lines that are no keys")
        << QByteArray("=====\n[[[]]]\n\\\\\nKey1\n[XYIni]\nKey2=9\n") << "9";
}

void TestPositionSettings::garbageStoreLoadsAndSaves()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, key2);
    QTemporaryDir dir;
    const QString file = dir.filePath("store.ini");
    QFile ini(file);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(contents);
    ini.close();
    {
        QSettingsStore store(file);
        PositionSettings positions(store);
        positions.LoadPositionSettings();
        QCOMPARE(positions.XYPos[1], key2);
        positions.XYPos[9] = "12.5";
        // The garbage was only read badly; the write itself succeeds and must
        // not be reported as a failure.
        QVERIFY(positions.SavePositionSettings());
    }
    QSettingsStore store(file);
    PositionSettings positions(store);
    positions.LoadPositionSettings();
    QCOMPARE(positions.XYPos[9], QString("12.5"));
    QCOMPARE(positions.XYPos[1], key2);
}

void TestPositionSettings::setsAndLabelWordsKeepTheirPlaces()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("store.ini");
    {
        QSettings old(file, QSettings::IniFormat);
        old.setValue("XYIni/Key1", "360");
    }
    std::array<QStringList, 6> words = TitleLabels::defaultWords();
    words[1] = QStringList{"品名", "ﾋﾝﾒｲ", "表題 名"};
    {
        QSettingsStore store(file);
        PositionSettings positions(store);
        positions.LoadPositionSettings();
        // The old program's values are set 1; the others start unused.
        QCOMPARE(positions.set(0)[0], QString("360"));
        QVERIFY(!CaptureWindows::inUse(positions.set(1)));
        QVERIFY(positions.byLabels);
        QCOMPARE(positions.labelWords, TitleLabels::defaultWords());
        positions.set(2)[3] = "12.5";
        QVERIFY(positions.saveSet(2));
        positions.labelWords = words;
        positions.byLabels = false;
        QVERIFY(positions.saveLabels());
    }
    QSettings stored(file, QSettings::IniFormat);
    QCOMPARE(stored.value("XYIni3/Key4").toString(), QString("12.5"));
    QVERIFY(!stored.contains("XYIni2/Key4")); // only the set confirmed is written
    QCOMPARE(stored.value("XYIni/Key1").toString(), QString("360"));
    QSettingsStore store(file);
    PositionSettings positions(store);
    positions.LoadPositionSettings();
    QCOMPARE(positions.set(2)[3], QString("12.5"));
    QVERIFY(CaptureWindows::inUse(positions.set(2)));
    QCOMPARE(positions.labelWords, words);
    QVERIFY(!positions.sources().byLabels);
}

QTEST_GUILESS_MAIN(TestPositionSettings)
#include "tst_positionsettings.moc"
