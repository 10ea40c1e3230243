#include "positionscommand.h"

#include "positionswindow.h"
#include "shell/mainwindow.h"

#include <QAction>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>

PositionsCommand::PositionsCommand(MainWindow &window) : QObject(&window), m_main(window)
{
    const QAction *actions[] = {window.menuActions().set1, window.menuActions().set2,
                                window.menuActions().set3};
    for (int set = 0; set < int(m_windows.size()); ++set) {
        connect(actions[set], &QAction::triggered, this, [this, set] { open(set); });
    }
}

void PositionsCommand::open(int set)
{
    QPointer<PositionsWindow> &m_window = m_windows[std::size_t(set)];
    if (!m_window) {
        m_window = new PositionsWindow(m_main.positions(), m_main.dialogs(), set);
        // Owned by the main window, so it stays above it (a click on the table
        // no longer hides it) while both remain usable. A dialog by type, since
        // only that keeps it above its owner under X11 window managers too.
        m_window->setParent(&m_main, (m_window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    } else {
        m_window->reload();
    }
    // Beside the main window, so its menu bar stays in reach; inside the screen.
    const QRect main = m_main.frameGeometry();
    // Each set a title bar lower, so that three open windows never hide one another.
    const int step = std::max(24, m_window->frameGeometry().height() - m_window->height());
    QPoint at(main.right() + 1, main.top() + set * step);
    if (const QScreen *screen = m_main.screen()) {
        const QRect available = screen->availableGeometry();
        const QSize size = m_window->frameGeometry().size();
        if (at.x() + size.width() > available.right()) {
            at.setX(main.left() - size.width());
        }
        if (at.x() < available.left()) {
            // No room on either side: below the menu bar, over the table.
            at.setX(std::max(available.left(), main.left()));
            at.setY(m_main.geometry().top() + m_main.menuBar()->height() + set * step);
        }
        at.setY(std::clamp(at.y(), available.top(),
                           std::max(available.top(), available.bottom() - size.height())));
    }
    m_window->move(at);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

PositionsWindow *PositionsCommand::positionsWindow(int set) const
{
    return m_windows[std::size_t(set)].data();
}
