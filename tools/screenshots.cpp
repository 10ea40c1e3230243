// Takes the README's pictures from the real windows: run under xvfb-run,
// writes PNG files of the whole screen into the folder given as argument.
#include "editing/grideditor.h"
#include "platform/qsettingsstore.h"
#include "settings/positionscommand.h"
#include "settings/positionsettings.h"
#include "settings/positionswindow.h"
#include "shell/mainwindow.h"
#include "shell/tablemodel.h"

#include "platform/widgetdialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
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
    window.move(20, 20);
    window.resize(720, 360);
    window.show();

    const QList<QStringList> rows = {
        {"A-100", "ブラケット", "SS400", "ﾒｯｷ", "2", ""},
        {"A-101", "シャフト", "S45C", "焼入", "1", "研削仕上げ"},
        {"A-102", "カバー", "SPCC", "塗装", "4", "①髙～"},
    };
    window.table().setDataRows(rows);
    window.StatubarMessg(window.table().Rows() - 1);
    pause(500);
    shoot(out.filePath(QStringLiteral("main-window.png")));

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
    editor->popupMenu()->actions().at(1)->menu()->popup(at +
                                                        QPoint(editor->popupMenu()->width(), 20));
    pause(300);
    shoot(out.filePath(QStringLiteral("popup-menu.png")));
    editor->popupMenu()->actions().at(1)->menu()->close();
    editor->popupMenu()->close();

    window.menuActions().set1->trigger();
    auto *positionsWindow = window.findChild<PositionsCommand *>()->positionsWindow();
    positionsWindow->move(window.frameGeometry().topRight() + QPoint(10, 0));
    pause(500);
    shoot(out.filePath(QStringLiteral("settings-window.png")));
    return 0;
}
