#include "platform/fileerror.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using Access = FileError::Access;
Q_DECLARE_METATYPE(FileError::Access)

class TestFileError : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reasons_data();
    void reasons();
    void failedOpenIsToldInJapanese_data();
    void failedOpenIsToldInJapanese();
};

void TestFileError::reasons_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<Access>("access");
    QTest::addColumn<QString>("reason"); // part of the text

    QTest::newRow("full disk") << ENOSPC << Access::Write << "ディスクがいっぱい";
    QTest::newRow("read-only file system") << EROFS << Access::Write << "読み取り専用";
    QTest::newRow("no permission to write") << EACCES << Access::Write << "書き込む権限";
    QTest::newRow("no permission to read") << EACCES << Access::Read << "読み取る権限";
    QTest::newRow("missing file") << ENOENT << Access::Read << "ファイルがありません";
    QTest::newRow("missing folder to save in")
        << ENOENT << Access::Write << "フォルダーがありません";
    QTest::newRow("unknown number") << 99999 << Access::Write << "99999";
}

void TestFileError::reasons()
{
    QFETCH(int, number);
    QFETCH(Access, access);
    QFETCH(QString, reason);
    const QString text = FileError::reason(number, access);
    QVERIFY2(text.contains(reason), qPrintable(text));
}

void TestFileError::failedOpenIsToldInJapanese_data()
{
    QTest::addColumn<QString>("name"); // inside a fresh folder
    QTest::addColumn<Access>("access");
    QTest::addColumn<QString>("reason");

    QTest::newRow("read a missing file") << "missing.txt" << Access::Read << "ファイルがありません";
    QTest::newRow("write into a missing folder")
        << "gone/list.txt" << Access::Write << "フォルダーがありません";
    QTest::newRow("write onto a folder") << "." << Access::Write << "フォルダー";
}

void TestFileError::failedOpenIsToldInJapanese()
{
    QFETCH(QString, name);
    QFETCH(Access, access);
    QFETCH(QString, reason);
    QTemporaryDir directory;
    QFile file(directory.filePath(name));
    // A stale error number must not decide: Qt's own text is matched first.
    errno = ENOSPC;
    QVERIFY(!file.open(access == Access::Read ? QIODevice::ReadOnly : QIODevice::WriteOnly));
    const QString text = FileError::reason(file, ENOSPC, access);
    QVERIFY2(text.contains(reason), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestFileError)
#include "tst_fileerror.moc"
