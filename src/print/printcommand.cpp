#include "printcommand.h"

#include "printoutf.h"
#include "shell/mainwindow.h"

#include <QAction>

PrintCommand::PrintCommand(MainWindow &window) : QObject(&window), m_window(window)
{
    connect(window.menuActions().print, &QAction::triggered, this, &PrintCommand::MnuOut);
}

void PrintCommand::MnuOut()
{
    m_window.commitOpenEdit();
    if (!m_preview) {
        m_preview = new PrintOutF(m_window.table(), m_window.dialogs(),
                                  [this] { m_window.commitOpenEdit(); });
        // No owner, so the table stays usable; it still goes when the program ends.
        connect(&m_window, &QObject::destroyed, m_preview.data(), &QObject::deleteLater);
    }
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
}

PrintOutF *PrintCommand::preview() const
{
    return m_preview.data();
}
