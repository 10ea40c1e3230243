#include "app/subsystems.h"
#include "print/printcommand.h"
#include "print/printoutf.h"
#include "settings/positionsettings.h"
#include "shell/mainwindow.h"
#include "shell/tablemodel.h"
#include "support/memorystore.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

class TestPrintPreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paging_data();
    void paging();
    void reopeningStartsAfresh();
    void scrolling();
    void printing_data();
    void printing();

private:
    struct Fixture
    {
        explicit Fixture(int rows)
        {
            QList<QStringList> data;
            for (int row = 1; row <= rows; ++row) {
                data.append({QStringLiteral("A-%1").arg(row)});
            }
            window.table().setDataRows(data);
        }
        PrintOutF *open()
        {
            window.menuActions().print->trigger();
            return window.findChild<PrintCommand *>()->preview();
        }
        MemoryStore store;
        PositionSettings positions{store};
        ScriptedDialogs dialogs;
        MainWindow window{dialogs, positions};
        Subsystems subsystems{window, store};
    };
};

void TestPrintPreview::paging_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("steps"); // n = next, f = front
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("nextVisible");
    QTest::addColumn<bool>("frontVisible");
    QTest::newRow("empty: no buttons") << 0 << "" << 1 << false << false;
    QTest::newRow("50 rows: one page") << 50 << "" << 1 << false << false;
    QTest::newRow("51 rows: next shows") << 51 << "" << 1 << true << false;
    QTest::newRow("51 rows: page 2") << 51 << "n" << 2 << false << true;
    QTest::newRow("51 rows: and back") << 51 << "nf" << 1 << true << false;
    QTest::newRow("100 rows: page 2 is the last") << 100 << "n" << 2 << false << true;
    QTest::newRow("101 rows: middle page") << 101 << "n" << 2 << true << true;
    QTest::newRow("101 rows: third page") << 101 << "nn" << 3 << false << true;
    QTest::newRow("next on the last page stays") << 101 << "nnn" << 3 << false << true;
    QTest::newRow("front on page 1 stays") << 101 << "f" << 1 << true << false;
}

void TestPrintPreview::paging()
{
    QFETCH(int, rows);
    QFETCH(QString, steps);
    QFETCH(int, page);
    QFETCH(bool, nextVisible);
    QFETCH(bool, frontVisible);
    Fixture fixture(rows);
    PrintOutF *preview = fixture.open();
    QVERIFY(preview);
    QCOMPARE(preview->windowTitle(), QString("印刷"));
    for (const QChar step : steps) {
        step == u'n' ? preview->NextB_Click() : preview->FrontB_Click();
    }
    QCOMPARE(preview->pageLabel()->text(), QString::number(page));
    QCOMPARE(preview->nextButton()->isVisible(), nextVisible);
    QCOMPARE(preview->frontButton()->isVisible(), frontVisible);
}

void TestPrintPreview::reopeningStartsAfresh()
{
    Fixture fixture(120);
    PrintOutF *preview = fixture.open();
    preview->NextB_Click();
    const QImage page2 = preview->canvasImage();
    // Choosing 印刷 again only brings it to the front: nothing is redrawn.
    fixture.window.table().setRows(1);
    QCOMPARE(fixture.open(), preview);
    QCOMPARE(preview->pageLabel()->text(), QString("2"));
    QCOMPARE(preview->canvasImage(), page2);
    preview->close();
    QTRY_VERIFY(!fixture.window.findChild<PrintCommand *>()->preview());
    preview = fixture.open();
    QCOMPARE(preview->pageLabel()->text(), QString("1"));
    QVERIFY(!preview->nextButton()->isVisible());
    QCOMPARE(preview->scrollBar()->value(), 0);
}

void TestPrintPreview::scrolling()
{
    Fixture fixture(10);
    PrintOutF *preview = fixture.open();
    preview->scrollBar()->setValue(100);
    QCOMPARE(preview->canvas()->y(), -667); // -10000 twips
    preview->scrollBar()->setValue(0);
    QCOMPARE(preview->canvas()->y(), 0);
}

void TestPrintPreview::printing_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("copies");
    QTest::newRow("cancelled: nothing printed, nothing said") << false << 1;
    QTest::newRow("page 2 printed") << true << 1;
    QTest::newRow("two copies") << true << 2;
}

void TestPrintPreview::printing()
{
    QFETCH(bool, accepted);
    QFETCH(int, copies);
    Fixture fixture(60);
    QTemporaryDir dir;
    fixture.dialogs.printToFile = dir.filePath("job.pdf");
    fixture.dialogs.printerAccepted = {accepted};
    fixture.dialogs.copies = copies;
    PrintOutF *preview = fixture.open();
    preview->NextB_Click();
    preview->Command1_Click();
    QCOMPARE(fixture.dialogs.kinds(), QStringList{"printer"});
    QCOMPARE(QFile::exists(fixture.dialogs.printToFile), accepted);
    if (accepted) {
        QFile job(fixture.dialogs.printToFile);
        QVERIFY(job.open(QIODevice::ReadOnly));
        const QByteArray pdf = job.readAll();
        // One page per copy of the one page shown.
        QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") +
                     pdf.count("/Type /Page "),
                 copies);
    }
}

QTEST_MAIN(TestPrintPreview)
#include "tst_printpreview.moc"
