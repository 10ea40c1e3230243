#include "app/subsystems.h"
#include "print/pagelayout.h"
#include "print/printcommand.h"
#include "print/printoutf.h"
#include "settings/positionsettings.h"
#include "shell/mainwindow.h"
#include "shell/tablemodel.h"
#include "support/memorystore.h"
#include "support/rows.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

class TestPrintPreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paging_data();
    void paging();
    void reopeningStartsAfresh();
    void scrolling();
    void followsTheTable_data();
    void followsTheTable();
    void printing_data();
    void printing();
    void pdfName_data();
    void pdfName();
    void printsSelectedRows();
    void namesTheListAndCountsCutCells();
    void stoppingAPdfLeavesTheFileAsItWas_data();
    void stoppingAPdfLeavesTheFileAsItWas();

private:
    struct Fixture
    {
        explicit Fixture(int rows)
        {
            QList<QStringList> data;
            for (int row = 1; row <= rows; ++row) {
                data.append({QStringLiteral("A-%1").arg(row)});
            }
            setDataRows(window.table(), data);
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
    QTest::addColumn<QString>("steps"); // n = next, f = front, D / U = PageDown / PageUp
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
    QTest::newRow("PageDown twice") << 101 << "DD" << 3 << false << true;
    QTest::newRow("PageUp") << 101 << "DDU" << 2 << true << true;
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
        if (step == u'n') {
            preview->showNextPage();
        } else if (step == u'f') {
            preview->showPreviousPage();
        } else {
            QTest::keyClick(preview, step == u'D' ? Qt::Key_PageDown : Qt::Key_PageUp);
        }
    }
    QCOMPARE(preview->pageLabel()->text(),
             QStringLiteral("%1 / %2").arg(page).arg(std::max(1, (rows + 49) / 50)));
    QCOMPARE(preview->nextButton()->isVisible(), nextVisible);
    QCOMPARE(preview->frontButton()->isVisible(), frontVisible);
}

