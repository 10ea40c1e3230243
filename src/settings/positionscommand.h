#pragma once

#include <QObject>
#include <QPointer>

class MainWindow;
class PositionsWindow;

// "ｾｯﾄ1" in the settings menu: opens the positions window beside the main
// window, or refills and moves it when it is open.
class PositionsCommand : public QObject
{
    Q_OBJECT

public:
    explicit PositionsCommand(MainWindow &window);

    void open();
    PositionsWindow *positionsWindow() const;

private:
    MainWindow &m_main;
    QPointer<PositionsWindow> m_window;
};
