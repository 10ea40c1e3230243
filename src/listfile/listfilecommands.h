#pragma once

#include <QObject>
#include <QString>

class MainWindow;

// The File menu's Save and Open: the table to a parts-list file and back.
// Both dialogs start with the name chosen last in either of them during the
// run. Nothing changes unless the command succeeds; every failure is told.
// Opening a list is one step of the table's history and asks first when the
// table has unsaved changes.
class ListFileCommands : public QObject
{
    Q_OBJECT

public:
    // Connects itself to the window's Save and Open actions; owned by the window.
    explicit ListFileCommands(MainWindow &window);

    // False when nothing was saved (cancelled, refused or failed).
    bool save();
    void open();

    // The name the file dialogs start with; kept between runs by the caller.
    QString lastName() const { return m_lastName; }
    void setLastName(const QString &name) { m_lastName = name; }

private:
    MainWindow &m_window;
    QString m_lastName;
};
