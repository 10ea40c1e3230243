#include "printoutf.h"

#include "drawingtarget.h"
#include "pagelayout.h"
#include "pdfexport.h"
#include "platform/dialogs.h"
#include "printspooler.h"
#include "sheetprinter.h"
#include "shell/columnlayout.h"
#include "shell/tablemodel.h"
#include "shell/twips.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>

namespace {

// The canvas is an A4 sheet at the screen's nominal 96 dots per inch.
constexpr int canvasDpi = 96;
constexpr int canvasWidth = 794;   // 210 mm
constexpr int canvasHeight = 1123; // 297 mm
// Magnifications offered for proofreading condensed and cut texts.
constexpr std::array<double, 5> zoomLevels = {1, 1.5, 2, 3, 4};

// The pages the dialog's choice names, within 1 .. last.
QList<int> chosenPages(const QPrinter &printer, int current, int last)
{
    QList<int> pages;
    switch (printer.printRange()) {
    case QPrinter::AllPages:
        for (int page = 1; page <= last; ++page) {
            pages.append(page);
        }
        break;
    case QPrinter::PageRange:
        for (int page = 1; page <= last; ++page) {
            if (printer.pageRanges().contains(page)) {
                pages.append(page);
            }
        }
        break;
    case QPrinter::Selection:
        for (int page = 1; page <= last; ++page) {
            pages.append(page);
        }
        break;
    default:
        pages.append(current);
        break;
    }
    if (printer.pageOrder() == QPrinter::LastPageFirst) {
        std::reverse(pages.begin(), pages.end());
    }
    return pages;
}

QString destinationOf(const QPrinter &printer)
{
    return printer.outputFileName().isEmpty() ? printer.printerName()
                                              : QDir::toNativeSeparators(printer.outputFileName());
}

} // namespace

void PrintOutF::createButtons()
{
    m_print = new QPushButton(QStringLiteral("印刷"), this);
    m_print->setGeometry(Twips::toPixels(120, 0, 855, 375));
    m_print->setToolTip(QStringLiteral("表示中のページ、全ページまたは指定したページを印刷します"));
    m_next = new QPushButton(QStringLiteral("次ページ"), this);
    m_next->setGeometry(Twips::toPixels(1200, 0, 855, 375));
    m_next->setToolTip(QStringLiteral("次のページ (PageDown)"));
    m_front = new QPushButton(QStringLiteral("前ページ"), this);
    m_front->setGeometry(Twips::toPixels(2280, 0, 855, 375));
    m_front->setToolTip(QStringLiteral("前のページ (PageUp)"));
    m_pdf = new QPushButton(QStringLiteral("PDF"), this);
    m_pdf->setGeometry(Twips::toPixels(3360, 0, 855, 375));
    m_pdf->setToolTip(QStringLiteral("部品表の全ページを PDF ファイルに保存します"));
    for (QPushButton *button : {m_print, m_next, m_front, m_pdf}) {
        button->setAutoDefault(false);
    }
    m_status = new QLabel(this);
    m_status->setGeometry(Twips::toPixels(4380, 0, 5700, 375));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *pageCaption = new QLabel(QStringLiteral("ﾍﾟｰｼﾞ"), this);
    pageCaption->setGeometry(Twips::toPixels(10140, 120, 495, 255));
    m_page = new QLabel(this);
    m_page->setGeometry(Twips::toPixels(10680, 120, 1080, 255));
}

void PrintOutF::createCanvas()
{
    m_viewport = new QWidget(this); // clips the canvas
    m_viewport->setGeometry(Twips::toPixels(120, 360, 11355, 6855));
    m_viewport->setAutoFillBackground(true);
    m_canvas = new QLabel(m_viewport);
    // Over the page's corner, whatever is scrolled into view: how many
    // texts of the whole list end in "…".
    m_shortened = new QLabel(m_viewport);
    m_shortened->setAutoFillBackground(true);
    m_shortened->setMargin(3);
    QPalette note = m_shortened->palette();
    note.setColor(QPalette::Window, QColor(255, 248, 220));
    note.setColor(QPalette::WindowText, Qt::darkRed);
    m_shortened->setPalette(note);
    m_canvas->setGeometry(0, 0, canvasWidth, canvasHeight);
    m_canvas->setAutoFillBackground(true);
    QPalette white = m_canvas->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_canvas->setPalette(white);

    m_scroll = new QScrollBar(Qt::Vertical, this);
    m_scroll->setGeometry(Twips::toPixels(11520, 360, 255, 6855));
    m_scroll->setRange(0, 100);
    m_scroll->setSingleStep(2);
    m_scroll->setPageStep(10);
    connect(m_scroll, &QScrollBar::valueChanged, this, &PrintOutF::placeCanvas);
    // Across the page, only while it is magnified.
    m_hscroll = new QScrollBar(Qt::Horizontal, this);
    m_hscroll->setGeometry(Twips::toPixels(120, 6960, 11355, 255));
    m_hscroll->setRange(0, 100);
    m_hscroll->setSingleStep(2);
    m_hscroll->setPageStep(10);
    m_hscroll->hide();
    connect(m_hscroll, &QScrollBar::valueChanged, this, &PrintOutF::placeCanvas);
}

