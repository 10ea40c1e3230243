#include "printcommand.h"

#include "printoutf.h"
#include "shell/mainwindow.h"

#include "shell/tablemodel.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>

PrintCommand::PrintCommand(MainWindow &window) : QObject(&window), m_window(window)
{
    connect(window.menuActions().print, &QAction::triggered, this, &PrintCommand::MnuOut);
}

void PrintCommand::MnuOut()
{
    m_window.commitOpenEdit();
    if (!m_preview) {
        m_preview = new PrintOutF(m_window.table(), m_window.dialogs(),
                                  [this] { m_window.commitOpenEdit(); });
        // No owner, so the table stays usable; it still goes when the program ends.
        connect(&m_window, &QObject::destroyed, m_preview.data(), &QObject::deleteLater);
        m_preview->setListFile(m_window.currentFile());
        connect(&m_window, &MainWindow::currentFileChanged, m_preview.data(),
                &PrintOutF::setListFile);
        m_preview->setSelectedRows([this] {
            QList<qsizetype> rows;
            const QItemSelectionModel *selection = m_window.grid()->selectionModel();
            if (!selection) {
                return rows;
            }
            for (const QModelIndex &index : selection->selectedIndexes()) {
                rows.append(TableModel::gridRow(index.row()));
            }
            std::sort(rows.begin(), rows.end());
            rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
            // The one cell the cursor is on is no choice of rows.
            if (rows.size() < 2 && selection->selectedRows().isEmpty()) {
                rows.clear();
            }
            return rows;
        });
    }
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
}

PrintOutF *PrintCommand::preview() const
{
    return m_preview.data();
}
