#pragma once

#include <QApplication>

class Dialogs;

// The window's application. Running out of memory in the middle of a command
// would otherwise end the program with an English line on standard error and
// take the unsaved table with it; here the command stops, the user is told in
// Japanese, and the window stays open so the table can still be saved.
class GuardedApplication : public QApplication
{
public:
    GuardedApplication(int &argc, char **argv);

    // Where the message goes; until set, the command only stops.
    void setDialogs(Dialogs *dialogs) { m_dialogs = dialogs; }

    bool notify(QObject *receiver, QEvent *event) override;

private:
    Dialogs *m_dialogs = nullptr;
    bool m_telling = false; // a message box of its own is open
};
