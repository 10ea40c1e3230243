#include "mainwindow.h"

#include "columnlayout.h"
#include "platform/apptitle.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "statustext.h"
#include "tablehistory.h"
#include "tablemodel.h"
#include "twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <QUndoStack>

#include <cmath>

namespace {

// The table is designed 7335 twips wide; the client area 7530 x 3180.
constexpr int designTableWidth = 7335;
constexpr int clientWidth = 7530;
constexpr int clientHeight = 3180;

QString readmeText()
{
    return QStringLiteral(
               "Tavo表題 %1\n\n"
               "エクスプローラーなどから図面ファイルを表にドラッグ＆ドロップすると、"
               "図面ごとに1行、表題（図番・品名・材料・表面処理・個数・備考）を取り込みます。\n\n"
               "各表題の位置は「設定」→「ｾｯﾄ1」で入力します。位置から ±5 "
               "未満にある文字が取り込まれます。\n\n"
               "セルは文字を入力するかダブルクリックで編集できます。右クリックで行削除と並べ替え。"
               "\n"
               "「ﾌｧｲﾙ」で部品表ファイルの保存と読み込み、「印刷」で部品表を印刷します。")
        .arg(QStringLiteral(TAVO_VERSION));
}

} // namespace

QString MainWindow::dropHint()
{
    return QStringLiteral("ｴｸｽﾌﾟﾛｰﾗｰより=≪図面ﾌｧｲﾙ≫=をﾄﾞﾗｯｸﾞ&ﾄﾞﾛｯﾌﾟ");
}

MainWindow::MainWindow(Dialogs &dialogs, PositionSettings &positions, QWidget *parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_positions(positions),
      m_table(new TableModel(this)), m_history(new TableHistory(*m_table, this)),
      m_grid(new QTableView(this))
{
    setCurrentFile(QString());
    connect(m_history, &TableHistory::modifiedChanged, this, &QWidget::setWindowModified);

    m_grid->setModel(m_table);
    QFont gridFont;
    gridFont.setFamilies(Fonts::gridFamilies());
    gridFont.setPointSize(9);
    m_grid->setFont(gridFont);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(gridFont).height() + 4);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->horizontalHeader()->setSectionsClickable(false);
    m_grid->setWordWrap(false);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setStyleSheet(QStringLiteral(
        "QTableView { gridline-color: rgb(192, 192, 192); }"
        "QHeaderView::section { background-color: palette(button); color: palette(button-text);"
        " border: none; border-right: 1px solid black; border-bottom: 1px solid black;"
        " padding: 1px 3px; }"));
    QPalette palette = m_grid->palette();
    palette.setColor(QPalette::Base, Qt::white);
    m_grid->setPalette(palette);
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    m_grid->horizontalHeader()->viewport()->installEventFilter(this);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this,
            &MainWindow::rememberColumnShares);
    setCentralWidget(m_grid);

    buildMenus();
    buildStatusBar();

    // Start-up: lay out the columns on the design width, keep only the header row.
    SetupGridColumns();
    m_grid->resize(Twips::toPixels(designTableWidth), m_grid->height());
    FitColumnWidths();
    m_table->setRows(1);

    resize(Twips::toPixels(clientWidth),
           Twips::toPixels(clientHeight) + menuBar()->sizeHint().height());
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QMenuBar *bar = menuBar();

    QMenu *settings = bar->addMenu(QStringLiteral("設定 &I"));
    m_actions.set1 = settings->addAction(QStringLiteral("ｾｯﾄ1"));
    m_actions.set2 = settings->addAction(QStringLiteral("ｾｯﾄ2"));
    m_actions.set3 = settings->addAction(QStringLiteral("ｾｯﾄ3"));

    QMenu *file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ &F"));
    m_actions.newTable = file->addAction(QStringLiteral("新規 &N"));
    m_actions.newTable->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_actions.open = file->addAction(QStringLiteral("開く &O"));
    m_actions.open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_actions.save = file->addAction(QStringLiteral("上書き保存 &W"));
    m_actions.save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    // The command that always asks for a name keeps the access key it had.
    m_actions.saveAs = file->addAction(QStringLiteral("名前を付けて保存 &S"));
    m_actions.saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file->addSeparator();
    m_actions.recent = file->addMenu(QStringLiteral("最近使ったファイル &R"));
    m_actions.recent->setEnabled(false);
    file->addSeparator();
    m_actions.quit = file->addAction(QStringLiteral("終了 &X"));
    m_actions.quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(m_actions.quit, &QAction::triggered, this, &QWidget::close);

    QMenu *edit = bar->addMenu(QStringLiteral("編集 &E"));
    m_actions.undo = m_history->stack().createUndoAction(this, QStringLiteral("元に戻す"));
    m_actions.undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_actions.redo = m_history->stack().createRedoAction(this, QStringLiteral("やり直し"));
    m_actions.redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    edit->addAction(m_actions.undo);
    edit->addAction(m_actions.redo);
    // After an undo or redo the count shows the table as it now is.
    for (QAction *step : {m_actions.undo, m_actions.redo}) {
        connect(step, &QAction::triggered, this, [this] { StatubarMessg(m_table->Rows() - 1); });
    }
    m_actions.edit = edit;

    m_actions.print = bar->addAction(QStringLiteral("印刷 &O"));
    m_actions.readme = bar->addAction(QStringLiteral("Readme"));
    connect(m_actions.readme, &QAction::triggered, this, &MainWindow::showReadme);
}

