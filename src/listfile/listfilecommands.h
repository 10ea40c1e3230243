#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class MainWindow;

// The File menu's Save, Save As and Open: the table to a parts-list file and
// back. Save writes to the list that was opened or last saved, without a
// question, and asks for a name only when there is none. Both dialogs start
// with the name chosen last in either of them during the run. Nothing
// changes unless the command succeeds; every failure is told. Opening a list
// is one step of the table's history and asks first when the table has
// unsaved changes. The lists last opened or saved are offered again.
class ListFileCommands : public QObject
{
    Q_OBJECT

public:
    // Connects itself to the window's Save and Open actions; owned by the window.
    explicit ListFileCommands(MainWindow &window);

    // False when nothing was saved (cancelled, refused or failed).
    bool save();
    bool saveAs();
    void open();
    // Opens `path` as if chosen in the Open dialog.
    void openFile(const QString &path);

    // Most recent first, at most maxRecent; kept between runs by the caller.
    static constexpr int maxRecent = 5;
    QStringList recentFiles() const { return m_recent; }
    void setRecentFiles(const QStringList &paths);

    // The name the file dialogs start with; kept between runs by the caller.
    QString lastName() const { return m_lastName; }
    void setLastName(const QString &name) { m_lastName = name; }

private:
    bool saveTo(const QString &path);
    void remember(const QString &path);
    void updateRecentMenu();

    MainWindow &m_window;
    QString m_lastName;
    QStringList m_recent;
};
