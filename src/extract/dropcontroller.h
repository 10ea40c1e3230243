#pragma once

#include <QObject>
#include <QStringList>

class MainWindow;

// Drawings dropped on the table become rows: one row per file, its title
// fields captured by position; then all rows are sorted by 図番 and the
// status bar shows their number. A long drop shows its progress and can be
// cancelled after any file.
class DropController : public QObject
{
    Q_OBJECT

public:
    explicit DropController(MainWindow &window);

    void dropFiles(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MainWindow &m_window;
};
