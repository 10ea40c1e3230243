#pragma once

#include <QObject>
#include <QPointer>

#include <array>

class MainWindow;
class PositionsWindow;

// "ｾｯﾄ1" to "ｾｯﾄ3" in the settings menu: each opens the positions window of
// its set beside the main window, or refills and moves it when it is open.
class PositionsCommand : public QObject
{
    Q_OBJECT

public:
    explicit PositionsCommand(MainWindow &window);

    void open(int set = 0);
    PositionsWindow *positionsWindow(int set = 0) const;

private:
    MainWindow &m_main;
    std::array<QPointer<PositionsWindow>, 3> m_windows;
};
