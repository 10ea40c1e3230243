#include "app/guardedapplication.h"
#include "support/scripteddialogs.h"

#include <QEvent>
#include <QTest>

#include <new>

namespace {

// Runs out of memory on its first event, as a command on a huge table might.
class Exhausted : public QObject
{
public:
    int events = 0;
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User) {
            return QObject::event(event);
        }
        if (++events == 1) {
            throw std::bad_alloc();
        }
        return true;
    }
};

} // namespace

class TestGuardedApplication : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outOfMemoryIsToldAndTheProgramGoesOn_data();
    void outOfMemoryIsToldAndTheProgramGoesOn();
};

void TestGuardedApplication::outOfMemoryIsToldAndTheProgramGoesOn_data()
{
    QTest::addColumn<bool>("posted");
    QTest::newRow("sent") << false;
    QTest::newRow("posted") << true;
}

void TestGuardedApplication::outOfMemoryIsToldAndTheProgramGoesOn()
{
    QFETCH(bool, posted);
    auto *app = dynamic_cast<GuardedApplication *>(QCoreApplication::instance());
    QVERIFY(app);
    ScriptedDialogs dialogs;
    app->setDialogs(&dialogs);
    Exhausted receiver;
    for (int i = 0; i < 2; ++i) {
        if (posted) {
            QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
            QCoreApplication::processEvents();
        } else {
            QEvent event(QEvent::User);
            QCoreApplication::sendEvent(&receiver, &event);
        }
    }
    app->setDialogs(nullptr);
    QCOMPARE(receiver.events, 2);
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown[0].kind, QString("warning"));
    QVERIFY(dialogs.shown[0].text.startsWith("メモリーが足りないので"));
}

int main(int argc, char **argv)
{
    GuardedApplication app(argc, argv);
    TestGuardedApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_guardedapplication.moc"