PrintOutF::PrintOutF(const TableModel &table, Dialogs &dialogs,
                     std::function<void()> commitOpenEdit)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      m_table(table), m_dialogs(dialogs), m_commitOpenEdit(std::move(commitOpenEdit))
{
    setWindowTitle(QStringLiteral("印刷"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(11820), Twips::toPixels(7305));

    createButtons();
    createCanvas();

    connect(m_print, &QPushButton::clicked, this, &PrintOutF::printPages);
    connect(m_next, &QPushButton::clicked, this, &PrintOutF::showNextPage);
    connect(m_front, &QPushButton::clicked, this, &PrintOutF::showPreviousPage);
    connect(m_pdf, &QPushButton::clicked, this, &PrintOutF::savePdf);

    connect(&m_table, &TableModel::modelReset, this, &PrintOutF::tableChanged);
    connect(&m_table, &TableModel::layoutChanged, this, &PrintOutF::tableChanged);
    connect(&m_table, &TableModel::rowsInserted, this, &PrintOutF::tableChanged);
    connect(&m_table, &TableModel::rowsRemoved, this, &PrintOutF::tableChanged);
    connect(&m_table, &TableModel::dataChanged, this, &PrintOutF::tableChanged);
    connect(&m_table, &TableModel::headerDataChanged, this, &PrintOutF::tableChanged);

    setTabOrder(m_print, m_next);
    setTabOrder(m_next, m_front);
    setTabOrder(m_front, m_pdf);
    setTabOrder(m_pdf, m_scroll);
    for (QWidget *child : {static_cast<QWidget *>(m_print), static_cast<QWidget *>(m_next),
                           static_cast<QWidget *>(m_front), static_cast<QWidget *>(m_pdf),
                           static_cast<QWidget *>(m_status), static_cast<QWidget *>(m_scroll),
                           static_cast<QWidget *>(m_hscroll)}) {
        child->installEventFilter(this);
    }

    showPage(1);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

QWidget *PrintOutF::canvas() const
{
    return m_canvas;
}

void PrintOutF::showPage(int page)
{
    const int last = PageLayout::lastPage(m_table);
    m_pageNumber = std::clamp(page, 1, last);
    m_stale = false;
    m_page->setText(QStringLiteral("%1 / %2").arg(m_pageNumber).arg(last));
    m_next->setVisible(m_pageNumber < last);
    m_front->setVisible(m_pageNumber > 1);
    drawCanvas();
    const int cut = PageLayout::shortenedCells(m_table, printFont());
    m_shortened->setText(QStringLiteral("「…」で切れた欄 %1").arg(cut));
    m_shortened->adjustSize();
    m_shortened->move(m_viewport->width() - m_shortened->width(), 0);
    m_shortened->setVisible(cut > 0);
    m_shortened->raise();
    m_shortened->setToolTip(
        QStringLiteral("長すぎて 2 行に収まらず「…」で切れた欄が %1 個あります。\n"
                       "Ctrl + ホイール（または Ctrl + / −）で拡大して確かめてください。")
            .arg(cut));
}

void PrintOutF::setListFile(const QString &path)
{
    if (m_listKnown && path == m_listFile && !path.isEmpty()) {
        return;
    }
    // What the last print or save said was about the other list.
    if (m_listKnown) {
        m_status->clear();
        m_status->setToolTip(QString());
        m_lastPdf.clear();
    }
    m_listKnown = true;
    m_listFile = path;
    showPage(m_pageNumber);
}

QString PrintOutF::listName() const
{
    return PageLayout::listTitle(m_listFile);
}

double PrintOutF::zoom() const
{
    return zoomLevels[std::size_t(m_zoomLevel)];
}

void PrintOutF::zoomIn()
{
    setZoom(m_zoomLevel + 1);
}

void PrintOutF::zoomOut()
{
    setZoom(m_zoomLevel - 1);
}

void PrintOutF::setZoom(int level)
{
    level = std::clamp(level, 0, int(zoomLevels.size()) - 1);
    if (level == m_zoomLevel) {
        return;
    }
    m_zoomLevel = level;
    m_hscroll->setVisible(level > 0);
    if (level == 0) {
        m_hscroll->setValue(0);
    }
    drawCanvas();
}

void PrintOutF::placeCanvas()
{
    const QSize page = m_canvas->size();
    const QSize view = m_viewport->size();
    // At actual size each step moves the page 100 twips, as it always did.
    const int down =
        m_zoomLevel == 0
            ? Twips::toPixels(100.0 * m_scroll->value())
            : qRound(std::max(0, page.height() - view.height()) * m_scroll->value() / 100.0);
    const int across =
        m_zoomLevel == 0
            ? 0
            : qRound(std::max(0, page.width() - view.width()) * m_hscroll->value() / 100.0);
    m_canvas->move(-across, -down);
}

void PrintOutF::drawCanvas()
{
    // Drawn at the screen's own pixel density, so that it is sharp on a
    // high-resolution screen; millimetres stay those of a 96 dpi sheet.
    const qreal ratio = std::max<qreal>(1, devicePixelRatioF());
    const double magnified = zoom();
    const QSize size(qRound(canvasWidth * magnified), qRound(canvasHeight * magnified));
    m_image =
        QImage(qRound(size.width() * ratio), qRound(size.height() * ratio), QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    m_image.setDotsPerMeterX(qRound(canvasDpi * magnified / 0.0254));
    m_image.setDotsPerMeterY(qRound(canvasDpi * magnified / 0.0254));
    m_image.fill(Qt::white);
    {
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        DrawingTarget target(painter, printFont());
        PageLayout::DrawFormLine(target, m_table, listName());
        PageLayout::DataSet(target, m_table, m_pageNumber);
    }
    m_canvas->setPixmap(QPixmap::fromImage(m_image));
    m_canvas->resize(size);
    placeCanvas();
}

void PrintOutF::tableChanged()
{
    if (m_stale) {
        return; // a redraw is already on its way
    }
    m_stale = true;
    // One redraw for a burst of changes (a drop of many drawings).
    QTimer::singleShot(0, this, &PrintOutF::catchUp);
}

void PrintOutF::catchUp()
{
    if (m_stale) {
        showPage(m_pageNumber);
    }
}

void PrintOutF::showNextPage()
{
    catchUp();
    // Only forward while pages remain, however the table changed.
    if (m_pageNumber < PageLayout::lastPage(m_table)) {
        showPage(m_pageNumber + 1);
    }
}

void PrintOutF::showPreviousPage()
{
    catchUp();
    if (m_pageNumber > 1) {
        showPage(m_pageNumber - 1);
    }
}

bool PrintOutF::eventFilter(QObject *watched, QEvent *event)
{
    // The buttons would take the arrows to move the focus, and the scroll
    // bars the Ctrl + wheel: here they scroll and magnify the page.
    if (event->type() == QEvent::KeyPress && handleViewKey(static_cast<QKeyEvent *>(event))) {
        return true;
    }
    if (event->type() == QEvent::Wheel && handleWheel(static_cast<QWheelEvent *>(event))) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool PrintOutF::handleViewKey(QKeyEvent *event)
{
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    switch (event->key()) {
    case Qt::Key_Down:
        m_scroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return true;
    case Qt::Key_Up:
        m_scroll->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return true;
    case Qt::Key_Right:
        m_hscroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return true;
    case Qt::Key_Left:
        m_hscroll->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Semicolon: // + without Shift on a Japanese keyboard
        if (control) {
            zoomIn();
        }
        return control;
    case Qt::Key_Minus:
        if (control) {
            zoomOut();
        }
        return control;
    case Qt::Key_0:
        if (control) {
            setZoom(0);
        }
        return control;
    default:
        return false;
    }
}

bool PrintOutF::handleWheel(QWheelEvent *event)
{
    if (!event->modifiers().testFlag(Qt::ControlModifier)) {
        return false;
    }
    if (event->angleDelta().y() > 0) {
        zoomIn();
    } else if (event->angleDelta().y() < 0) {
        zoomOut();
    }
    event->accept();
    return true;
}

void PrintOutF::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        showNextPage();
        break;
    case Qt::Key_PageUp:
        showPreviousPage();
        break;
    default:
        if (!handleViewKey(event)) {
            QWidget::keyPressEvent(event);
            return;
        }
    }
    event->accept();
}

void PrintOutF::wheelEvent(QWheelEvent *event)
{
    if (handleWheel(event)) {
        return;
    }
    // Anywhere over the window, not only over the thin scroll bar.
    QCoreApplication::sendEvent(
        event->modifiers().testFlag(Qt::ShiftModifier) ? m_hscroll : m_scroll, event);
}

void PrintOutF::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (QWindow *window = windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &PrintOutF::drawCanvas,
                Qt::UniqueConnection);
    }
    if (!qFuzzyCompare(m_image.devicePixelRatio(), std::max<qreal>(1, devicePixelRatioF()))) {
        drawCanvas();
    }
}

