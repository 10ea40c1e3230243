#include "platform/qsettingsstore.h"
#include "platform/singleinstance.h"
#include "platform/widgetdialogs.h"
#include "print/printdialogtranslator.h"
#include "settings/positionsettings.h"
#include "shell/mainwindow.h"
#include "subsystems.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVO_VERSION));

    SingleInstance instance;
    if (!instance.acquire()) {
        return 0; // already running: end silently
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
    MainWindow window(dialogs, positions);
    Subsystems subsystems(window, store);
    window.show();
    return app.exec();
}
