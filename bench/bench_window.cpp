// Prints how the main window copes with 100,000 rows: filling the table,
// painting it, jumping to the end, sorting, emptying a selection, deleting
// rows and New, each followed by the repaint the user would wait for, and
// the longest time the event loop was blocked meanwhile.
#include "app/subsystems.h"
#include "editing/grideditor.h"
#include "extract/drawingbuilder.h"
#include "extract/dropcontroller.h"
#include "settings/positionsettings.h"
#include "shell/mainwindow.h"
#include "shell/tablemodel.h"
#include "support/memorystore.h"
#include "support/rows.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QSysInfo>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

QList<QStringList> makeRows(int count)
{
    QList<QStringList> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        rows.append({QStringLiteral("A-%1").arg((i * 7919) % count),
                     QStringLiteral("ブラケット%1").arg(i), QStringLiteral("SS400"),
                     QStringLiteral("ﾒｯｷ"), QString::number(i % 20 + 1),
                     i % 3 ? QString() : QStringLiteral("①高～")});
    }
    return rows;
}

void report(const char *what, QElapsedTimer &timer, QTableView *grid)
{
    grid->viewport()->repaint();
    std::printf("%-44s %8.1f ms\n", what, double(timer.nsecsElapsed()) / 1e6);
    timer.restart();
}

// A drawing of `blocks` text blocks, the last one at each position wins.
QByteArray drawing(int number, int blocks)
{
    QByteArray bytes;
    for (int b = 0; b < blocks; ++b) {
        bytes += DrawingBuilder::textBlock(QByteArray::number(b * 10), "0",
                                           "A-" + QByteArray::number(number));
    }
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;

    MemoryStore store;
    PositionSettings positions(store);
    ScriptedDialogs dialogs; // New's question is answered Yes below
    MainWindow window(dialogs, positions);
    Subsystems subsystems(window, store);
    window.resize(800, 600);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    QTableView *grid = window.grid();
    GridEditor *editor = window.findChild<GridEditor *>();

    const int files = 2000;
    const int blocks = 200;
    QTemporaryDir folder;
    QStringList paths;
    for (int i = 0; i < files; ++i) {
        QFile file(folder.filePath(QStringLiteral("%1.mi").arg(i)));
        if (!file.open(QIODevice::WriteOnly) || file.write(drawing(i, blocks)) < 0) {
            std::fprintf(stderr, "cannot write the drawings\n");
            return 1;
        }
        paths.append(file.fileName());
    }
    QElapsedTimer dropTimer;
    dropTimer.start();
    window.findChild<DropController *>()->dropFiles(paths);
    std::printf("drop of %d drawings of %d KiB: %lld rows        %8.1f ms\n", files,
                int(drawing(0, blocks).size() / 1024),
                static_cast<long long>(window.table().Rows() - 1),
                double(dropTimer.nsecsElapsed()) / 1e6);

    const QList<QStringList> data = makeRows(rows);
    std::printf("%d rows\n", rows);
    QElapsedTimer timer;
    timer.start();

    setDataRows(window.table(), data);
    window.StatubarMessg(window.table().Rows() - 1);
    report("fill the table", timer, grid);

    window.table().setRows(1);
    timer.restart();
    for (int row = 1; row <= rows; ++row) {
        window.table().setRows(row + 1);
        for (int col = 0; col < 6; ++col) {
            window.DataSet(data.at(row - 1).at(col), row, col);
        }
    }
    report("append row by row through DataSet", timer, grid);

    grid->scrollToBottom();
    report("jump to the last row", timer, grid);

    editor->MnuSort1(0);
    report("sort by column 0 (drawing number)", timer, grid);
    editor->MnuSort1(4);
    report("sort by column 4 (quantity)", timer, grid);

    grid->selectAll();
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(grid, &del);
    report("Delete on every cell", timer, grid);
    window.menuActions().undo->trigger();
    report("undo that Delete", timer, grid);
    window.menuActions().undo->trigger();
    report("undo the sort by column 4", timer, grid);

    setDataRows(window.table(), data);
    timer.restart();
    for (int i = 0; i < 100; ++i) {
        grid->setCurrentIndex(window.table().index(1, 0));
        editor->MnuDelete();
    }
    report("delete the first row, 100 times", timer, grid);

    dialogs.saveAnswers.append(Dialogs::Answer::No); // the table has unsaved changes
    editor->MnuNew();
    report("New", timer, grid);
    if (window.table().Rows() != 1) {
        std::fprintf(stderr, "New left %lld rows\n", static_cast<long long>(window.table().Rows()));
        return 1;
    }

    // Opening a saved list of all those rows, the way the user does.
    {
        const QString list = folder.filePath(QStringLiteral("list.txt"));
        QFile file(list);
        QByteArray bytes;
        for (const QStringList &row : data) {
            bytes += row.join(QLatin1Char(',')).toUtf8() + "\r\n";
        }
        if (!file.open(QIODevice::WriteOnly) || file.write("\xEF\xBB\xBF" + bytes) < 0) {
            std::fprintf(stderr, "cannot write the list\n");
            return 1;
        }
        file.close();
        dialogs.fileNames.append(list);
        timer.restart();
        window.menuActions().open->trigger();
        report("open a saved list of all rows", timer, grid);
        if (window.table().Rows() != rows + 1) {
            std::fprintf(stderr, "Open read %lld rows\n",
                         static_cast<long long>(window.table().Rows() - 1));
            return 1;
        }
        editor->MnuSort1(1);
        report("sort the opened list by column 1", timer, grid);
        window.menuActions().undo->trigger();
        window.menuActions().undo->trigger();
        report("undo the sort and the open", timer, grid);
    }

    // Responsiveness: the longest gap between timer ticks while sorting again.
    setDataRows(window.table(), data);
    QElapsedTimer gap;
    gap.start();
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = qMax(longest, gap.nsecsElapsed());
        gap.restart();
    });
    tick.start(1);
    QTimer::singleShot(10, [&] { editor->MnuSort1(1); });
    QTest::qWait(300);
    std::printf("%-44s %8.1f ms\n", "longest event-loop stall around a sort",
                double(longest) / 1e6);

    std::printf("(%s, %s, Qt %s, %s)\n", qPrintable(QSysInfo::prettyProductName()),
                qPrintable(QSysInfo::currentCpuArchitecture()), qVersion(),
                qPrintable(QGuiApplication::platformName()));
    return 0;
}