void PrintOutF::printPages()
{
    if (m_commitOpenEdit) {
        m_commitOpenEdit();
    }
    catchUp();
    const int last = PageLayout::lastPage(m_table);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QStringLiteral("部品表"));
    // The dialog starts with the page shown; すべて and a range when chosen.
    printer.setPrintRange(QPrinter::CurrentPage);
    printer.setFromTo(1, last);
    const bool rowsSelected = m_selectedRows && !m_selectedRows().isEmpty();
    switch (m_dialogs.choosePrintPages(this, printer, last, rowsSelected)) {
    case Dialogs::PrinterChoice::Cancelled:
        return; // nothing printed, nothing said
    case Dialogs::PrinterChoice::NoPrinter:
        m_dialogs.warning(
            this, QStringLiteral("印刷できません。プリンターがインストールされていません。\n"
                                 "「PDF」ボタンで部品表を PDF ファイルに保存し、"
                                 "それを印刷できる機械で印刷してください。"));
        return;
    case Dialogs::PrinterChoice::Print:
        break;
    }
    print(printer);
}

bool PrintOutF::queueTakes(const QPrinter &printer, const QString &destination, qsizetype sheets,
                           QString &waiting)
{
    if (printer.outputFormat() != QPrinter::NativeFormat || !printer.outputFileName().isEmpty()) {
        return true;
    }
    const QString refusal = PrintSpooler::refusalOfLastJob(printer.printerName());
    if (!refusal.isEmpty()) {
        m_dialogs.warning(this, QStringLiteral("印刷できませんでした。\n") + refusal);
        return false;
    }
    // Taken, but a stopped queue only holds it.
    const PrintSpooler::Queue queue = PrintSpooler::queueOf(printer.printerName());
    if (queue.stopped) {
        const QString reason =
            queue.reason.isEmpty() ? QString() : QStringLiteral("（理由: %1）").arg(queue.reason);
        m_dialogs.warning(this, QStringLiteral("プリンター「%1」は停止しています%2。\n%3 ページの"
                                               "ジョブは、管理者がプリンターを再開するまで"
                                               "待ちます。")
                                    .arg(destination, reason)
                                    .arg(sheets));
        waiting = queue.reason.isEmpty()
                      ? QStringLiteral("（停止中のため待機）")
                      : QStringLiteral("（停止中のため待機: %1）").arg(queue.reason);
    }
    return true;
}

