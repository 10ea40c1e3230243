#pragma once

#include <QMainWindow>

#include <array>
#include <functional>
#include <optional>

class Dialogs;
class PositionSettings;
class QAction;
class QLabel;
class QMenu;
class QTableView;
class QTimer;
class TableHistory;
class TableModel;

// The main window: the title table, its menus and the status bar. It owns
// the table and its history of changes and offers the small operations every
// subsystem calls (DataSet, StatubarMessg, SetupGridColumns, FitColumnWidths);
// the subsystems attach themselves to its grid and menu actions from outside.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    struct MenuActions
    {
        QAction *set1 = nullptr;     // 設定 > ｾｯﾄ1
        QAction *set2 = nullptr;     // 設定 > ｾｯﾄ2
        QAction *set3 = nullptr;     // 設定 > ｾｯﾄ3
        QAction *newTable = nullptr; // ﾌｧｲﾙ > 新規
        QAction *open = nullptr;     // ﾌｧｲﾙ > 開く
        QAction *save = nullptr;     // ﾌｧｲﾙ > 上書き保存
        QAction *saveAs = nullptr;   // ﾌｧｲﾙ > 名前を付けて保存
        QMenu *recent = nullptr;     // ﾌｧｲﾙ > 最近使ったファイル
        QAction *quit = nullptr;     // ﾌｧｲﾙ > 終了
        QAction *undo = nullptr;     // 編集 > 元に戻す
        QAction *redo = nullptr;     // 編集 > やり直し
        QMenu *edit = nullptr;       // 編集, for the editing commands
        QAction *print = nullptr;    // 印刷 (on the menu bar)
        QAction *readme = nullptr;   // Readme (on the menu bar)
    };

    MainWindow(Dialogs &dialogs, PositionSettings &positions, QWidget *parent = nullptr);
    ~MainWindow() override;

    TableModel &table() const { return *m_table; }
    TableHistory &history() const { return *m_history; }
    QTableView *grid() const { return m_grid; }
    Dialogs &dialogs() const { return m_dialogs; }
    PositionSettings &positions() const { return m_positions; }
    const MenuActions &menuActions() const { return m_actions; }

    // Sets cell (LineNo, DataNo) to GetData; cells outside the table are ignored.
    void DataSet(const QString &GetData, qsizetype LineNo, int DataNo);
    // Shown over the empty part of the table.
    static QString dropHint();
    // Status panel 1: " <count> 個のﾃﾞｰﾀを取得".
    void StatubarMessg(qint64 intnum);
    QString statusMessage() const;
    // Adds how the drawings of a drop were read to the status message.
    void showReadingSummary(const QString &summary);
    void SetupGridColumns();
    // The default widths, or the shares of the width the user gave the
    // columns by dragging their edges.
    void FitColumnWidths();
    // Those shares as stored, "0.2000,0.2500,…"; empty while the user has
    // dragged none. Text that is not six shares is ignored.
    QString columnShares() const;
    void setColumnShares(const QString &text);

    // Stores a cell edit that is still open, so that commands reading the
    // table (save, print) see what the user typed.
    void commitOpenEdit();
    void setCommitOpenEdit(std::function<void()> commit) { m_commitOpenEdit = std::move(commit); }

    // The list file the table came from or was last saved to (empty for a
    // new table); its name leads the caption.
    void setCurrentFile(const QString &path);
    QString currentFile() const { return m_currentFile; }
    // Before the table is closed, replaced or emptied: when it has unsaved
    // changes, asks whether to save them. False when the user cancelled or
    // the save did not happen.
    bool maybeSaveChanges();
    // How "save" is done; returns false when nothing was saved.
    void setSaveHandler(std::function<bool()> save) { m_save = std::move(save); }

Q_SIGNALS:
    // The window is closing for good (after any question was answered).
    void closing();
    // Another list was opened, saved under a name or started anew.
    void currentFileChanged(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void updateClock();
    void showReadme();
    void rememberColumnShares();

    Dialogs &m_dialogs;
    PositionSettings &m_positions;
    TableModel *m_table = nullptr;
    TableHistory *m_history = nullptr;
    QTableView *m_grid = nullptr;
    QLabel *m_message = nullptr;
    QLabel *m_time = nullptr;
    QLabel *m_date = nullptr;
    QTimer *m_clock = nullptr;
    MenuActions m_actions;
    std::function<void()> m_commitOpenEdit;
    std::function<bool()> m_save;
    QString m_currentFile;
    std::optional<std::array<double, 6>> m_columnShares;
    bool m_fittingColumns = false;
    bool m_headerPressed = false; // only a drag on the header sets shares
};
