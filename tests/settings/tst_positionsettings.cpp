#include "platform/qsettingsstore.h"
#include "settings/positionsettings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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
    void userStoresKeepTheOldProgramsKeyClean();
    void setsAndLabelWordsKeepTheirPlaces();
    void fileChangedBetweenLoadAndSave_data();
    void fileChangedBetweenLoadAndSave();
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

// The user's own stores, redirected for tests (XDG_CONFIG_HOME, or on
// Windows TAVO_SETTINGS_ROOT): positions as the old program stored them are
// read as they are, and what only this program keeps goes elsewhere.
void TestPositionSettings::userStoresKeepTheOldProgramsKeyClean()
{
    const QStringList stored = {"360", "22.5", "300", "32.5", "250", "32.5",
                                "250", "22.5", "395", "32.5", "300", "12.5"};
#ifdef Q_OS_WIN
    const QString root = qEnvironmentVariable("TAVO_SETTINGS_ROOT");
    QVERIFY2(root.startsWith("HKEY_CURRENT_USER\\Software\\Tavo tests\\"), qPrintable(root));
    const QString oldKey = root + "\\VB and VBA Program Settings\\Radoverurid";
    QSettings(oldKey, QSettings::NativeFormat).remove(QString());
    // Exactly what the old program's SaveSetting left: string values, imported
    // as a user imports a .reg file.
    QString reg = "Windows Registry Editor Version 5.00\r\n\r\n[" + oldKey + "\\XYIni]\r\n";
    for (int entry = 0; entry < PositionSettings::Count; ++entry) {
        reg += QStringLiteral("\"%1\"=\"%2\"\r\n")
                   .arg(PositionSettings::keyName(entry), stored[entry]);
    }
    QTemporaryDir dir;
    QFile file(dir.filePath("old.reg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xFF\xFE");
    file.write(reinterpret_cast<const char *>(reg.utf16()), reg.size() * 2);
    file.close();
    QCOMPARE(QProcess::execute("reg", {"import", QDir::toNativeSeparators(file.fileName())}), 0);
#else
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY(config.contains("testhome"));
    QFile::remove(config + "/Radoverurid.ini");
    QFile ini(config + "/Radoverurid.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[XYIni]\r\n");
    for (int entry = 0; entry < PositionSettings::Count; ++entry) {
        ini.write(QStringLiteral("%1=%2\r\n")
                      .arg(PositionSettings::keyName(entry), stored[entry])
                      .toUtf8());
    }
    ini.close();
#endif
    {
        QSettingsStore store;
        PositionSettings positions(store);
        positions.LoadPositionSettings();
        for (int entry = 0; entry < PositionSettings::Count; ++entry) {
            QCOMPARE(positions.XYPos[std::size_t(entry)], stored[entry]);
        }
        positions.XYPos[0] = "361";
        QVERIFY(positions.SavePositionSettings());
        QSettingsStore ours(QSettingsStore::Owner::Ours);
        ours.SaveSetting("Tavo", "Window", "Geometry", "AdnQywADAAA");
        QVERIFY(ours.flush());
        QVERIFY(ours.location() != store.location());
    }
#ifdef Q_OS_WIN
    QSettings old(oldKey, QSettings::NativeFormat);
    QCOMPARE(QSettings(root + "\\Tavo", QSettings::NativeFormat).value("Window/Geometry"),
             QVariant("AdnQywADAAA"));
#else
    QSettings old(config + "/Radoverurid.ini", QSettings::IniFormat);
    QCOMPARE(QSettings(config + "/Tavo.ini", QSettings::IniFormat).value("Window/Geometry"),
             QVariant("AdnQywADAAA"));
#endif
    QCOMPARE(old.childGroups(), QStringList{"XYIni"});
    QCOMPARE(old.value("XYIni/Key1").toString(), QString("361"));
    QCOMPARE(old.value("XYIni/Key12").toString(), QString("12.5"));
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

// What happens to the file while the window is open: another program's keys
// stay, and a FIFO put in its place is told, never waited on.
void TestPositionSettings::fileChangedBetweenLoadAndSave_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("saved");
    QTest::newRow("another program stored a key") << "key" << true;
#ifdef Q_OS_UNIX
    QTest::newRow("swapped for a FIFO") << "fifo" << false;
#endif
    QTest::newRow("swapped for a folder") << "folder" << false;
}

void TestPositionSettings::fileChangedBetweenLoadAndSave()
{
    QFETCH(QString, change);
    QFETCH(bool, saved);
    QTemporaryDir dir;
    const QString file = dir.filePath("store.ini");
    QSettings(file, QSettings::IniFormat).setValue("XYIni/Key1", "360");
    QSettingsStore store(file);
    PositionSettings positions(store);
    positions.LoadPositionSettings();
    if (change == "key") {
        QSettings(file, QSettings::IniFormat).setValue("Other/Key", "kept");
    } else {
        QVERIFY(QFile::remove(file));
#ifdef Q_OS_UNIX
        if (change == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        }
#endif
        if (change == "folder") {
            QVERIFY(QDir().mkdir(file));
        }
    }
    positions.XYPos[1] = "7.5";
    QCOMPARE(positions.SavePositionSettings(), saved);
    if (saved) {
        QSettings stored(file, QSettings::IniFormat);
        QCOMPARE(stored.value("Other/Key").toString(), QString("kept"));
        QCOMPARE(stored.value("XYIni/Key2").toString(), QString("7.5"));
        QCOMPARE(stored.value("XYIni/Key1").toString(), QString("360"));
    }
}

QTEST_GUILESS_MAIN(TestPositionSettings)
#include "tst_positionsettings.moc"