QString PrintOutF::scaleNote(const QPageLayout &layout, double scale)
{
    if (qFuzzyCompare(scale, 1.0)) {
        return QString();
    }
    return layout.pageSize().id() == QPageSize::A4
               ? QStringLiteral("（%1% に縮小）").arg(qRound(scale * 100))
               : QStringLiteral("（%2 に合わせ %1%）")
                     .arg(qRound(scale * 100))
                     .arg(layout.pageSize().name());
}

void PrintOutF::copySelectedRows(TableModel &selection) const
{
    selection.SetupGridColumns();
    QList<QString> cells;
    for (const qsizetype row : m_selectedRows()) {
        if (row >= 1 && row < m_table.Rows()) {
            for (int column = 0; column < ColumnLayout::Count; ++column) {
                cells.append(m_table.text(row, column));
            }
        }
    }
    selection.setDataCells(std::move(cells));
}

void PrintOutF::print(QPrinter &printer)
{
    // The dialog may have changed the table's window (an edit finished).
    catchUp();
    // 選択した部分: the selected rows alone, as a list of their own.
    TableModel selection;
    const bool selected = printer.printRange() == QPrinter::Selection && m_selectedRows;
    if (selected) {
        copySelectedRows(selection);
    }
    const TableModel &source = selected ? selection : m_table;
    const int last = PageLayout::lastPage(source);
    const QList<int> pages = chosenPages(printer, m_pageNumber, last);
    if (pages.isEmpty()) {
        const QString asked = printer.pageRanges().toString();
        m_dialogs.warning(this,
                          asked.isEmpty()
                              ? QStringLiteral("印刷できませんでした。\nページの指定が読めません。"
                                               "「2-3」や「1,3」のように書いてください。")
                              : QStringLiteral("印刷できませんでした。\n指定したページ「%1」は"
                                               "部品表にありません。部品表は %2 ページです。")
                                    .arg(asked)
                                    .arg(last));
        return;
    }
    printer.setPageOrientation(QPageLayout::Portrait);
    const QString destination = destinationOf(printer);
    if (!printer.isValid()) {
        m_dialogs.warning(this,
                          QStringLiteral("印刷できませんでした。\nプリンター「%1」が使えません。")
                              .arg(destination));
        return;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        m_dialogs.warning(this,
                          QStringLiteral("印刷できませんでした。\nプリンター「%1」を開けません。")
                              .arg(destination));
        return;
    }
    // A printer that cannot make copies itself gets the pages once per copy.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    const double scale =
        SheetPrinter::drawPages(printer, painter, source, pages, copies, listName());
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        m_dialogs.warning(
            this, QStringLiteral("印刷できませんでした。\nプリンター「%1」でエラーが起きました。")
                      .arg(destination));
        return;
    }
    QString waiting;
    if (!queueTakes(printer, destination, pages.size() * copies, waiting)) {
        return;
    }
    const QString note = scaleNote(printer.pageLayout(), scale);
    showStatus(QStringLiteral("%1 ページを「").arg(pages.size()), destination,
               QStringLiteral("」に送りました") + waiting + note + QStringLiteral("。"));
}

