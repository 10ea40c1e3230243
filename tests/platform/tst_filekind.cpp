#include "platform/fileerror.h"
#include "platform/filekind.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

class TestFileKind : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openRegular_data();
    void openRegular();
    void openName_data();
    void openName();
    void sameFileByOtherSpellings();
};

void TestFileKind::openRegular_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("kind");  // FileKind::Kind
    QTest::addColumn<int>("error"); // 0: opened and read

    QTest::newRow("japanese name, half-width kana too")
        << "図面ｱ①.mi" << int(FileKind::Regular) << 0;
    QTest::newRow("folder") << "folder" << int(FileKind::Directory) << 0;
    QTest::newRow("missing") << "missing" << int(FileKind::Missing) << ENOENT;
#ifdef Q_OS_WIN
    // Another program reading it, as the drawing program does, keeps it readable;
    // one holding it exclusively makes it busy, told as such.
    QTest::newRow("open in another program") << "shared" << int(FileKind::Regular) << 0;
    QTest::newRow("held exclusively by another program")
        << "exclusive" << int(FileKind::Missing) << EBUSY;
    QTest::newRow("a device name with an extension") << "nul.mi" << int(FileKind::Stream) << 0;
#else
    QTest::newRow("fifo without a writer does not wait") << "fifo" << int(FileKind::Stream) << 0;
#endif
}

void TestFileKind::openRegular()
{
    QFETCH(QString, setup);
    QFETCH(int, kind);
    QFETCH(int, error);
    QTemporaryDir dir;
    QString path = dir.filePath(setup);
    if (setup == "folder") {
        QVERIFY(QDir(dir.path()).mkdir(setup));
    } else if (setup == "fifo") {
#ifndef Q_OS_WIN
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    } else if (setup != "missing" && setup != "nul.mi") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("TEX\n");
    }
#ifdef Q_OS_WIN
    HANDLE other = INVALID_HANDLE_VALUE;
    if (setup == "shared" || setup == "exclusive") {
        other = ::CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(),
                              GENERIC_READ | GENERIC_WRITE, setup == "shared" ? FILE_SHARE_READ : 0,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(other != INVALID_HANDLE_VALUE);
    }
    const auto closeOther = qScopeGuard([other] {
        if (other != INVALID_HANDLE_VALUE) {
            ::CloseHandle(other);
        }
    });
#endif
    const FileKind::Opened opened = FileKind::openRegular(path);
    if (error != 0) {
        QCOMPARE(opened.error, error);
        QVERIFY(!opened.file);
        if (error == EBUSY) {
            QCOMPARE(FileError::reason(error, FileError::Access::Read),
                     QString("ほかのプログラムが使用中です"));
        }
        return;
    }
    QCOMPARE(int(opened.kind), kind);
    QCOMPARE(bool(opened.file), kind == FileKind::Regular);
    if (opened.file) {
        QCOMPARE(opened.file->readAll(), QByteArray("TEX\n"));
    }
    if (kind != FileKind::Missing) {
        QCOMPARE(int(FileKind::of(path)), kind);
    }
}

void TestFileKind::openName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");

    QTest::newRow("ordinary") << "C:/lists/部品表.txt"
                              << "C:/lists/部品表.txt";
    QTest::newRow("close to a device") << "C:\\lists\\null.txt"
                                       << "C:\\lists\\null.txt";
    QTest::newRow("COM10 is no device") << "COM10"
                                        << "COM10";
#ifdef Q_OS_WIN
    QTest::newRow("NUL") << "NUL"
                         << "\\\\.\\NUL";
    QTest::newRow("nul in a folder, with an extension") << "C:\\lists\\nul.txt"
                                                        << "\\\\.\\NUL";
    QTest::newRow("com1 in any case") << "d:/Com1.mi"
                                      << "\\\\.\\COM1";
    QTest::newRow("device path as given") << "\\\\.\\NUL"
                                          << "\\\\.\\NUL";
    QTest::newRow("UNC name as given") << "\\\\server\\share\\nul"
                                       << "\\\\server\\share\\nul";
#else
    QTest::newRow("NUL is a name like any other") << "NUL"
                                                  << "NUL";
#endif
}

void TestFileKind::openName()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(FileKind::openName(path), name);
}

void TestFileKind::sameFileByOtherSpellings()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("部品表.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(FileKind::sameFile(path, dir.path() + "/./部品表.txt"));
    QVERIFY(!FileKind::sameFile(path, dir.filePath("other.txt")));
#ifdef Q_OS_WIN
    QVERIFY(FileKind::sameFile(path, QDir::toNativeSeparators(path)));
    QVERIFY(FileKind::sameFile(path, path.toUpper()));
    QVERIFY(!FileKind::sameFile("NUL", "NUL"));
#endif
}

QTEST_GUILESS_MAIN(TestFileKind)
#include "tst_filekind.moc"