void TestPrintPreview::reopeningStartsAfresh()
{
    Fixture fixture(120);
    PrintOutF *preview = fixture.open();
    preview->showNextPage();
    const QImage page2 = preview->canvasImage();
    // Choosing 印刷 again only brings it to the front.
    QCOMPARE(fixture.open(), preview);
    QCOMPARE(preview->currentPage(), 2);
    QCOMPARE(preview->canvasImage(), page2);
    preview->close();
    QTRY_VERIFY(!fixture.window.findChild<PrintCommand *>()->preview());
    preview = fixture.open();
    QCOMPARE(preview->currentPage(), 1);
    QVERIFY(preview->nextButton()->isVisible());
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
    // The wheel anywhere over the window and the arrow keys scroll it too.
    QWheelEvent wheel(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(preview, &wheel);
    QVERIFY(preview->scrollBar()->value() > 0);
    preview->scrollBar()->setValue(0);
    QTest::keyClick(preview, Qt::Key_Down);
    QCOMPARE(preview->scrollBar()->value(), preview->scrollBar()->singleStep());
    QTest::keyClick(preview, Qt::Key_Up);
    QCOMPARE(preview->scrollBar()->value(), 0);
    // Wherever the focus is: a button would otherwise move it with the arrows.
    preview->nextButton()->setFocus();
    QTest::keyClick(preview->frontButton(), Qt::Key_Down);
    QCOMPARE(preview->scrollBar()->value(), preview->scrollBar()->singleStep());
    QTest::keyClick(preview->scrollBar(), Qt::Key_Up);
    QCOMPARE(preview->scrollBar()->value(), 0);
    // Ctrl + wheel and Ctrl + / − magnify the page, sharp, and back.
    QWheelEvent zoomWheel(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(preview->scrollBar(), &zoomWheel);
    QCOMPARE(preview->zoom(), 1.5);
    QCOMPARE(preview->canvas()->width(), qRound(794 * 1.5));
    QVERIFY(preview->horizontalScrollBar()->isVisibleTo(preview));
    QTest::keyClick(preview->frontButton(), Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(preview->zoom(), 2.0);
    preview->scrollBar()->setValue(100);
    QCOMPARE(preview->canvas()->y() + preview->canvas()->height(),
             preview->canvas()->parentWidget()->height()); // the foot of the page in view
    QTest::keyClick(preview, Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(preview, Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(preview, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(preview->zoom(), 1.0);
    QCOMPARE(preview->canvas()->y(), -667);
    QVERIFY(!preview->horizontalScrollBar()->isVisibleTo(preview));
}

void TestPrintPreview::followsTheTable_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("rowsAfter"); // -1: only a cell of the shown page changes
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("nextVisible");
    QTest::addColumn<bool>("frontVisible");
    QTest::newRow("edit on the shown page") << 120 << 2 << -1 << 2 << true << true;
    QTest::newRow("page still there") << 120 << 2 << 60 << 2 << false << true;
    QTest::newRow("shrunk to one row") << 120 << 2 << 1 << 1 << false << false;
    QTest::newRow("shrunk to two pages from the third") << 120 << 3 << 51 << 2 << false << true;
    QTest::newRow("grown") << 10 << 1 << 120 << 1 << true << false;
}

void TestPrintPreview::followsTheTable()
{
    QFETCH(int, rows);
    QFETCH(int, shown);
    QFETCH(int, rowsAfter);
    QFETCH(int, page);
    QFETCH(bool, nextVisible);
    QFETCH(bool, frontVisible);
    Fixture fixture(rows);
    PrintOutF *preview = fixture.open();
    for (int step = 1; step < shown; ++step) {
        preview->showNextPage();
    }
    TableModel &table = fixture.window.table();
    if (rowsAfter < 0) {
        table.setText(TableModel::gridRow((shown - 1) * 50), 1, QStringLiteral("変更した品名"));
    } else {
        QList<QStringList> data;
        for (int row = 1; row <= rowsAfter; ++row) {
            data.append({QStringLiteral("B-%1").arg(row)});
        }
        setDataRows(table, data);
    }
    QTRY_COMPARE(preview->currentPage(), page);
    QTRY_COMPARE(preview->nextButton()->isVisible(), nextVisible);
    QCOMPARE(preview->frontButton()->isVisible(), frontVisible);
    // What is shown is the page as a fresh preview of the changed table draws it.
    PrintOutF fresh(table, fixture.dialogs);
    for (int step = 1; step < page; ++step) {
        fresh.showNextPage();
    }
    QTRY_COMPARE(preview->canvasImage(), fresh.canvasImage());
    // Never past the last page, however often 次ページ is asked for.
    preview->showNextPage();
    preview->showNextPage();
    QVERIFY(preview->currentPage() <= PageLayout::lastPage(table));
}

void TestPrintPreview::printing_data()
{
    QTest::addColumn<int>("accepted");       // -1: no printer installed, 2: the job cannot start
    QTest::addColumn<int>("range");          // QPrinter::PrintRange
    QTest::addColumn<QString>("pageRanges"); // with PageRange
    QTest::addColumn<int>("copies");
    QTest::addColumn<QString>("pagesPrinted"); // page numbers in print order
    QTest::addColumn<QString>("warning");      // part of the warning shown
    QTest::addColumn<bool>("reversed");        // 逆順
    const int all = QPrinter::AllPages;
    const int current = QPrinter::CurrentPage;
    const int range = QPrinter::PageRange;
    QTest::newRow("cancelled: nothing printed, nothing said") << 0 << current << "" << 1 << ""
                                                              << "" << false;
    QTest::newRow("the page shown") << 1 << current << "" << 1 << "2"
                                    << "" << false;
    QTest::newRow("two copies") << 1 << current << "" << 2 << "2,2"
                                << "" << false;
    QTest::newRow("all pages, one job") << 1 << all << "" << 1 << "1,2,3"
                                        << "" << false;
    QTest::newRow("a range") << 1 << range << "2-3" << 1 << "2,3"
                             << "" << false;
    QTest::newRow("pages out of order") << 1 << range << "3,1" << 1 << "1,3"
                                        << "" << false;
    QTest::newRow("a range past the end") << 1 << range << "2-9" << 1 << "2,3"
                                          << "" << false;
    QTest::newRow("only pages the list lacks") << 1 << range << "5-6" << 1 << ""
                                               << "部品表は 3 ページです" << false;
    QTest::newRow("no printer installed") << -1 << current << "" << 1 << ""
                                          << "「PDF」ボタン" << false;
    QTest::newRow("reversed") << 1 << all << "" << 1 << "3,2,1"
                              << "" << true;
    QTest::newRow("a range reversed, two copies") << 1 << range << "2-3" << 2 << "3,2,3,2"
                                                  << "" << true;
    QTest::newRow("job refused") << 2 << current << "" << 1 << ""
                                 << "を開けません" << false;
}

void TestPrintPreview::printing()
{
    QFETCH(int, accepted);
    QFETCH(int, range);
    QFETCH(QString, pageRanges);
    QFETCH(int, copies);
    QFETCH(QString, pagesPrinted);
    QFETCH(QString, warning);
    QFETCH(bool, reversed);
    Fixture fixture(120);
    fixture.dialogs.reversed = reversed;
    QTemporaryDir dir;
    fixture.dialogs.printToFile = dir.filePath(accepted == 2 ? "missing/job.pdf" : "job.pdf");
    fixture.dialogs.printerAccepted = {accepted > 0};
    fixture.dialogs.noPrinter = accepted < 0;
    fixture.dialogs.printRange = QPrinter::PrintRange(range);
    fixture.dialogs.pageRanges = pageRanges;
    fixture.dialogs.copies = copies;
    PrintOutF *preview = fixture.open();
    preview->showNextPage();
    // A cell edit still open is stored before anything is printed.
    fixture.window.setCommitOpenEdit(
        [&] { fixture.window.table().setText(51, 0, QStringLiteral("A-51改")); });
    preview->printPages();
    QCOMPARE(fixture.dialogs.shown.value(0).kind, QString("printer"));
    // The dialog offers the list's pages and starts with the page shown.
    QCOMPARE(fixture.dialogs.shown.value(0).text, QString("1-3 current"));
    QCOMPARE(fixture.dialogs.kinds().contains("warning"), !warning.isEmpty());
    if (!warning.isEmpty()) {
        QVERIFY2(fixture.dialogs.shown.constLast().text.contains(warning),
                 qPrintable(fixture.dialogs.shown.constLast().text));
    }
    QCOMPARE(QFile::exists(fixture.dialogs.printToFile), !pagesPrinted.isEmpty());
    if (pagesPrinted.isEmpty()) {
        return;
    }
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    QProcess text;
    text.start("pdftotext", {"-layout", fixture.dialogs.printToFile, "-"});
    QVERIFY(text.waitForFinished(30000));
    QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(u'\f');
    pages.removeLast(); // after the last form feed
    QStringList numbers;
    static const QRegularExpression firstRow(R"(A-(\d+))");
    for (const QString &page : pages) {
        numbers.append(QString::number((firstRow.match(page).captured(1).toInt() - 1) / 50 + 1));
        QVERIFY(page.contains("A-51改") == (numbers.constLast() == "2"));
    }
    QCOMPARE(numbers.join(u','), pagesPrinted);
    QVERIFY(preview->statusLabel()->toolTip().contains("送りました"));
}

void TestPrintPreview::pdfName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no suffix: .pdf added") << "list"
                                           << "list.pdf";
    QTest::newRow("suffix kept") << "list.pdf"
                                 << "list.pdf";
}

void TestPrintPreview::pdfName()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    Fixture fixture(3);
    QTemporaryDir dir;
    fixture.dialogs.fileNames = {dir.filePath(typed)};
    PrintOutF *preview = fixture.open();
    preview->savePdf();
    QVERIFY(QFile::exists(dir.filePath(saved)));
    // The place it went is shown.
    QVERIFY(
        preview->statusLabel()->toolTip().contains(QDir::toNativeSeparators(dir.filePath(saved))));
}

void TestPrintPreview::printsSelectedRows()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    Fixture fixture(120);
    QTemporaryDir dir;
    fixture.dialogs.printToFile = dir.filePath("job.pdf");
    fixture.dialogs.printerAccepted = {true};
    fixture.dialogs.printRange = QPrinter::Selection;
    QTableView *grid = fixture.window.grid();
    // Rows A-60 .. A-62 and A-100.
    const QItemSelection rows(grid->model()->index(59, 0), grid->model()->index(61, 5));
    grid->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
    grid->selectionModel()->select(grid->model()->index(99, 2), QItemSelectionModel::Select);
    PrintOutF *preview = fixture.open();
    preview->printPages();
    QVERIFY(fixture.dialogs.selectionOffered);
    QProcess text;
    text.start("pdftotext", {"-layout", fixture.dialogs.printToFile, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    static const QRegularExpression drawing(R"(A-\d+)");
    QStringList numbers;
    for (auto it = drawing.globalMatch(printed); it.hasNext();) {
        numbers.append(it.next().captured());
    }
    QCOMPARE(numbers.join(u','), QString("A-60,A-61,A-62,A-100"));
    QVERIFY(printed.contains("1 / 1"));
    // One cell under the cursor is no selection of rows.
    grid->selectionModel()->select(grid->model()->index(3, 0), QItemSelectionModel::ClearAndSelect);
    fixture.dialogs.printerAccepted = {false};
    preview->printPages();
    QVERIFY(!fixture.dialogs.selectionOffered);
}

void TestPrintPreview::namesTheListAndCountsCutCells()
{
    Fixture fixture(60);
    QTemporaryDir dir;
    fixture.window.setCurrentFile(dir.filePath("ポンプ組立.txt"));
    fixture.window.table().setText(2, 5, QString(300, QChar(u'注')));
    fixture.window.table().setText(55, 3, QString(200, QChar(u'ﾒ')));
    PrintOutF *preview = fixture.open();
    QTRY_VERIFY(preview->shortenedLabel()->isVisibleTo(preview));
    QVERIFY(preview->shortenedLabel()->text().contains("2"));
    fixture.dialogs.fileNames = {dir.filePath("list.pdf")};
    preview->savePdf();
    QVERIFY(preview->statusLabel()->text().startsWith("PDF を保存しました"));
    if (!QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        QProcess text;
        text.start("pdftotext", {"-layout", dir.filePath("list.pdf"), "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QCOMPARE(printed.count("ポンプ組立.txt"), 2);
        QVERIFY(printed.contains("2 / 2"));
    }
    // Another list: what was said about this one goes.
    fixture.window.setCurrentFile(QString());
    QVERIFY(preview->statusLabel()->text().isEmpty());
    fixture.window.table().setText(2, 5, QStringLiteral("短い備考"));
    fixture.window.table().setText(55, 3, QString());
    QTRY_VERIFY(!preview->shortenedLabel()->isVisibleTo(preview));
}

void TestPrintPreview::stoppingAPdfLeavesTheFileAsItWas_data()
{
    QTest::addColumn<QByteArray>("before"); // empty: no file yet
    QTest::newRow("no file: none left") << QByteArray();
    QTest::newRow("an older PDF stays whole") << QByteArray("%PDF-1.4 older list");
}

void TestPrintPreview::stoppingAPdfLeavesTheFileAsItWas()
{
    QFETCH(QByteArray, before);
    // Enough pages that the progress shows (after half a second) even on a
    // machine several times faster than ours.
    Fixture fixture(16000);
    QTemporaryDir dir;
    const QString path = dir.filePath("list.pdf");
    if (!before.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    fixture.dialogs.fileNames = {path};
    PrintOutF *preview = fixture.open();
    bool busy = false;
    QString label;
    QTimer stopper;
    stopper.setInterval(20);
    connect(&stopper, &QTimer::timeout, preview, [&] {
        auto *progress = preview->findChild<QProgressDialog *>();
        if (!progress || !progress->isVisible() || !label.isEmpty()) {
            return;
        }
        label = progress->labelText();
        busy = QGuiApplication::overrideCursor() &&
               QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        auto *stop = progress->findChild<QPushButton *>();
        QVERIFY(stop && stop->text() == "中止");
        QTest::mouseClick(stop, Qt::LeftButton);
    });
    stopper.start();
    preview->savePdf();
    stopper.stop();
    QVERIFY2(label.contains(" / 320 ページ"), qPrintable(label));
    QVERIFY(busy);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(fixture.dialogs.kinds(), QStringList{"save"}); // and no warning
    QVERIFY(preview->statusLabel()->text().contains("中止"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             before.isEmpty() ? QStringList() : QStringList{"list.pdf"});
    if (!before.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
}

QTEST_MAIN(TestPrintPreview)
#include "tst_printpreview.moc"
