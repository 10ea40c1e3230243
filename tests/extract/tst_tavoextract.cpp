#include "platform/codepage.h"
#include "titleblockbuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
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
#ifdef Q_OS_UNIX
    void init();
    void failedWritesChangeNothing_data();
    void failedWritesChangeNothing();
    void devicesStayDevices_data();
    void devicesStayDevices();
    void fifoTargetIsWrittenInto();
    void unreadableInputsWriteNothing_data();
    void unreadableInputsWriteNothing();
    void namesInShiftJisBytes();
    void manyShiftJisNamesReadWithFewDescriptors();
#endif
    void namesAndTargets_data();
    void namesAndTargets();
    void severalLayouts_data();
    void severalLayouts();

private:
#ifdef Q_OS_UNIX
    struct Finished
    {
        int exitCode;
        QString error;
        QByteArray output;
    };
    // Runs tavo-extract through `sh -c command` in a fresh folder of its own
    // (see init()), with its own settings and $XY the examples' positions.
    Finished runInShell(const QString &command, const QStringList &arguments, rlim_t sizeLimit = 0);
    QByteArray keptList() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    const QByteArray m_kept = "\"Z-9\",\"\",\"\",\"\",\"1\",\"\"\r\n";
#endif
    // Standard error as text: Windows writes it in the system's code page
    // with CR LF, as its programs read each other's output.
    static QString errorTextOf(QProcess &process)
    {
        return QString::fromLocal8Bit(process.readAllStandardError()).remove(u'\r');
    }
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
    const QString standardError = errorTextOf(process);
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

#ifdef Q_OS_UNIX
TestTavoExtract::Finished
TestTavoExtract::runInShell(const QString &command, const QStringList &arguments, rlim_t sizeLimit)
{
    QProcess process;
    if (sizeLimit > 0) {
        process.setChildProcessModifier([sizeLimit] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limited{sizeLimit, sizeLimit};
            setrlimit(RLIMIT_FSIZE, &limited);
        });
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath("config"));
    environment.insert(QStringLiteral("XY"), examplePositions());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir->path());
    // $0 is the program, "$@" the arguments; the command may redirect.
    process.start(QStringLiteral("/bin/sh"),
                  QStringList{"-c", command, QStringLiteral(TAVO_BIN_DIR "/tavo-extract")} +
                      arguments);
    process.waitForFinished(30000);
    return {process.exitCode(), errorTextOf(process), process.readAllStandardOutput()};
}

