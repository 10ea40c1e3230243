#include "guardedapplication.h"
#include "platform/qsettingsstore.h"
#include "platform/singleinstance.h"
#include "platform/widgetdialogs.h"
#include "print/printdialogtranslator.h"
#include "settings/positionsettings.h"
#include "shell/mainwindow.h"
#include "subsystems.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

int main(int argc, char *argv[])
{
    GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVO_VERSION));

    SingleInstance instance;
    if (!instance.acquire()) {
        instance.notifyRunning(); // already running: its window comes forward instead
        return 0;
    }

    // Qt's own buttons and dialogs in Japanese, whatever the system language:
    // the copy shipped with the program first (Windows has no system copy),
    // then the package's share folder, then Qt's own.
    QTranslator qtTranslator;
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList translationDirs{programDir + QStringLiteral("/translations"),
                                      programDir + QStringLiteral("/../share/tavo/translations"),
                                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    for (const QString &dir : translationDirs) {
        if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                              QStringLiteral("_"), dir)) {
            QCoreApplication::installTranslator(&qtTranslator);
            break;
        }
    }
    PrintDialogTranslator printDialogWords; // what Qt's translation leaves in English
    QCoreApplication::installTranslator(&printDialogWords);

    QSettingsStore store;
    PositionSettings positions(store);
    WidgetDialogs dialogs;
    app.setDialogs(&dialogs);
    MainWindow window(dialogs, positions);
    QSettingsStore ownStore(QSettingsStore::Owner::Ours);
    Subsystems subsystems(window, ownStore);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    });
    window.show();
    return app.exec();
}
