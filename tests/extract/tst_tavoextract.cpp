#include "platform/codepage.h"
#include "titleblockbuilder.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#ifdef Q_OS_LINUX
#include <sys/sysmacros.h>
#endif
#endif

class TestTavoExtract : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void run_data();
    void run();
    void outputFileIsWrittenWhole();
    void keptListsAndPdf();
    void nothingLostSilently_data();
    void nothingLostSilently();
    void severalLayouts_data();
    void severalLayouts();

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
    const QByteArray texts = "30\t260\t表面粗さ ① Ra1.6\n100\t150\tφ２０ｈ７\n360.4\t22.2\tA-10\n"
                             "300.4\t32.2\tシャフト\n250.4\t32.2\tS45C\n250.4\t22.2\t焼入\n"
                             "395.4\t32.2\t1\n300.4\t12.2\t研削仕上げ\n";
    QTest::newRow("--texts: every text in file order")
        << QStringList{"--texts", "--utf8", drawings[1]} << 0 << texts << "";
    QTest::newRow("--texts in code page 932 by default")
        << QStringList{"--texts", drawings[1]} << 0
        << CodePage::encode(QString::fromUtf8(texts)).bytes << "";
    QTest::newRow("--texts takes one drawing")
        << QStringList{"--texts", drawings[0], drawings[1]} << 2 << QByteArray() << "1 つだけ";
    QTest::newRow("--texts of a missing drawing")
        << QStringList{"--texts", "/nonexistent.mi"} << 1 << QByteArray() << "/nonexistent.mi";
    QTest::newRow("too few positions")
        << QStringList{"--xy", "1,2,3", drawings[0]} << 2 << QByteArray() << "12";
    QTest::newRow("a typo in a position is named")
        << QStringList{"--xy", "360,22..5,300,32.5,250,32.5,250,22.5,395,32.5,300,12.5",
                       drawings[0]}
        << 2 << QByteArray() << "図番 の Y）が数値ではありません: 「22..5」";
    QTest::newRow("--xy at most three times")
        << QStringList{"--xy",     examplePositions(), "--xy", examplePositions(),
                       "--xy",     examplePositions(), "--xy", examplePositions(),
                       drawings[0]}
        << 2 << QByteArray() << "3 回";
    QTest::newRow("unknown option in Japanese")
        << QStringList{"--frobnicate", drawings[0]} << 2 << QByteArray() << "知らないオプション";
    QTest::newRow("unreadable list is no usage error")
        << QStringList{"--list", "/nonexistent.txt"} << 1 << QByteArray()
        << "/nonexistent.txt: ファイルがありません";
}

void TestTavoExtract::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    QFETCH(QString, errorText);
    QProcess process;
    // A script or container has no runtime folder; the run must not complain.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TAVO_BIN_DIR "/tavo-extract"), arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), exitCode);
    if (!output.isEmpty()) {
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(output));
    }
    const QString standardError = QString::fromUtf8(process.readAllStandardError());
    if (errorText.isEmpty()) {
        QCOMPARE(standardError, QString());
    }
    QVERIFY2(standardError.contains(errorText), qPrintable(standardError));
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
    QByteArray standardError;
    auto run = [&standardError](const QStringList &arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TAVO_BIN_DIR "/tavo-extract"), arguments);
        process.waitForFinished(30000);
        standardError = process.readAllStandardError();
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
    QCOMPARE(standardError, QByteArray()); // the PDF's GUI part stays silent too
    const QByteArray updated = contents(list);
    QVERIFY(updated.startsWith("\"A-2\","));
    QVERIFY(updated.endsWith("\"Z-9\",\"\x83\x73\x83\x93\",\"\",\"\",\"1\",\"\"\r\n"));
    QCOMPARE(updated.count("\r\n"), 3);
    QVERIFY(contents(dir.filePath("list.pdf")).startsWith("%PDF"));
    // A list of many saved slices, large enough for the batch to prepare its
    // heap, comes back byte for byte as well.
    QByteArray large;
    for (int row = 0; row < 20000; ++row) {
        large += "\"A-" + QByteArray::number(row) +
                 "\",\"\x83\x75\x83\x89\x83\x50\x83\x62\x83\x67\",\"SS400\",\"\xB6\xB3\xC4\","
                 "\"2\",\"\x87\x40 \"\"3/4\"\"\"\r\n";
    }
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(large);
    file.close();
    QVERIFY(large.size() > 1024 * 1024);
    QCOMPARE(run({"--list", list, "-o", dir.filePath("large.txt")}), 0);
    QCOMPARE(standardError, QByteArray());
    QCOMPARE(contents(dir.filePath("large.txt")), large);
    // A list that cannot be read: nothing is written.
    QCOMPARE(run({"--list", dir.filePath("missing.txt"), "-o", dir.filePath("out.txt")}), 1);
    QVERIFY(!QFile::exists(dir.filePath("out.txt")));
}

