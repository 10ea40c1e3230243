#include "platform/singleinstance.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondInstanceIsRefused();
    void lockOfAKilledProcessIsTakenOver();
    void releasedOnExit();
};

void TestSingleInstance::secondInstanceIsRefused()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath("tavo.lock");
    SingleInstance first(lock);
    QVERIFY(first.acquire());
    SingleInstance second(lock);
    QVERIFY(!second.acquire());
}

void TestSingleInstance::lockOfAKilledProcessIsTakenOver()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath("tavo.lock");
    // A lock file as QLockFile writes it, naming a process that has ended.
    QProcess finished;
    finished.start("true");
    QVERIFY(finished.waitForFinished());
    const qint64 deadPid = finished.processId() > 0 ? finished.processId() : 999999;
    QFile file(lock);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(deadPid) + "\n" + QCoreApplication::applicationName().toUtf8() +
               "\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    file.close();
    SingleInstance instance(lock);
    QVERIFY(instance.acquire());
}

void TestSingleInstance::releasedOnExit()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath("tavo.lock");
    {
        SingleInstance first(lock);
        QVERIFY(first.acquire());
    }
    SingleInstance again(lock);
    QVERIFY(again.acquire());
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
