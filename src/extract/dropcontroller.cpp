#include "dropcontroller.h"

#include "drawingdrop.h"
#include "platform/dialogs.h"
#include "shell/mainwindow.h"
#include "shell/tablehistory.h"
#include "shell/tablemodel.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QProgressDialog>
#include <QTableView>
#include <QUrl>

namespace {

QStringList localFiles(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls()) {
        return paths;
    }
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

} // namespace

DropController::DropController(MainWindow &window, std::function<TitleExtractor::Sources()> sources)
    : QObject(&window), m_window(window), m_sources(std::move(sources))
{
    window.grid()->setAcceptDrops(true);
    window.grid()->viewport()->setAcceptDrops(true);
    window.grid()->viewport()->installEventFilter(this);
    // The header row takes drops like the cells.
    QHeaderView *header = window.grid()->horizontalHeader();
    header->setAcceptDrops(true);
    header->viewport()->setAcceptDrops(true);
    header->viewport()->installEventFilter(this);
}

bool DropController::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!localFiles(drag->mimeData()).isEmpty()) {
            drag->acceptProposedAction();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList paths = localFiles(drop->mimeData());
        if (paths.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        dropFiles(paths);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void DropController::dropFiles(const QStringList &paths)
{
    DrawingDrop drop(m_sources(), DrawingDrop::AtFolder::EndTheDrop);
    m_window.history().beginWholeChange();
    QProgressDialog progress(QStringLiteral("図面ファイルを読み込んでいます…"),
                             QStringLiteral("中止"), 0, int(paths.size()), &m_window);
    progress.setWindowTitle(m_window.windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    for (qsizetype index = 0; index < paths.size(); ++index) {
        progress.setLabelText(QStringLiteral("%1 / %2 件目: %3")
                                  .arg(index + 1)
                                  .arg(paths.size())
                                  .arg(QFileInfo(paths[index]).fileName()));
        progress.setValue(int(index));
        if (progress.wasCanceled()) {
            break;
        }
        if (!addRow(drop, paths[index])) {
            progress.close();
            m_window.dialogs().message(&m_window, QStringLiteral("ﾌｧｲﾙを指定！再実行!!"));
            // The drop ends here: earlier rows stay, no sort, no status.
            report(drop);
            return;
        }
    }
    progress.close();
    TableModel &table = m_window.table();
    table.Sort(0);
    m_window.StatubarMessg(table.Rows() - 1);
    if (!drop.tally.onlySet1()) {
        m_window.showReadingSummary(drop.tally.summary());
    }
    report(drop);
}

bool DropController::addRow(DrawingDrop &drop, const QString &path)
{
    const qsizetype rowsBefore = drop.rowCount();
    if (!drop.add(path)) {
        return false;
    }
    if (drop.rowCount() == rowsBefore) {
        return true;
    }
    TableModel &table = m_window.table();
    const qsizetype row = table.Rows();
    table.setRows(row + 1);
    for (int column = 0; column < table.Cols(); ++column) {
        // A new row is empty: only captured texts need setting.
        const QString &text = drop.cells[rowsBefore * DrawingDrop::Fields + column];
        if (!text.isEmpty()) {
            m_window.DataSet(text, row, column);
        }
    }
    return true;
}

namespace {

// A long list goes to the scrollable detail, so the box fits the screen.
struct Report
{
    static constexpr qsizetype shown = 5;
    QStringList parts;
    QStringList details;
    bool cut = false;

    void addSection(const QStringList &files, const QString &heading)
    {
        if (files.isEmpty()) {
            return;
        }
        QString part = heading.arg(files.size()) + QStringLiteral("\n\n") +
                       files.first(std::min(shown, files.size())).join(QLatin1Char('\n'));
        if (files.size() > shown) {
            part += QStringLiteral("\n…ほか %1 個").arg(files.size() - shown);
            cut = true;
        }
        parts.append(part);
        details.append(heading.arg(files.size()) + QStringLiteral("\n") +
                       files.join(QLatin1Char('\n')));
    }

    // Said once, and only when some drawings fitted no set.
    void addReading(const ReadingTally &tally)
    {
        if (tally.allFittedASet()) {
            return;
        }
        const QString how = QStringLiteral("図面の読み方: ") + tally.summary();
        if (tally.withoutDrawingNumber.isEmpty()) {
            parts.append(how);
            details.append(how);
            return;
        }
        QStringList unnamed;
        for (const QString &path : tally.withoutDrawingNumber) {
            unnamed.append(QDir::toNativeSeparators(path));
        }
        addSection(unnamed, how + QStringLiteral("\n\n次の %1 個の図面は、位置の設定でも項目名でも"
                                                 "図番が見つからなかったため、ｾｯﾄ1 の位置で"
                                                 "読みました。"));
    }
};

} // namespace

void DropController::report(const DrawingDrop &drop)
{
    m_window.history().finishWholeChange(QStringLiteral("ドロップ"));
    QStringList problems; // files that got no row
    QStringList notices;  // files that got a row the user should look at
    for (const DrawingDrop::Told &told : drop.told) {
        (told.kind == DrawingDrop::Told::NoRow ? problems : notices)
            .append(
                QStringLiteral("%1（%2）").arg(QDir::toNativeSeparators(told.path), told.reason));
    }
    Report report;
    report.addSection(problems, QStringLiteral("次の %1 個のファイルは読み込めなかったため、"
                                               "行を追加していません。"));
    report.addSection(
        notices, QStringLiteral("次の %1 個のファイルは行を追加しましたが、確かめてください。"));
    report.addReading(drop.tally);
    if (report.parts.isEmpty()) {
        return;
    }
    if (!report.cut) {
        m_window.dialogs().warning(&m_window, report.parts.join(QStringLiteral("\n\n")));
        return;
    }
    m_window.dialogs().warningWithDetails(
        &m_window,
        report.parts.join(QStringLiteral("\n\n")) +
            QStringLiteral("\n\n（すべての一覧は「詳細」にあります）"),
        report.details.join(QStringLiteral("\n\n")));
}