void TestTavoExtract::nothingLostSilently_data()
{
    QTest::addColumn<QString>("setup");
    // $LIST is the kept list, $DIR a fresh folder, $DRAWING a copy of an example.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("errorText");
    QTest::addColumn<bool>("listKept"); // the kept list is unchanged afterwards

    const QStringList append = {"--list", "$LIST", "-o", "$LIST", "$DRAWING"};

    QTest::newRow("-o naming a drawing being read")
        << "" << QStringList{"--xy", "$XY", "-o", "$DRAWING", "$DRAWING"} << 2 << "図面と同じ"
        << true;
    QTest::newRow("old list with inch marks is appended to")
        << "old list" << append << 0 << "" << false;
    QTest::newRow("list ending short is not written over")
        << "short list" << append << 1 << "上書きしません" << true;
    QTest::newRow("list with unreadable bytes is not written over")
        << "garbled list" << append << 1 << "上書きしません" << true;
    QTest::newRow("list in UTF-8 with a character code page 932 lacks is not written over")
        << "utf-8 list" << append << 1 << "上書きしません" << true;
    QTest::newRow("short list still goes to another file")
        << "short list" << QStringList{"--list", "$LIST", "-o", "$DIR/out.txt"} << 1
        << "6 項目のうち" << true;
#ifdef Q_OS_UNIX
    QTest::newRow("standard output on a full disk")
        << "stdout full" << QStringList{"--list", "$LIST"} << 1 << "ディスクがいっぱい" << true;
    // A private null device: a fault here must never replace the system's.
    QTest::newRow("-o onto a device keeps the device")
        << "null device" << QStringList{"--list", "$LIST", "-o", "$DIR/null"} << 0 << "" << true;
    QTest::newRow("-o onto a full device")
        << "full device" << QStringList{"--list", "$LIST", "-o", "$DIR/full"} << 1
        << "ディスクがいっぱい" << true;
    QTest::newRow("-o onto a FIFO writes into it")
        << "fifo reader" << QStringList{"--list", "$LIST", "-o", "$DIR/fifo"} << 0 << "" << true;
    QTest::newRow("settings file that is a FIFO is told, not waited on")
        << "settings fifo" << QStringList{"$DRAWING"} << 1 << "通常のファイルではない" << true;
    QTest::newRow("garbled stored position is named")
        << "settings typo" << QStringList{"$DRAWING"} << 0 << "品名 の X（Key3）" << true;
    QTest::newRow("drawing and list named in Shift_JIS bytes")
        << "shift_jis names" << QStringList{} << 0 << "" << true;
#endif
}

void TestTavoExtract::nothingLostSilently()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, errorText);
    QFETCH(bool, listKept);

    QTemporaryDir dir;
    const QString list = dir.filePath("list.txt");
    const QString drawing = dir.filePath("A-2.mi");
    QVERIFY(QFile::copy(QStringLiteral(TAVO_EXAMPLES "/A-2.mi"), drawing));
    QByteArray kept = "\"Z-9\",\"\",\"\",\"\",\"1\",\"\"\r\n";
    if (setup == "old list") {
        kept = "\"Z-1\",\"\xC6\xAF\xCC\xDF\xD9 3/4\"\" ,\"\",\"\",\"1\",\"\"\r\n"
               "\"Z-2\",\"\",\"\",\"\",\"2\",\"\"\r\n";
    } else if (setup == "short list") {
        kept += "\"Z-10\",\"\",\"\"\r\n";
    } else if (setup == "garbled list") {
        kept += "\"Z-10\",\"\x85\x40\",\"\",\"\",\"\",\"\"\r\n"; // no character
    } else if (setup == "utf-8 list") {
        kept = "\xEF\xBB\xBF" + kept +
               QStringLiteral("\"Z-10\",\"€\",\"\",\"\",\"\",\"\"\r\n").toUtf8();
    }
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kept);
    file.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString config = dir.filePath("config");
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    QVERIFY(QDir().mkpath(config));
    QProcess process;
    QProcess reader;
    QString command = QStringLiteral(TAVO_BIN_DIR "/tavo-extract");