void TestTavoExtract::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(m_dir->filePath("config")));
    QVERIFY(QFile::copy(QStringLiteral(TAVO_EXAMPLES "/A-2.mi"), m_dir->filePath("A-2.mi")));
    QFile file(m_dir->filePath("list.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(m_kept);
}

QByteArray TestTavoExtract::keptList() const
{
    QFile file(m_dir->filePath("list.txt"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestTavoExtract::failedWritesChangeNothing_data()
{
    // Run in the test's folder, which holds list.txt and A-2.mi.
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("sizeLimit"); // bytes a file may have; 0: no limit
    QTest::addColumn<QString>("told");
    const QString run = "exec \"$0\" \"$@\"";
    // As under `ulimit -f`: the new list is a few bytes too long, and sits
    // whole in the save's buffer until its final flush.
    QTest::newRow("list cut by a file size limit is not replaced")
        << run
        << QStringList{"--xy", examplePositions(), "--list", "list.txt", "-o", "list.txt", "A-2.mi"}
        << 40 << "ファイルが大きすぎて書き込めません";
    QTest::newRow("PDF cut by a file size limit is not left")
        << run
        << QStringList{"--xy", examplePositions(), "-o", "out.txt", "--pdf", "out.pdf", "A-2.mi"}
        << 4096 << "ファイルが大きすぎて書き込めません";
    QTest::newRow("standard output on a full disk")
        << run + " >/dev/full" << QStringList{"--list", "list.txt"} << 0 << "ディスクがいっぱい";
    QTest::newRow("closed standard output")
        << run + " >&-" << QStringList{"--list", "list.txt"} << 0 << "標準出力が閉じられている";
}

void TestTavoExtract::failedWritesChangeNothing()
{
    QFETCH(QString, command);
    QFETCH(QStringList, arguments);
    QFETCH(int, sizeLimit);
    QFETCH(QString, told);
    const Finished run = runInShell(command, arguments, rlim_t(sizeLimit));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.error.contains(told), qPrintable(run.error));
    QCOMPARE(keptList(), m_kept);
    QVERIFY(!QFile::exists(m_dir->filePath("out.pdf")));
}

void TestTavoExtract::devicesStayDevices_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("told");
    // Private device nodes: a fault here must never replace the system's.
    QTest::newRow("null device") << "null" << 3 << 0 << "";
    QTest::newRow("full device") << "full" << 7 << 1 << "ディスクがいっぱい";
}

void TestTavoExtract::devicesStayDevices()
{
    QFETCH(QString, device);
    QFETCH(int, minor);
    QFETCH(int, exitCode);
    QFETCH(QString, told);
    const QByteArray node = QFile::encodeName(m_dir->filePath(device));
    if (::mknod(node.constData(), S_IFCHR | 0666, makedev(1, minor)) != 0 ||
        !QFile(m_dir->filePath(device)).open(QIODevice::WriteOnly)) {
        QSKIP("cannot make a usable device node here (needs root and a folder without nodev)");
    }
    const Finished run = runInShell("exec \"$0\" \"$@\"", {"--list", "list.txt", "-o", device});
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.error.isEmpty(), told.isEmpty());
    QVERIFY2(run.error.contains(told), qPrintable(run.error));
    struct stat status;
    QCOMPARE(::stat(node.constData(), &status), 0);
    QVERIFY(S_ISCHR(status.st_mode));
}

void TestTavoExtract::fifoTargetIsWrittenInto()
{
    const QString fifo = m_dir->filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess reader;
    reader.start(QStringLiteral("cat"), {fifo});
    QVERIFY(reader.waitForStarted());
    const Finished run = runInShell("exec \"$0\" \"$@\"", {"--list", "list.txt", "-o", "fifo"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.error, QString());
    QVERIFY(reader.waitForFinished(10000));
    QCOMPARE(reader.readAllStandardOutput(), m_kept);
    QVERIFY(!QFileInfo(fifo).isFile());
}

void TestTavoExtract::unreadableInputsWriteNothing_data()
{
    QTest::addColumn<QString>("node"); // made at `at` before the run
    QTest::addColumn<QString>("at");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("told");
    const QStringList appendStored = {"--list", "list.txt", "-o", "list.txt", "A-2.mi"};
    QTest::newRow("settings file that is a FIFO is told, not waited on")
        << "fifo"
        << "config/Radoverurid.ini" << appendStored << "通常のファイルではない";
    QTest::newRow("settings file that is a folder")
        << "folder"
        << "config/Radoverurid.ini" << appendStored << "何も書き出しません";
    QTest::newRow("list through a link loop is named as such")
        << "loop"
        << "loop" << QStringList{"--list", "loop", "-o", "list.txt"}
        << "シンボリックリンクが循環しています";
}

void TestTavoExtract::unreadableInputsWriteNothing()
{
    QFETCH(QString, node);
    QFETCH(QString, at);
    QFETCH(QStringList, arguments);
    QFETCH(QString, told);
    const QString path = m_dir->filePath(at);
    if (node == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (node == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else {
        QVERIFY(QFile::link(path, path));
    }
    const Finished run = runInShell("exec \"$0\" \"$@\"", arguments);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.error.contains(told), qPrintable(run.error));
    QCOMPARE(keptList(), m_kept);
}

void TestTavoExtract::namesInShiftJisBytes()
{
    // 部品表.txt and 図面.mi as a Windows archive leaves them: Shift_JIS bytes.
    const QByteArray folder = QFile::encodeName(m_dir->path());
    QCOMPARE(::rename(folder + "/list.txt", folder + "/\x95\x94\x95\x69.txt"), 0);
    QCOMPARE(::rename(folder + "/A-2.mi", folder + "/\x90\x7D\x96\xCA.mi"), 0);
    // QProcess passes names as UTF-8; the shell passes the bytes.
    const Finished run =
        runInShell("exec \"$0\" --xy \"$XY\" --list \"$(printf '\\225\\224\\225\\151.txt')\" "
                   "\"$(printf '\\220\\175\\226\\312.mi')\"",
                   {});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.error, QString());
    QVERIFY2(run.output.startsWith("\"A-2\",") && run.output.endsWith(m_kept),
             run.output.constData());
}

void TestTavoExtract::manyShiftJisNamesReadWithFewDescriptors()
{
    // 図面1.mi .. 図面300.mi in Shift_JIS bytes, read with 64 descriptors.
    const Finished run = runInShell(
        "program=$0; set -- && for i in $(seq 300); do name=$(printf '\\220\\175\\226\\312'"
        "$i.mi); cp A-2.mi \"$name\" && set -- \"$@\" \"$name\"; done && ulimit -n 64 && "
        "exec \"$program\" --xy \"$XY\" \"$@\" | grep -c A-2",
        {});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.error, QString());
    QCOMPARE(run.output, QByteArray("300\n"));
}
#endif

void TestTavoExtract::namesAndTargets_data()
{
    QTest::addColumn<QString>("drawing"); // the copy of an example, in $DIR
    QTest::addColumn<QString>("output");  // -o; empty: standard output
    QTest::addColumn<bool>("written");    // the list arrives in `output`

    QTest::newRow("japanese names") << "$DIR/図面ｱ①.mi"
                                    << "$DIR/部品表ｶ.txt" << true;
    QTest::newRow("standard output keeps CR LF") << "$DIR/A-2.mi"
                                                 << "" << true;
#ifdef Q_OS_WIN
    QTest::newRow("drive letter and backslashes") << "$NATIVE\\図面.mi"
                                                  << "$NATIVE\\部品表.txt" << true;
    QTest::newRow("extended-length drawing name") << "\\\\?\\$NATIVE\\図面.mi"
                                                  << "$NATIVE\\部品表.txt" << true;
    QTest::newRow("-o NUL writes nothing anywhere") << "$DIR/A-2.mi"
                                                    << "NUL" << false;
    QTest::newRow("-o nul.txt is the device as well") << "$DIR/A-2.mi"
                                                      << "nul.txt" << false;
#endif
}

void TestTavoExtract::namesAndTargets()
{
    QFETCH(QString, drawing);
    QFETCH(QString, output);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString native = QDir::toNativeSeparators(QFileInfo(dir.path()).absoluteFilePath());
    for (QString *name : {&drawing, &output}) {
        name->replace("$DIR", dir.path()).replace("$NATIVE", native);
    }
    const auto plain = [](const QString &name) {
        return name.startsWith("\\\\?\\") ? name.mid(4) : name;
    };
    QVERIFY(QFile::copy(QStringLiteral(TAVO_EXAMPLES "/A-2.mi"), plain(drawing)));
    QStringList arguments{"--xy", examplePositions(), drawing};
    if (!output.isEmpty()) {
        arguments << "-o" << output;
    }
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(TAVO_BIN_DIR "/tavo-extract"), arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(errorTextOf(process), QString());
    QCOMPARE(process.exitCode(), 0);
    QByteArray bytes = process.readAllStandardOutput();
    if (!output.isEmpty()) {
        QCOMPARE(bytes, QByteArray());
        QFile file(plain(output));
        if (written) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            bytes = file.readAll();
        }
    }
    // Nothing but the copied drawing and the list: no file named after a device.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), written && !output.isEmpty() ? 2 : 1);
    if (written) {
        // "カバー" in code page 932, one row, each line ended by one CR LF.
        QVERIFY2(bytes.startsWith("\"A-2\",\"\x83\x4A\x83\x6F\x81\x5B"), bytes.constData());
        QCOMPARE(bytes.count("\r\n"), 1);
        QVERIFY(bytes.endsWith("\"\r\n"));
        QVERIFY(!bytes.contains("\r\r"));
    }
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
    const QStringList errors = errorTextOf(process).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(errors.size(), unnamed.size());
    for (qsizetype index = 0; index < errors.size(); ++index) {
        QVERIFY2(errors[index].contains(dir.filePath(unnamed[index]) + ": ") &&
                     errors[index].contains(QStringLiteral("図番が見つかりません")),
                 qPrintable(errors[index]));
    }
}

QTEST_GUILESS_MAIN(TestTavoExtract)
#include "tst_tavoextract.moc"
