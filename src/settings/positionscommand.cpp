#include "positionscommand.h"

#include "positionswindow.h"
#include "shell/mainwindow.h"

#include <QAction>

PositionsCommand::PositionsCommand(MainWindow &window) : QObject(&window), m_main(window)
{
    connect(window.menuActions().set1, &QAction::triggered, this, &PositionsCommand::open);
}

void PositionsCommand::open()
{
    if (!m_window) {
        m_window = new PositionsWindow(m_main.positions(), m_main.dialogs());
        // No owner, so the main window stays usable; it still goes when the program ends.
        connect(&m_main, &QObject::destroyed, m_window.data(), &QObject::deleteLater);
    } else {
        m_window->reload();
    }
    m_window->move(m_main.frameGeometry().topLeft());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

PositionsWindow *PositionsCommand::positionsWindow() const
{
    return m_window.data();
}
