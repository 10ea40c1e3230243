#include "subsystems.h"

#include "editing/grideditor.h"
#include "extract/dropcontroller.h"
#include "listfile/listfilecommands.h"
#include "platform/dialogs.h"
#include "print/printcommand.h"
#include "settings/positionscommand.h"
#include "settings/positionsettings.h"
#include "settings/settingsstore.h"
#include "shell/mainwindow.h"

#include <QByteArray>
#include <QStringList>

namespace {

// Apart from the positions: the old program's key holds only what it knows.
const QString application = QStringLiteral("Tavo");
const QString section = QStringLiteral("Window");
const QString geometryKey = QStringLiteral("Geometry");
const QString columnSharesKey = QStringLiteral("ColumnShares");
const QString lastFileKey = QStringLiteral("LastFile");
QString recentKey(int number)
{
    return QStringLiteral("Recent%1").arg(number);
}

} // namespace

Subsystems::Subsystems(MainWindow &window, SettingsStore &store)
    : positions(new PositionsCommand(window)),
      drop(new DropController(window, [&window] { return window.positions().sources(); })),
      editor(new GridEditor(window)), print(new PrintCommand(window)),
      listFiles(new ListFileCommands(window))
{
    window.positions().LoadPositionSettings();
    const QByteArray geometry = QByteArray::fromBase64(
        store.GetSetting(application, section, geometryKey, QString()).toLatin1());
    if (!geometry.isEmpty()) {
        window.restoreGeometry(geometry);
    }
    window.setColumnShares(store.GetSetting(application, section, columnSharesKey, QString()));
    listFiles->setLastName(store.GetSetting(application, section, lastFileKey, QString()));
    QStringList recent;
    for (int number = 1; number <= ListFileCommands::maxRecent; ++number) {
        recent.append(store.GetSetting(application, section, recentKey(number), QString()));
    }
    listFiles->setRecentFiles(recent);

    ListFileCommands *files = listFiles;
    QObject::connect(&window, &MainWindow::closing, &window, [&window, &store, files] {
        PositionSettings &kept = window.positions();
        if (!kept.SavePositionSettings()) {
            window.dialogs().warning(
                &window, QStringLiteral("位置の設定を保存できませんでした。\n保存先: %1\n"
                                        "次回の起動時には前回保存された値が使われます。")
                             .arg(kept.storeLocation()));
        }
        store.SaveSetting(application, section, geometryKey,
                          QString::fromLatin1(window.saveGeometry().toBase64()));
        if (const QString shares = window.columnShares(); !shares.isEmpty()) {
            store.SaveSetting(application, section, columnSharesKey, shares);
        }
        store.SaveSetting(application, section, lastFileKey, files->lastName());
        const QStringList recentNow = files->recentFiles();
        for (int number = 1; number <= ListFileCommands::maxRecent; ++number) {
            store.SaveSetting(application, section, recentKey(number), recentNow.value(number - 1));
        }
        // Losing the window's place is no reason to bother the user.
        store.flush();
    });
}
