#pragma once

#include <QObject>
#include <QPointer>

class MainWindow;
class PrintOutF;

// "印刷" on the menu bar: stores an open cell edit, then opens the print
// preview, or brings it to the front when it is already open.
class PrintCommand : public QObject
{
    Q_OBJECT

public:
    explicit PrintCommand(MainWindow &window);

    void MnuOut();
    PrintOutF *preview() const;

private:
    MainWindow &m_window;
    QPointer<PrintOutF> m_preview;
};
