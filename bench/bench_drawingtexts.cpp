// Prints how 「図面の文字」 copes with a drawing of 100,000 texts: reading
// it, opening it in the window (drawing and list) and painting it whole,
// then panning across it zoomed in, and typing a position.
#include "extract/drawingbuilder.h"
#include "settings/drawingtextsview.h"
#include "settings/drawingtextswindow.h"
#include "settings/positionscommand.h"
#include "settings/positionsettings.h"
#include "settings/positionswindow.h"
#include "shell/mainwindow.h"
#include "support/memorystore.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QSysInfo>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void report(const char *what, QElapsedTimer &timer)
{
    std::printf("%-44s %8.1f ms\n", what, double(timer.nsecsElapsed()) / 1e6);
    timer.restart();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    constexpr int texts = 100000;
    std::printf("%d texts on a 1000 x 700 sheet; Qt %s, %s, platform %s\n", texts, qVersion(),
                qPrintable(QSysInfo::prettyProductName()),
                qPrintable(QGuiApplication::platformName()));

    // A title-block-like scatter: texts on a grid, varying lengths.
    QByteArray bytes;
    for (int i = 0; i < texts; ++i) {
        bytes += DrawingBuilder::textBlock(QByteArray::number((i % 400) * 2.5),
                                           QByteArray::number((i / 400) * 2.8),
                                           "TEXT-" + QByteArray::number(i * 7919 % texts));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.mi"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return 1;
    }
    file.close();
    std::printf("file: %.1f MB\n", double(bytes.size()) / 1e6);

    MemoryStore store;
    PositionSettings positions(store);
    ScriptedDialogs dialogs;
    MainWindow window(dialogs, positions);
    window.menuActions().set1->trigger();
    PositionsWindow *settings = window.findChild<PositionsCommand *>()->positionsWindow();

    QElapsedTimer timer;
    timer.start();
    const DrawingTexts::Result read = DrawingTexts::readFile(path);
    report("read the texts (DrawingTexts)", timer);
    settings->openDrawing(path);
    DrawingTextsWindow *drawing = settings->drawingWindow();
    drawing->resize(1200, 800);
    QCoreApplication::processEvents();
    drawing->view()->viewport()->repaint();
    drawing->list()->viewport()->repaint();
    report("open in the window, painted whole", timer);

    drawing->view()->viewport()->repaint();
    report("repaint of the whole page", timer);
    drawing->view()->setTexts(read.texts);
    report("the drawing layer alone: index the texts", timer);
    drawing->view()->viewport()->repaint();
    report("and paint them whole", timer);
    drawing->list()->resizeColumnsToContents();
    report("fit the list's columns", timer);

    drawing->view()->zoomBy(8);
    drawing->view()->viewport()->repaint();
    report("zoom in 8 times, painted", timer);
    QScrollBar *bar = drawing->view()->horizontalScrollBar();
    double slowest = 0;
    constexpr int steps = 50;
    for (int step = 0; step < steps; ++step) {
        QElapsedTimer frame;
        frame.start();
        // Scrolling moves what is painted and paints only the strip that comes in.
        bar->setValue(bar->value() + 40);
        QCoreApplication::processEvents();
        slowest = std::max(slowest, double(frame.nsecsElapsed()) / 1e6);
    }
    std::printf("%-44s %8.1f ms (slowest frame %.1f ms)\n", "pan 50 steps of 40 pixels",
                double(timer.nsecsElapsed()) / 1e6, slowest);
    timer.restart();

    settings->field(0)->setText(QStringLiteral("500"));
    drawing->view()->viewport()->repaint();
    report("type a position: squares, list, summary", timer);

    drawing->list()->sortByColumn(3, Qt::AscendingOrder);
    drawing->list()->viewport()->repaint();
    report("sort the list by text", timer);
    return read.texts.size() == texts ? 0 : 1;
}
