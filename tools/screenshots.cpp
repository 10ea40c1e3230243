#include "app/subsystems.h"
#include "support/rows.h"
// Takes the README's pictures from the real windows: run under xvfb-run,
// writes PNG files of the whole screen into the folder given as argument.
#include "editing/grideditor.h"
#include "listfile/listfilecommands.h"
#include "platform/qsettingsstore.h"
#include "print/printcommand.h"
#include "print/printoutf.h"
#include "settings/drawingtextsview.h"
#include "settings/drawingtextswindow.h"
#include "settings/positionscommand.h"
#include "settings/positionsettings.h"
#include "settings/positionswindow.h"
#include "shell/mainwindow.h"
#include "shell/tablemodel.h"

#include "platform/widgetdialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

namespace {

void shoot(const QString &path)
{
    QCoreApplication::processEvents();
    QApplication::primaryScreen()->grabWindow(0).save(path);
}

void pause(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QTemporaryDir settingsDir;
    QSettingsStore store(settingsDir.filePath(QStringLiteral("positions.ini")));
    PositionSettings positions(store);
    WidgetDialogs dialogs;
    MainWindow window(dialogs, positions);
    Subsystems subsystems(window, store);
    window.move(20, 20);
    window.resize(720, 360);
    window.show();

    const QList<QStringList> rows = {
        {"A-100", "ブラケット", "SS400", "ﾒｯｷ", "2", ""},
        {"A-101", "シャフト", "S45C", "焼入", "1", "研削仕上げ"},
        {"A-102", "カバー", "SPCC", "塗装", "4", "①髙～"},
    };
    setDataRows(window.table(), rows);
    window.StatubarMessg(window.table().Rows() - 1);
    pause(500);
    shoot(out.filePath(QStringLiteral("main-window.png")));

    // ﾌｧｲﾙ with 上書き保存 and the recent lists, a list open.
    subsystems.listFiles->setRecentFiles(
        {QStringLiteral("C:/部品表/ポンプ組立.txt"), QStringLiteral("C:/部品表/架台.txt")});
    window.setCurrentFile(QStringLiteral("C:/部品表/ポンプ組立.txt"));
    const auto openMenu = [&](QMenu *menu) {
        menu->popup(window.menuBar()->mapToGlobal(
            window.menuBar()->actionGeometry(menu->menuAction()).bottomLeft()));
        pause(300);
    };
    auto *fileMenu = qobject_cast<QMenu *>(window.menuActions().save->associatedObjects().value(0));
    openMenu(fileMenu);
    shoot(out.filePath(QStringLiteral("file-menu.png")));
    fileMenu->close();

    // A block selected for the spreadsheet, and the 編集 menu.
    window.grid()->selectionModel()->select(
        QItemSelection(window.table().index(0, 0), window.table().index(2, 2)),
        QItemSelectionModel::ClearAndSelect);
    openMenu(window.menuActions().edit);
    shoot(out.filePath(QStringLiteral("copy-paste.png")));
    window.menuActions().edit->close();
    window.grid()->clearSelection();

    // An edit in progress, then the table's pop-up menu.
    auto *editor = window.findChild<GridEditor *>();
    window.activateWindow();
    window.grid()->setFocus();
    window.grid()->setCurrentIndex(window.table().index(1, 1));
    editor->GridEdit(QStringLiteral("シャフト（長）"));
    pause(300);
    shoot(out.filePath(QStringLiteral("editing.png")));
    window.commitOpenEdit();
    window.grid()->setCurrentIndex(window.table().index(0, 0));
    const QPoint at = window.grid()->viewport()->mapToGlobal(
        window.grid()->visualRect(window.table().index(0, 1)).center());
    editor->popupMenu()->popup(at);
    pause(300);
    // The ｿｰﾄ submenu opened beside it.
    QMenu *sortMenu = nullptr;
    for (QAction *action : editor->popupMenu()->actions()) {
        sortMenu = sortMenu ? sortMenu : action->menu();
    }
    if (sortMenu) {
        sortMenu->popup(at + QPoint(editor->popupMenu()->width(), 20));
    }
    pause(300);
    shoot(out.filePath(QStringLiteral("popup-menu.png")));
    if (sortMenu) {
        sortMenu->close();
    }
    editor->popupMenu()->close();

    window.menuActions().set1->trigger();
    auto *positionsWindow = window.findChild<PositionsCommand *>()->positionsWindow();
    positionsWindow->move(window.frameGeometry().topRight() + QPoint(10, 0));
    pause(500);
    shoot(out.filePath(QStringLiteral("settings-window.png")));

    // An example drawing in 「図面の文字」 with five positions set and 備考 about to be picked.
    QFile examplePositions(QStringLiteral(TAVO_EXAMPLES "/positions.txt"));
    examplePositions.open(QIODevice::ReadOnly);
    const QStringList values = QString::fromUtf8(examplePositions.readAll()).trimmed().split(',');
    for (int entry = 0; entry < values.size() && entry < 10; ++entry) {
        positionsWindow->field(entry)->setText(values[entry]);
    }
    positionsWindow->move(1280 - positionsWindow->frameGeometry().width() - 10, 10);
    // Opens below the settings window, placed by itself.
    positionsWindow->openDrawing(QStringLiteral(TAVO_EXAMPLES "/A-10.mi"));
    DrawingTextsWindow *drawing = positionsWindow->drawingWindow();
    pause(300);
    // Zoomed in on the title block, as the user would, and 備考 picked by a click.
    drawing->view()->zoomTo(QRectF(235, -7, 190, 54));
    pause(300);
    drawing->pickField(5);
    QWidget *viewport = drawing->view()->viewport();
    const QPointF text = drawing->view()->viewportPosition(7);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, text, viewport->mapToGlobal(text), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &click);
    }
    pause(500);
    shoot(out.filePath(QStringLiteral("drawing-texts.png")));
    positionsWindow->close();

    // An A1 sheet of another template in set 2, its positions found by the labels.
    window.menuActions().set2->trigger();
    auto *secondSet = window.findChild<PositionsCommand *>()->positionsWindow(1);
    secondSet->move(1280 - secondSet->frameGeometry().width() - 10, 10);
    secondSet->openDrawing(QStringLiteral(TAVO_EXAMPLES "/B-5.mi"));
    DrawingTextsWindow *labelled = secondSet->drawingWindow();
    labelled->findByLabels();
    pause(300);
    labelled->view()->zoomTo(QRectF(600, -8, 250, 60));
    pause(500);
    shoot(out.filePath(QStringLiteral("find-by-labels.png")));
    secondSet->close();

    // The preview of a 120-row list, pages 1 and 2.
    QList<QStringList> many;
    for (int row = 1; row <= 120; ++row) {
        many.append({QStringLiteral("A-%1").arg(row, 3, 10, QLatin1Char('0')),
                     QStringLiteral("部品 %1").arg(row), QStringLiteral("SS400"),
                     row % 3 ? QStringLiteral("ﾒｯｷ") : QStringLiteral("塗装"),
                     QString::number(row % 7 + 1), row % 10 ? QString() : QStringLiteral("①髙～")});
    }
    setDataRows(window.table(), many);
    window.menuActions().print->trigger();
    PrintOutF *preview = window.findChild<PrintCommand *>()->preview();
    preview->move(40, 40);
    pause(500);
    shoot(out.filePath(QStringLiteral("preview-page1.png")));
    preview->showNextPage();
    pause(300);
    shoot(out.filePath(QStringLiteral("preview-page2.png")));
    return 0;
}
