#include "platform/singleinstance.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>

// The holder of an instance in a process of its own: this program started
// with "--hold NAME" takes the instance, says so and waits to be killed.
static const char holdArgument[] = "--hold";

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondStartIsRefusedAndWakesTheFirst();
    void killedHolderLeavesNoLock();
    void releasedOnExit();
};

void TestSingleInstance::secondStartIsRefusedAndWakesTheFirst()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("tavo");
    SingleInstance first(name);
    QVERIFY(first.acquire());
    QSignalSpy woken(&first, &SingleInstance::activationRequested);
    SingleInstance second(name);
    QVERIFY(!second.acquire());
    second.notifyRunning();
    QVERIFY(woken.wait(5000));
    // Another start later wakes it again.
    SingleInstance third(name);
    QVERIFY(!third.acquire());
    third.notifyRunning();
    QTRY_COMPARE_WITH_TIMEOUT(woken.size(), 2, 5000);
}

void TestSingleInstance::killedHolderLeavesNoLock()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("tavo");
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {holdArgument, name});
    QVERIFY(holder.waitForReadyRead(30000));
    QCOMPARE(holder.readAll().trimmed(), QByteArray("held"));
    QVERIFY(!SingleInstance(name).acquire());
    holder.kill();
    QVERIFY(holder.waitForFinished(10000));
    SingleInstance after(name);
    QVERIFY(after.acquire());
}

void TestSingleInstance::releasedOnExit()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("tavo");
    {
        SingleInstance first(name);
        QVERIFY(first.acquire());
    }
    SingleInstance again(name);
    QVERIFY(again.acquire());
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], holdArgument) == 0) {
        SingleInstance instance(QString::fromLocal8Bit(argv[2]));
        if (!instance.acquire()) {
            return 1;
        }
        std::puts("held");
        std::fflush(stdout);
        QThread::sleep(60);
        return 0;
    }
    TestSingleInstance test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
