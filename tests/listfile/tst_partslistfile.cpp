#include "listfile/partslistfile.h"
#include "support/rows.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

class TestPartsListFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsWhatWasWritten();
    void writeReplacesTheWholeFile();
    void unreadable_data();
    void unreadable();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
};

namespace {

const QByteArray oldList = "\"OLD-1\",\"\",\"\",\"\",\"1\",\"\"\r\n";

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

[[maybe_unused]] bool runAsRoot()
{
#ifdef Q_OS_UNIX
    return geteuid() == 0;
#else
    return false;
#endif
}

// A tmpfs of `options` on `directory`; false when this system does not let us mount.
bool mountTmpfs(const QString &directory, const QString &options)
{
#ifdef Q_OS_LINUX
    if (!runAsRoot()) {
        return false;
    }
    QProcess mount;
    mount.start(QStringLiteral("mount"),
                {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), options,
                 QStringLiteral("tavo-test"), directory});
    return mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit &&
           mount.exitCode() == 0;
#else
    Q_UNUSED(directory);
    Q_UNUSED(options);
    return false;
#endif
}

// Unmounts before the temporary folder holding the mount point goes away.
struct MountGuard
{
    QString directory;
    ~MountGuard()
    {
        if (!directory.isEmpty()) {
            QProcess::execute(QStringLiteral("umount"), {directory});
        }
    }
};

// Files this process writes may grow to `bytes` only (as under `ulimit -f`);
// a write past it fails instead of ending the process.
struct FileSizeLimit
{
#ifdef Q_OS_UNIX
    rlimit before{};
    void (*handler)(int) = SIG_DFL;
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &before);
        handler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limited{bytes, before.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, handler);
    }
#endif
};

// Fills the file system of `directory` up to its last byte.
void fillUp(const QString &directory)
{
    QFile filler(directory + "/filler");
    if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
    }
}

bool remountReadOnly(const QString &directory)
{
    QProcess mount;
    mount.start(QStringLiteral("mount"),
                {QStringLiteral("-o"), QStringLiteral("remount,ro"), directory});
    return mount.waitForFinished(10000) && mount.exitCode() == 0;
}

} // namespace

void TestPartsListFile::readsWhatWasWritten()
{
    QTemporaryDir directory;
    const QString path = directory.filePath("部品表.txt");
    const QList<QStringList> rows = {{"A-100", "ブラケット", "SS400", "", "2", ""},
                                     {"A-101", "6\" pipe", "M6,L=20", "a\r\nb", "", "①髙"}};
    QCOMPARE(PartsListFile::write(path, PartsListWriter::encode(cellsOf(rows), 0).bytes),
             QString());
    const PartsListFile::ReadResult result = PartsListFile::read(path);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(rowsOf(result.cells), rows);
    QVERIFY(!result.truncation);
}

void TestPartsListFile::writeReplacesTheWholeFile()
{
    QTemporaryDir directory;
    const QString path = directory.filePath("list.txt");
    QVERIFY(writeFile(path, QByteArray(5000, 'x')));
    QCOMPARE(PartsListFile::write(path, oldList), QString());
    QCOMPARE(contents(path), oldList);
    QCOMPARE(PartsListFile::write(path, QByteArray()), QString());
    QCOMPARE(QFileInfo(path).size(), 0);
    // Chunks make one file; a writer that declines at the end changes nothing.
    const auto chunks = [](bool keep) {
        return [keep](const PartsListFile::Put &put) {
            return put(oldList.first(10)) && put(oldList.sliced(10)) && keep;
        };
    };
    QCOMPARE(PartsListFile::write(path, chunks(true)), QString());
    QCOMPARE(contents(path), oldList);
    QVERIFY(writeFile(path, "kept"));
    QCOMPARE(PartsListFile::write(path, chunks(false)), QString());
    QCOMPARE(contents(path), QByteArray("kept"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(directory.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"list.txt"});
}

void TestPartsListFile::unreadable_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // part of the message

    QTest::newRow("missing file") << "missing"
                                  << "ありません";
    QTest::newRow("a folder") << "folder"
                              << "フォルダー";
    // One byte over must not read as "64 MB, the limit is 64 MB".
    QTest::newRow("one byte larger than the limit") << "huge"
                                                    << "67,108,865 バイト";
#if defined(Q_OS_LINUX) || defined(Q_OS_WIN)
    // A device would be read for ever.
    QTest::newRow("a device") << "device"
                              << "通常のファイルではありません";
#endif
    QTest::newRow("too many records") << "records"
                                      << "多すぎます";
}

