#include "listfilecommands.h"

#include "partslistfile.h"
#include "platform/dialogs.h"
#include "shell/mainwindow.h"
#include "shell/tablehistory.h"
#include "shell/tablemodel.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace {

Dialogs::FileRequest fileRequest(const QString &startName)
{
    Dialogs::FileRequest request;
    request.startName = startName;
    request.filters = {QStringLiteral("すべてのファイル (*.*)"),
                       QStringLiteral("テキスト ファイル (*.txt)")};
    request.selectedFilter = 1;
    request.confirmOverwrite = true;
    return request;
}

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

ListFileCommands::ListFileCommands(MainWindow &window) : QObject(&window), m_window(window)
{
    connect(window.menuActions().save, &QAction::triggered, this, &ListFileCommands::save);
    connect(window.menuActions().saveAs, &QAction::triggered, this, &ListFileCommands::saveAs);
    connect(window.menuActions().open, &QAction::triggered, this, &ListFileCommands::open);
    window.setSaveHandler([this] { return save(); });
}

bool ListFileCommands::save()
{
    const QString path = m_window.currentFile();
    if (path.isEmpty()) {
        return saveAs();
    }
    m_window.commitOpenEdit();
    return saveTo(path);
}

bool ListFileCommands::saveAs()
{
    m_window.commitOpenEdit();
    const QString path = m_window.dialogs().saveFileName(&m_window, fileRequest(m_lastName));
    if (path.isEmpty()) {
        return false;
    }
    m_lastName = path;
    return saveTo(path);
}

bool ListFileCommands::saveTo(const QString &path)
{
    if (const QString tooMany = PartsListFile::tooManyRows(m_window.table().Rows() - 1);
        !tooMany.isEmpty()) {
        m_window.dialogs().warning(
            &m_window, QStringLiteral("部品表を保存できませんでした。\nファイル: %1\n理由: %2")
                           .arg(shownPath(path), tooMany));
        return false;
    }
    // The data rows, straight from the table's cells (row 0 is the header row).
    const PartsListWriter::Encoded encoded = PartsListWriter::encode(m_window.table().cells(), 1);
    if (!encoded.unencodable.isEmpty()) {
        const QString question =
            QStringLiteral(
                "次の行に、部品表ファイル（シフト JIS）に保存できない文字があります。\n\n"
                "%1\n\n"
                "これらの文字を「?」に置き換えて保存しますか？\n"
                "「いいえ」を選ぶと保存しません。")
                .arg(PartsListWriter::describe(encoded.unencodable));
        if (m_window.dialogs().question(&m_window, question) != Dialogs::Answer::Yes) {
            return false;
        }
    }

    const bool existed = QFileInfo::exists(path);
    const QString error = PartsListFile::write(path, encoded.bytes);
    if (!error.isEmpty()) {
        QString text = QStringLiteral("部品表を保存できませんでした。\nファイル: %1\n理由: %2")
                           .arg(shownPath(path), error);
        if (existed) {
            text += QStringLiteral("\nもとのファイルは変わっていません。");
        }
        m_window.dialogs().warning(&m_window, text);
        return false;
    }
    m_window.history().markSaved();
    m_window.setCurrentFile(path);
    remember(path);
    return true;
}

void ListFileCommands::open()
{
    if (!m_window.maybeSaveChanges()) {
        return;
    }
    const QString path = m_window.dialogs().openFileName(&m_window, fileRequest(m_lastName));
    if (path.isEmpty()) {
        return;
    }
    m_lastName = path;
    openFile(path);
}

void ListFileCommands::openFile(const QString &path)
{
    PartsListFile::ReadResult result = PartsListFile::read(path);
    if (!result.ok()) {
        m_window.dialogs().warning(
            &m_window, QStringLiteral("部品表ファイルを読み込めませんでした。\nファイル: %1\n理由: "
                                      "%2\n表はそのままです。")
                           .arg(shownPath(path), result.error));
        return;
    }

    TableModel &table = m_window.table();
    TableHistory &history = m_window.history();
    history.beginWholeChange();
    table.setDataCells(std::move(result.cells));
    m_window.SetupGridColumns();
    history.finishWholeChange(QStringLiteral("開く"));
    history.markSaved();
    m_window.setCurrentFile(path);
    remember(path);
    m_window.FitColumnWidths();
    m_window.StatubarMessg(table.Rows() - 1);
    if (result.truncation) {
        m_window.dialogs().warning(
            &m_window, QStringLiteral("部品表ファイルの終わりが欠けています。\nファイル: %1\n%2")
                           .arg(shownPath(path), PartsListReader::describe(*result.truncation)));
    }
    if (!result.oldForm.isEmpty()) {
        m_window.dialogs().message(
            &m_window, QStringLiteral("ファイル: %1\n%2").arg(shownPath(path), result.oldForm));
    }
    if (!result.replaced.isEmpty()) {
        m_window.dialogs().warning(
            &m_window, QStringLiteral("部品表ファイルに文字として読めない部分があります。\n"
                                      "ファイル: %1\n%2\n保存するとその部分は元に戻りません。")
                           .arg(shownPath(path), result.replaced));
    }
}

void ListFileCommands::setRecentFiles(const QStringList &paths)
{
    m_recent.clear();
    for (const QString &path : paths) {
        if (!path.isEmpty() && !m_recent.contains(path) && m_recent.size() < maxRecent) {
            m_recent.append(path);
        }
    }
    updateRecentMenu();
}

void ListFileCommands::remember(const QString &path)
{
    QStringList paths = m_recent;
    paths.removeAll(path);
    paths.prepend(path);
    setRecentFiles(paths);
}

void ListFileCommands::updateRecentMenu()
{
    QMenu *menu = m_window.menuActions().recent;
    menu->clear();
    for (int i = 0; i < m_recent.size(); ++i) {
        const QString path = m_recent[i];
        // "&&" keeps an ampersand in a folder name from becoming an access key.
        QAction *entry = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
            shownPath(path).replace(QLatin1Char('&'), QStringLiteral("&&"))));
        connect(entry, &QAction::triggered, this, [this, path] {
            if (m_window.maybeSaveChanges()) {
                m_lastName = path;
                openFile(path);
            }
        });
    }
    menu->setEnabled(!m_recent.isEmpty());
}