#ifdef Q_OS_UNIX
    if (setup == "fifo reader") {
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
        reader.start(QStringLiteral("cat"), {dir.filePath("fifo")});
        QVERIFY(reader.waitForStarted());
    } else if (setup == "null device" || setup == "full device") {
        const QString name = setup == "null device" ? "null" : "full";
        const QByteArray node = QFile::encodeName(dir.filePath(name));
        if (::mknod(node.constData(), S_IFCHR | 0666, makedev(1, name == "null" ? 3 : 7)) != 0 ||
            !QFile(dir.filePath(name)).open(QIODevice::WriteOnly)) {
            QSKIP("cannot make a usable device node here (needs root and a folder without nodev)");
        }
    } else if (setup == "settings fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(config + "/Radoverurid.ini").constData(), 0600), 0);
    } else if (setup == "shift_jis names") {
        // 部品表.txt and 図面.mi as a Windows archive leaves them: Shift_JIS bytes.
        const QByteArray listName = QFile::encodeName(dir.path()) + "/\x95\x94\x95\x69.txt";
        const QByteArray drawingName = QFile::encodeName(dir.path()) + "/\x90\x7D\x96\xCA.mi";
        QCOMPARE(::rename(QFile::encodeName(list).constData(), listName.constData()), 0);
        QCOMPARE(::rename(QFile::encodeName(drawing).constData(), drawingName.constData()), 0);
        // QProcess passes names as UTF-8; the shell passes the bytes.
        arguments = QStringList{
            "-c",
            QStringLiteral("exec \"$0\" --xy \"$1\" --list \"$(printf '%1')\" \"$(printf '%2')\"")
                .arg(dir.path() + "/\\225\\224\\225\\151.txt",
                     dir.path() + "/\\220\\175\\226\\312.mi"),
            command, examplePositions()};
        command = QStringLiteral("/bin/sh");
    } else if (setup == "settings typo") {
        QFile ini(config + "/Radoverurid.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[XYIni]\nKey1=360\nKey2=22.5\nKey3=3O0\nKey4=32.5\n");
        ini.close();
    }
#endif
    if (setup == "stdout full") {
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
    }
    for (QString &argument : arguments) {
        argument.replace("$LIST", list).replace("$DIR", dir.path()).replace("$DRAWING", drawing);
        argument.replace("$XY", examplePositions());
    }
    process.setProcessEnvironment(environment);
    process.start(command, arguments);
    QVERIFY(process.waitForFinished(30000));
    const QString standardError = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), exitCode);
    if (errorText.isEmpty()) {
        QCOMPARE(standardError, QString());
    }
    QVERIFY2(standardError.contains(errorText), qPrintable(standardError));
    QVERIFY(QFileInfo(drawing).size() > 1000 || setup == "shift_jis names");

    if (setup == "shift_jis names") {
        const QByteArray output = process.readAllStandardOutput();
        QVERIFY2(output.startsWith("\"A-2\",") && output.endsWith(kept), output.constData());
    } else if (setup == "fifo reader") {
        QVERIFY(reader.waitForFinished(10000));
        QCOMPARE(reader.readAllStandardOutput(), kept);
        QVERIFY(!QFileInfo(dir.filePath("fifo")).isFile());
    } else if (setup == "old list") {
        // Written back in today's form, the inch mark kept and doubled.
        QFile in(list);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray written = in.readAll();
        QVERIFY2(written.contains("\"\xC6\xAF\xCC\xDF\xD9 3/4\"\"\",\"\",") &&
                     written.endsWith("\"Z-2\",\"\",\"\",\"\",\"2\",\"\"\r\n"),
                 written.constData());
    }
    if (listKept) {
        QFile in(list);
        if (in.open(QIODevice::ReadOnly)) {
            QCOMPARE(in.readAll(), kept);
        }
    }
