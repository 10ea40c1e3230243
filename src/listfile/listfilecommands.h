#pragma once

#include <QObject>
#include <QString>

class MainWindow;

// The File menu's Save and Open: the table to a parts-list file and back.
// Both dialogs start with the name chosen last in either of them during the
// run. Nothing changes unless the command succeeds; every failure is told.
class ListFileCommands : public QObject
{
    Q_OBJECT

public:
    // Connects itself to the window's Save and Open actions; owned by the window.
    explicit ListFileCommands(MainWindow &window);

    void save();
    void open();

private:
    MainWindow &m_window;
    QString m_lastName;
};
