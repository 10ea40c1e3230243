#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestTavoExtract : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void run_data();
    void run();
    void outputFileIsWrittenWhole();
    void keptListsAndPdf();

private:
    static QString examplePositions()
    {
        QFile file(QStringLiteral(TAVO_EXAMPLES "/positions.txt"));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll()).trimmed();
    }
};

void TestTavoExtract::run_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output"); // UTF-8 text; checked when not empty
    QTest::addColumn<QString>("errorText");

    const QString examples = QStringLiteral(TAVO_EXAMPLES);
    const QStringList drawings = {examples + "/A-102.mi", examples + "/A-10.mi",
                                  examples + "/A-2.mi"};
    const QByteArray expected =
        "\"A-2\",\"カバー（髙橋製作所）\",\"SPCC\",\"塗装\",\"4\",\"板厚１．６～２．０\"\r\n"
        "\"A-10\",\"シャフト\",\"S45C\",\"焼入\",\"1\",\"研削仕上げ\"\r\n"
        "\"A-102\",\"ブラケット\",\"SS400\",\"ﾒｯｷ\",\"2\",\"\"\r\n";
    QTest::newRow("examples sorted by drawing number")
        << (QStringList{"--xy", examplePositions(), "--utf8"} + drawings) << 0 << expected << "";
    QTest::newRow("a folder is reported, the rest goes on")
        << (QStringList{"--xy", examplePositions(), "--utf8", examples, drawings[0]}) << 1
        << QByteArray("\"A-102\",\"ブラケット\",\"SS400\",\"ﾒｯｷ\",\"2\",\"\"\r\n") << "フォルダー";
    QTest::newRow("a file without text gets its row and a notice")
        << QStringList{"--xy", examplePositions(), "--utf8", examples + "/positions.txt"} << 0
        << QByteArray("\"\",\"\",\"\",\"\",\"\",\"\"\r\n") << "文字が 1 つもありません";
    QTest::newRow("missing file") << QStringList{"--xy", examplePositions(), "/nonexistent.mi"} << 1
                                  << QByteArray() << "/nonexistent.mi";
    QTest::newRow("no drawings is wrong usage") << QStringList{} << 2 << QByteArray() << "使いかた";
    QTest::newRow("unknown option")
        << QStringList{"--frobnicate", drawings[0]} << 2 << QByteArray() << "使いかた";
    QTest::newRow("too few positions")
        << QStringList{"--xy", "1,2,3", drawings[0]} << 2 << QByteArray() << "12";
}

void TestTavoExtract::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    QFETCH(QString, errorText);
    QProcess process;
    process.start(QStringLiteral(TAVO_BIN_DIR "/tavo-extract"), arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), exitCode);
    if (!output.isEmpty()) {
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(output));
    }
    QVERIFY2(QString::fromUtf8(process.readAllStandardError()).contains(errorText),
             qPrintable(errorText));
}

void TestTavoExtract::outputFileIsWrittenWhole()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("list.txt");
    QProcess process;
    process.start(QStringLiteral(TAVO_BIN_DIR "/tavo-extract"),
                  {"--xy", examplePositions(), "-o", out, QStringLiteral(TAVO_EXAMPLES "/A-2.mi")});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Code page 932 by default: "髙" is FB FC, "～" is 81 60.
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\"A-2\",\""));
    QVERIFY(bytes.contains("\xFB\xFC"));
    QVERIFY(bytes.contains("\x81\x60"));
    QVERIFY(bytes.endsWith("\"\r\n"));
}

void TestTavoExtract::keptListsAndPdf()
{
    QTemporaryDir dir;
    const QString list = dir.filePath("list.txt");
    const QByteArray kept =
        "\"Z-9\",\"\x83\x73\x83\x93\",\"\",\"\",\"1\",\"\"\r\n\"B-1\",\"\",\"\",\"\",\"\",\"\"\r\n";
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kept);
    file.close();
    auto run = [](const QStringList &arguments) {
        QProcess process;
        process.start(QStringLiteral(TAVO_BIN_DIR "/tavo-extract"), arguments);
        process.waitForFinished(30000);
        return process.exitCode();
    };
    auto contents = [](const QString &path) {
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        return in.readAll();
    };
    // Without drawings the list comes back byte for byte, unsorted.
    QCOMPARE(run({"--list", list, "-o", dir.filePath("same.txt")}), 0);
    QCOMPARE(contents(dir.filePath("same.txt")), kept);
    // New drawings are added to the kept list itself, and all rows sorted.
    QCOMPARE(run({"--xy", examplePositions(), "--list", list, "-o", list, "--pdf",
                  dir.filePath("list.pdf"), QStringLiteral(TAVO_EXAMPLES "/A-2.mi")}),
             0);
    const QByteArray updated = contents(list);
    QVERIFY(updated.startsWith("\"A-2\","));
    QVERIFY(updated.endsWith("\"Z-9\",\"\x83\x73\x83\x93\",\"\",\"\",\"1\",\"\"\r\n"));
    QCOMPARE(updated.count("\r\n"), 3);
    QVERIFY(contents(dir.filePath("list.pdf")).startsWith("%PDF"));
    // A list that cannot be read: nothing is written.
    QCOMPARE(run({"--list", dir.filePath("missing.txt"), "-o", dir.filePath("out.txt")}), 2);
    QVERIFY(!QFile::exists(dir.filePath("out.txt")));
}

QTEST_GUILESS_MAIN(TestTavoExtract)
#include "tst_tavoextract.moc"
