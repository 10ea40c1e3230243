#include "dropcontroller.h"

#include "platform/dialogs.h"
#include "readingtally.h"
#include "settings/positionsettings.h"
#include "shell/mainwindow.h"
#include "shell/tablehistory.h"
#include "shell/tablemodel.h"
#include "titleextractor.h"

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

DropController::DropController(MainWindow &window) : QObject(&window), m_window(window)
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
    TableModel &table = m_window.table();
    const TitleExtractor extractor(m_window.positions().sources());
    QStringList problems; // files that got no row
    QStringList notices;  // files that got a row the user should look at
    ReadingTally tally;
    TableHistory &history = m_window.history();
    history.beginWholeChange();
    auto reportProblems = [&] {
        history.finishWholeChange(QStringLiteral("ドロップ"));
        // A long list goes to the scrollable detail, so the box fits the screen.
        constexpr qsizetype shown = 5;
        QStringList parts;
        QStringList details;
        bool cut = false;
        const auto addSection = [&](const QStringList &files, const QString &heading) {
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
        };
        addSection(problems, QStringLiteral("次の %1 個のファイルは読み込めなかったため、"
                                            "行を追加していません。"));
        addSection(notices,
                   QStringLiteral("次の %1 個のファイルは行を追加しましたが、確かめてください。"));
        if (!tally.allFittedASet()) {
            // Said once, and only when some drawings fitted no set.
            const QString how = QStringLiteral("図面の読み方: ") + tally.summary();
            if (tally.withoutDrawingNumber.isEmpty()) {
                parts.append(how);
                details.append(how);
            } else {
                addSection(tally.withoutDrawingNumber,
                           how + QStringLiteral("\n\n次の %1 個の図面は、位置の設定でも項目名でも"
                                                "図番が見つからなかったため、ｾｯﾄ1 の位置で"
                                                "読みました。"));
            }
        }
        if (parts.isEmpty()) {
            return;
        }
        if (!cut) {
            m_window.dialogs().warning(&m_window, parts.join(QStringLiteral("\n\n")));
            return;
        }
        m_window.dialogs().warningWithDetails(
            &m_window,
            parts.join(QStringLiteral("\n\n")) +
                QStringLiteral("\n\n（すべての一覧は「詳細」にあります）"),
            details.join(QStringLiteral("\n\n")));
    };

    QProgressDialog progress(QStringLiteral("図面ファイルを読み込んでいます…"),
                             QStringLiteral("中止"), 0, int(paths.size()), &m_window);
    progress.setWindowTitle(m_window.windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setAutoClose(false);

    for (qsizetype index = 0; index < paths.size(); ++index) {
        const QString &path = paths[index];
        progress.setLabelText(QStringLiteral("%1 / %2 件目: %3")
                                  .arg(index + 1)
                                  .arg(paths.size())
                                  .arg(QFileInfo(path).fileName()));
        progress.setValue(int(index));
        if (progress.wasCanceled()) {
            break;
        }
        if (QFileInfo(path).isDir()) {
            progress.close();
            m_window.dialogs().message(&m_window, QStringLiteral("ﾌｧｲﾙを指定！再実行!!"));
            // The drop ends here: earlier rows stay, no sort, no status.
            reportProblems();
            return;
        }
        const TitleExtractor::Result result = extractor.extractFile(path);
        if (!result.readable) {
            problems.append(
                QStringLiteral("%1（%2）").arg(QDir::toNativeSeparators(path), result.error));
            continue;
        }
        if (!result.error.isEmpty()) {
            notices.append(
                QStringLiteral("%1（%2）").arg(QDir::toNativeSeparators(path), result.error));
        }
        if (result.noTextRecords) {
            notices.append(
                QStringLiteral("%1（%2）")
                    .arg(QDir::toNativeSeparators(path), TitleExtractor::noTextNotice()));
        } else {
            tally.add(result.source, QDir::toNativeSeparators(path));
        }
        const qsizetype row = table.Rows();
        table.setRows(row + 1);
        for (int column = 0; column < table.Cols(); ++column) {
            if (result.captured[std::size_t(column)]) {
                m_window.DataSet(result.fields[std::size_t(column)], row, column);
            }
        }
    }
    progress.close();
    table.Sort(0);
    m_window.StatubarMessg(table.Rows() - 1);
    if (!tally.onlySet1()) {
        m_window.showReadingSummary(tally.summary());
    }
    reportProblems();
}