void PrintOutF::showStatus(const QString &before, const QString &destination, const QString &after)
{
    // Only the destination (a long printer or folder name) is shortened, in
    // its middle, so that what happened and the notes after it stay whole.
    const QFontMetrics metrics = m_status->fontMetrics();
    const int room = m_status->width() - metrics.horizontalAdvance(before + after);
    const QString whole = before + destination + after;
    m_status->setText(before + metrics.elidedText(destination, Qt::ElideMiddle, std::max(0, room)) +
                      after);
    m_status->setToolTip(whole);
}

QString PrintOutF::askPdfName()
{
    Dialogs::FileRequest request;
    request.startName = m_lastPdf.isEmpty() ? QStringLiteral("部品表.pdf") : m_lastPdf;
    request.filters = {QStringLiteral("PDF ファイル (*.pdf)"),
                       QStringLiteral("すべてのファイル (*.*)")};
    QString path = m_dialogs.saveFileName(this, request);
    if (path.isEmpty()) {
        return {};
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".pdf");
        // The dialog asked about the name typed, not about this one.
        if (QFileInfo::exists(path) &&
            m_dialogs.question(this, QStringLiteral("「%1」は既にあります。\n上書きしますか？")
                                         .arg(QDir::toNativeSeparators(path))) !=
                Dialogs::Answer::Yes) {
            return {};
        }
    }
    return path;
}

void PrintOutF::savePdf()
{
    if (m_commitOpenEdit) {
        m_commitOpenEdit();
    }
    catchUp();
    const QString path = askPdfName();
    if (path.isEmpty()) {
        return;
    }
    m_lastPdf = path;
    // Some 2,500 pages a minute: a long list shows how far it is and can be stopped.
    QProgressDialog progress(QStringLiteral("PDF を作っています…"), QStringLiteral("中止"), 0, 1,
                             this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    bool stopped = false;
    const QString error = writePartsListPdf(m_table, path, listName(), [&](int done, int pages) {
        progress.setMaximum(pages);
        progress.setLabelText(
            QStringLiteral("PDF を作っています… %1 / %2 ページ").arg(done).arg(pages));
        progress.setValue(done);
        stopped = progress.wasCanceled();
        return !stopped;
    });
    progress.close();
    restoreCursor.dismiss();
    QGuiApplication::restoreOverrideCursor();
    if (stopped) {
        showStatus(QStringLiteral("PDF の保存を中止しました（ファイルは元のまま）: "),
                   QDir::toNativeSeparators(path));
        return;
    }
    if (!error.isEmpty()) {
        m_dialogs.warning(
            this,
            QStringLiteral(
                "PDF を保存できませんでした。\nファイル: %1\n理由: ファイルを書き込めません（%2）")
                .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    showStatus(QStringLiteral("PDF を保存しました: "), QDir::toNativeSeparators(path));
}
