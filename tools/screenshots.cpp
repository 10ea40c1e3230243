// Takes the README's pictures from the real windows: run under xvfb-run,
// writes PNG files of the whole screen into the folder given as argument.
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
#include <QScreen>
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

    window.menuActions().set1->trigger();
    auto *positionsWindow = window.findChild<PositionsCommand *>()->positionsWindow();
    positionsWindow->move(window.frameGeometry().topRight() + QPoint(10, 0));
    pause(500);
    shoot(out.filePath(QStringLiteral("settings-window.png")));
    return 0;
}
