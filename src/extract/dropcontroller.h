#pragma once

#include "titleextractor.h"

#include <QObject>
#include <QStringList>

#include <functional>

class DrawingDrop;
class MainWindow;

// Drawings dropped on the table become rows: one row per file, its title
// fields captured by position; then all rows are sorted by 図番 and the
// status bar shows their number. A long drop shows its progress and can be
// cancelled after any file.
class DropController : public QObject
{
    Q_OBJECT

public:
    // `sources` are asked at each drop, so a confirmed change counts at once.
    DropController(MainWindow &window, std::function<TitleExtractor::Sources()> sources);

    void dropFiles(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Adds the drawing's row to the table; false when the drop ends here.
    bool addRow(DrawingDrop &drop, const QString &path);
    // Tells the files that got no row or need a look, once the drop is over.
    void report(const DrawingDrop &drop);

    MainWindow &m_window;
    std::function<TitleExtractor::Sources()> m_sources;
};