void MainWindow::buildStatusBar()
{
    m_message = new QLabel(this);
    m_message->setMinimumWidth(Twips::toPixels(1440));
    m_time = new QLabel(this);
    m_time->setFixedWidth(Twips::toPixels(1200));
    m_time->setAlignment(Qt::AlignCenter);
    m_date = new QLabel(this);
    m_date->setFixedWidth(Twips::toPixels(1200));
    m_date->setAlignment(Qt::AlignCenter);
    statusBar()->addWidget(m_message, 1);
    statusBar()->addPermanentWidget(m_time);
    statusBar()->addPermanentWidget(m_date);

    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &MainWindow::updateClock);
    m_clock->start();
    updateClock();
}

void MainWindow::updateClock()
{
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    const QDateTime now = QDateTime::currentDateTime();
    m_time->setText(japanese.toString(now.time(), QStringLiteral("H:mm")));
    m_date->setText(japanese.toString(now.date(), QLocale::ShortFormat));
}

void MainWindow::showReadme()
{
    m_dialogs.message(this, readmeText());
}

void MainWindow::DataSet(const QString &GetData, qsizetype LineNo, int DataNo)
{
    if (LineNo < 0 || LineNo >= m_table->Rows() || DataNo < 0 || DataNo >= m_table->Cols()) {
        return;
    }
    m_table->setTextArray(m_table->CellIndex(LineNo, DataNo), GetData);
}

void MainWindow::StatubarMessg(qint64 intnum)
{
    m_message->setText(statusText(intnum));
}

void MainWindow::showReadingSummary(const QString &summary)
{
    m_message->setText(m_message->text() + QStringLiteral("（%1）").arg(summary));
}

QString MainWindow::statusMessage() const
{
    return m_message->text();
}

void MainWindow::SetupGridColumns()
{
    m_table->SetupGridColumns();
}

void MainWindow::FitColumnWidths()
{
    const auto widths = ColumnLayout::widths(Twips::fromPixels(m_grid->width()));
    if (!widths) {
        return;
    }
    m_fittingColumns = true;
    for (int column = 0; column < ColumnLayout::Count; ++column) {
        m_grid->setColumnWidth(
            column, m_columnShares
                        ? int(std::lround((*m_columnShares)[std::size_t(column)] * m_grid->width()))
                        : Twips::toPixels((*widths)[column]));
    }
    m_fittingColumns = false;
}

void MainWindow::rememberColumnShares()
{
    if (m_fittingColumns || !m_headerPressed ||
        !ColumnLayout::widths(Twips::fromPixels(m_grid->width()))) {
        return;
    }
    std::array<double, 6> shares{};
    for (int column = 0; column < ColumnLayout::Count; ++column) {
        shares[std::size_t(column)] = double(m_grid->columnWidth(column)) / m_grid->width();
    }
    m_columnShares = shares;
}

QString MainWindow::columnShares() const
{
    if (!m_columnShares) {
        return {};
    }
    QStringList parts;
    for (const double share : *m_columnShares) {
        parts.append(QString::number(share, 'f', 4));
    }
    return parts.join(QLatin1Char(','));
}

void MainWindow::setColumnShares(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != ColumnLayout::Count) {
        return;
    }
    std::array<double, 6> shares{};
    for (int column = 0; column < ColumnLayout::Count; ++column) {
        bool ok = false;
        const double share = parts[column].toDouble(&ok);
        // A hand-edited or damaged value must not hide a column or make it huge.
        if (!ok || !(share >= 0.005 && share <= 1)) {
            return;
        }
        shares[std::size_t(column)] = share;
    }
    m_columnShares = shares;
    FitColumnWidths();
}

void MainWindow::commitOpenEdit()
{
    if (m_commitOpenEdit) {
        m_commitOpenEdit();
    }
}

void MainWindow::setCurrentFile(const QString &path)
{
    m_currentFile = path;
    const QString name = path.isEmpty() ? QString() : QFileInfo(path).fileName();
    setWindowTitle(name.isEmpty() ? appTitle() + QStringLiteral("[*]")
                                  : name + QStringLiteral("[*] - ") + appTitle());
    Q_EMIT currentFileChanged(path);
}

bool MainWindow::maybeSaveChanges()
{
    commitOpenEdit();
    if (!m_history->isModified()) {
        return true;
    }
    switch (m_dialogs.askToSave(this, QStringLiteral("変更を保存しますか？"))) {
    case Dialogs::Answer::Yes:
        return m_save && m_save();
    case Dialogs::Answer::No:
        return true;
    case Dialogs::Answer::Cancel:
        break;
    }
    return false;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::Resize) {
        FitColumnWidths();
    }
    if (watched == m_grid->horizontalHeader()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick) {
            m_headerPressed = true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_headerPressed = false;
        }
    }
    // The hint about dropping drawings belongs to the empty part of the table
    // only; over a cell too narrow for its text, the whole text.
    if (watched == m_grid->viewport() && event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        if (const QModelIndex cell = m_grid->indexAt(help->pos()); cell.isValid()) {
            const QString text = cell.data().toString();
            // The view's text margins, left and right, are a few pixels each.
            const int margins =
                2 * (m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
            if (m_grid->fontMetrics().horizontalAdvance(text) + margins >
                m_grid->visualRect(cell).width()) {
                QToolTip::showText(help->globalPos(), text, m_grid->viewport(),
                                   m_grid->visualRect(cell));
            } else {
                QToolTip::hideText();
            }
        } else {
            QToolTip::showText(help->globalPos(), dropHint(), m_grid->viewport());
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!maybeSaveChanges()) {
        event->ignore();
        return;
    }
    Q_EMIT closing();
    event->accept();
    // The preview window has no owner; the program ends with this window.
    QCoreApplication::quit();
}