void TestPartsListFile::unreadable()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir directory;
    QString path = directory.filePath("list.txt");
    if (kind == "folder") {
        QVERIFY(QDir(directory.path()).mkdir("list.txt"));
    } else if (kind == "huge") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(PartsListFile::MaxFileBytes + 1));
    } else if (kind == "device") {
#ifdef Q_OS_WIN
        path = directory.filePath("nul.txt"); // a device name in every folder
#else
        path = QStringLiteral("/dev/zero");
#endif
    } else if (kind == "records") {
        QVERIFY(writeFile(path, QByteArray(6 * (PartsListFile::MaxRecords + 1), ',')));
    }
    const PartsListFile::ReadResult result = PartsListFile::read(path);
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains(reason), qPrintable(result.error));
    QVERIFY(rowsOf(result.cells).isEmpty());
}

void TestPartsListFile::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // part of the message, in Japanese
    QTest::newRow("target is a folder") << "folder"
                                        << "フォルダー";
    QTest::newRow("read-only folder") << "read-only folder"
                                      << "権限がありません";
    QTest::newRow("full file system") << "full"
                                      << "ディスクがいっぱいです";
    // A small list sits whole in the save's buffer: only its final flush fails.
    QTest::newRow("full before the last bytes of a small list") << "full at the end"
                                                                << "ディスクがいっぱいです";
    QTest::newRow("size limit at the last byte") << "size limit"
                                                 << "ファイルが大きすぎて書き込めません";
    QTest::newRow("read-only file system") << "read-only file system"
                                           << "読み取り専用";
    QTest::newRow("read-only file") << "read-only file"
                                    << "読み取り専用のファイル";
    QTest::newRow("missing folder") << "missing folder"
                                    << "フォルダーがありません";
}

void TestPartsListFile::failedSaveKeepsTheOldFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir temporary;
    QString directory = temporary.path();
    QString path = directory + "/list.txt";
    QByteArray bytes = oldList + oldList;
    MountGuard mounted;

    if (kind == "folder") {
        QVERIFY(QDir(directory).mkdir("list.txt"));
        const QString error = PartsListFile::write(path, bytes);
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(QFileInfo(path).isDir());
        return;
    }
    if (kind == "missing folder") {
        const QString error = PartsListFile::write(directory + "/gone/list.txt", bytes);
        QVERIFY2(error.contains(reason), qPrintable(error));
        return;
    }
    if (kind == "full" || kind == "full at the end" || kind == "read-only file system") {
        directory = temporary.filePath("mount");
        path = directory + "/list.txt";
        QVERIFY(QDir().mkpath(directory));
        if (!mountTmpfs(directory, QStringLiteral("size=64k"))) {
            QSKIP("cannot mount a small tmpfs here (needs root on Linux)");
        }
        mounted.directory = directory;
    }
    QVERIFY(writeFile(path, oldList));
    if (kind == "read-only folder") {
        QVERIFY(QFile::setPermissions(directory, QFile::ReadOwner | QFile::ExeOwner));
        if (writeFile(directory + "/probe", "x")) {
            QFile::setPermissions(directory,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("this user writes into read-only folders (root); see the read-only file system "
                  "row");
        }
    } else if (kind == "read-only file") {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        if (QFileInfo(path).isWritable()) {
            QSKIP("this user writes into read-only files (root)");
        }
    } else if (kind == "full") {
        bytes = QByteArray(1024 * 1024, 'x');
    } else if (kind == "read-only file system") {
        QVERIFY(remountReadOnly(directory));
    } else if (kind == "full at the end") {
        bytes = QByteArray(250, 'x');
        fillUp(directory);
    }

    QString error;
    if (kind == "size limit") {
#ifdef Q_OS_UNIX
        bytes = QByteArray(250, 'x');
        const FileSizeLimit limit(rlim_t(bytes.size() - 1));
        error = PartsListFile::write(path, bytes);
#else
        QSKIP("no file size limit on this system");
#endif
    } else {
        error = PartsListFile::write(path, bytes);
    }
    QFile::setPermissions(directory, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(error.contains(reason), qPrintable(error));
    QCOMPARE(contents(path), oldList);
    QDir(directory).remove("filler");
    QCOMPARE(QDir(directory).entryList(QDir::Files | QDir::Hidden), QStringList{"list.txt"});
}

QTEST_GUILESS_MAIN(TestPartsListFile)
#include "tst_partslistfile.moc"