#ifdef Q_OS_UNIX
    if (setup.endsWith("device")) {
        struct stat status;
        QCOMPARE(
            ::stat(QFile::encodeName(dir.filePath(setup.section(' ', 0, 0))).constData(), &status),
            0);
        QVERIFY(S_ISCHR(status.st_mode));
    }
#endif
}

void TestTavoExtract::severalLayouts_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("rows");    // in the output, UTF-8
    QTest::addColumn<QStringList>("unnamed"); // on standard error: no 図番 found
    const QString a3 = "\"A3-1\",\"ﾌﾞﾗｹｯﾄ\",\"SS400\",\"ﾕﾆｸﾛ\",\"2\",\"\"";
    const QString a1 = "\"A1-1\",\"ﾌﾞﾗｹｯﾄ\",\"SS400\",\"ﾕﾆｸﾛ\",\"2\",\"\"";
    const QString byLabels = "\"L-1\",\"ﾌﾞﾗｹｯﾄ\",\"SS400\",\"ﾕﾆｸﾛ\",\"2\",\"\"";
    const QString empty = "\"\",\"\",\"\",\"\",\"\",\"\"";
    QTest::newRow("two sets and the labels")
        << QStringList{} << QStringList{empty, a1, a3, byLabels} << QStringList{"memo.mi"};
    QTest::newRow("--no-labels") << QStringList{"--no-labels"} << QStringList{empty, empty, a1, a3}
                                 << QStringList{"3.mi", "memo.mi"};
}

void TestTavoExtract::severalLayouts()
{
    using namespace TitleBlockBuilder;
    QFETCH(QStringList, options);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, unnamed);
    QTemporaryDir dir;
    const auto cells = [](const QString &number, Placement placement) {
        return QList<Cell>{{QStringLiteral("図番"), number, placement},
                           {QStringLiteral("品名"), QStringLiteral("ﾌﾞﾗｹｯﾄ"), placement},
                           {QStringLiteral("材料"), QStringLiteral("SS400"), placement},
                           {QStringLiteral("表面処理"), QStringLiteral("ﾕﾆｸﾛ"), placement},
                           {QStringLiteral("個数"), QStringLiteral("2"), placement},
                           {QStringLiteral("備考"), QString(), placement}};
    };
    const Sheet sheets[] = {sheet(300, 10, cells("A3-1", Placement::Beside)),
                            sheet(721, 10, cells("A1-1", Placement::Corner)),
                            sheet(900, 700, cells("L-1", Placement::Below)),
                            {text(5, 5, QStringLiteral("メモ"), 3), {}}};
    const QString names[] = {"1.mi", "2.mi", "3.mi", "memo.mi"};
    QStringList arguments = options;
    for (int set = 0; set < 2; ++set) {
        QStringList values;
        for (const QString &value : sheets[set].positions) {
            values.append(value.isEmpty() ? QStringLiteral("0") : value);
        }
        arguments += {"--xy", values.join(',')};
    }
    arguments.append("--utf8");
    for (int index = 0; index < 4; ++index) {
        QFile file(dir.filePath(names[index]));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(sheets[index].drawing);
        arguments.append(file.fileName());
    }
    QProcess process;
    process.start(QStringLiteral(TAVO_BIN_DIR "/tavo-extract"), arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0); // a drawing without 図番 is no failure
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
             rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    const QStringList errors =
        QString::fromUtf8(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(errors.size(), unnamed.size());
    for (qsizetype index = 0; index < errors.size(); ++index) {
        QVERIFY2(errors[index].contains(dir.filePath(unnamed[index]) + ": ") &&
                     errors[index].contains(QStringLiteral("図番が見つかりません")),
                 qPrintable(errors[index]));
    }
}

QTEST_GUILESS_MAIN(TestTavoExtract)
#include "tst_tavoextract.moc"
