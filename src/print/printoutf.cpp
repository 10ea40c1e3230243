#include "printoutf.h"

#include "drawingtarget.h"
#include "pagelayout.h"
#include "pdfexport.h"
#include "platform/dialogs.h"
#include "printspooler.h"
#include "sheetprinter.h"
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
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

namespace {

QRect twipsRect(int left, int top, int width, int height)
{
    return {Twips::toPixels(left), Twips::toPixels(top), Twips::toPixels(width),
            Twips::toPixels(height)};
}

// The canvas is an A4 sheet at the screen's nominal 96 dots per inch.
constexpr int canvasDpi = 96;
constexpr int canvasWidth = 794;   // 210 mm
constexpr int canvasHeight = 1123; // 297 mm

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
    default:
        pages.append(current);
        break;
    }
    return pages;
}

QString destinationOf(const QPrinter &printer)
{
    return printer.outputFileName().isEmpty() ? printer.printerName()
                                              : QDir::toNativeSeparators(printer.outputFileName());
}

} // namespace

PrintOutF::PrintOutF(const TableModel &table, Dialogs &dialogs,
                     std::function<void()> commitOpenEdit)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      m_table(table), m_dialogs(dialogs), m_commitOpenEdit(std::move(commitOpenEdit))
{
    setWindowTitle(QStringLiteral("印刷"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(11820), Twips::toPixels(7305));

    m_print = new QPushButton(QStringLiteral("印刷"), this);
    m_print->setGeometry(twipsRect(120, 0, 855, 375));
    m_print->setToolTip(QStringLiteral("表示中のページ、全ページまたは指定したページを印刷します"));
    m_next = new QPushButton(QStringLiteral("次ページ"), this);
    m_next->setGeometry(twipsRect(1200, 0, 855, 375));
    m_next->setToolTip(QStringLiteral("次のページ (PageDown)"));
    m_front = new QPushButton(QStringLiteral("前ページ"), this);
    m_front->setGeometry(twipsRect(2280, 0, 855, 375));
    m_front->setToolTip(QStringLiteral("前のページ (PageUp)"));
    m_pdf = new QPushButton(QStringLiteral("PDF"), this);
    m_pdf->setGeometry(twipsRect(3360, 0, 855, 375));
    m_pdf->setToolTip(QStringLiteral("部品表の全ページを PDF ファイルに保存します"));
    for (QPushButton *button : {m_print, m_next, m_front, m_pdf}) {
        button->setAutoDefault(false);
    }
    m_status = new QLabel(this);
    m_status->setGeometry(twipsRect(4380, 0, 5520, 375));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *pageCaption = new QLabel(QStringLiteral("ﾍﾟｰｼﾞ"), this);
    pageCaption->setGeometry(twipsRect(10140, 120, 495, 255));
    m_page = new QLabel(this);
    m_page->setGeometry(twipsRect(10680, 120, 1080, 255));

    auto *viewport = new QWidget(this); // clips the canvas
    viewport->setGeometry(twipsRect(120, 360, 11355, 6855));
    viewport->setAutoFillBackground(true);
    m_canvas = new QLabel(viewport);
    m_canvas->setGeometry(0, 0, canvasWidth, canvasHeight);
    m_canvas->setAutoFillBackground(true);
    QPalette white = m_canvas->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_canvas->setPalette(white);

    m_scroll = new QScrollBar(Qt::Vertical, this);
    m_scroll->setGeometry(twipsRect(11520, 360, 255, 6855));
    m_scroll->setRange(0, 100);
    m_scroll->setSingleStep(2);
    m_scroll->setPageStep(10);
    connect(m_scroll, &QScrollBar::valueChanged, this,
            [this](int value) { m_canvas->move(0, -Twips::toPixels(100.0 * value)); });

    connect(m_print, &QPushButton::clicked, this, &PrintOutF::Command1_Click);
    connect(m_next, &QPushButton::clicked, this, &PrintOutF::NextB_Click);
    connect(m_front, &QPushButton::clicked, this, &PrintOutF::FrontB_Click);
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
}

void PrintOutF::drawCanvas()
{
    // Drawn at the screen's own pixel density, so that it is sharp on a
    // high-resolution screen; millimetres stay those of a 96 dpi sheet.
    const qreal ratio = std::max<qreal>(1, devicePixelRatioF());
    m_image =
        QImage(qRound(canvasWidth * ratio), qRound(canvasHeight * ratio), QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    m_image.setDotsPerMeterX(qRound(canvasDpi / 0.0254));
    m_image.setDotsPerMeterY(qRound(canvasDpi / 0.0254));
    m_image.fill(Qt::white);
    {
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        DrawingTarget target(painter, printFont());
        PageLayout::DrawFormLine(target, m_table);
        PageLayout::DataSet(target, m_table, m_pageNumber);
    }
    m_canvas->setPixmap(QPixmap::fromImage(m_image));
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

void PrintOutF::NextB_Click()
{
    catchUp();
    // Only forward while pages remain, however the table changed.
    if (m_pageNumber < PageLayout::lastPage(m_table)) {
        showPage(m_pageNumber + 1);
    }
}

void PrintOutF::FrontB_Click()
{
    catchUp();
    if (m_pageNumber > 1) {
        showPage(m_pageNumber - 1);
    }
}

void PrintOutF::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        NextB_Click();
        break;
    case Qt::Key_PageUp:
        FrontB_Click();
        break;
    case Qt::Key_Down:
        m_scroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Up:
        m_scroll->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void PrintOutF::wheelEvent(QWheelEvent *event)
{
    // Anywhere over the window, not only over the thin scroll bar.
    QCoreApplication::sendEvent(m_scroll, event);
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

void PrintOutF::Command1_Click()
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
    switch (m_dialogs.choosePrintPages(this, printer, last)) {
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

void PrintOutF::print(QPrinter &printer)
{
    // The dialog may have changed the table's window (an edit finished).
    catchUp();
    const int last = PageLayout::lastPage(m_table);
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
    const double scale = SheetPrinter::drawPages(printer, painter, m_table, pages, copies);
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        m_dialogs.warning(
            this, QStringLiteral("印刷できませんでした。\nプリンター「%1」でエラーが起きました。")
                      .arg(destination));
        return;
    }
    if (printer.outputFormat() == QPrinter::NativeFormat && printer.outputFileName().isEmpty()) {
        const QString refusal = PrintSpooler::refusalOfLastJob(printer.printerName());
        if (!refusal.isEmpty()) {
            m_dialogs.warning(this, QStringLiteral("印刷できませんでした。\n") + refusal);
            return;
        }
    }
    QString status =
        QStringLiteral("%1 ページを「%2」に送りました").arg(pages.size()).arg(destination);
    if (!qFuzzyCompare(scale, 1.0)) {
        const QPageLayout layout = printer.pageLayout();
        status += layout.pageSize().id() == QPageSize::A4
                      ? QStringLiteral("（印刷できる範囲に合わせて %1% に縮小）")
                      : QStringLiteral("（用紙 %2 に合わせて %1%）");
        status = status.arg(qRound(scale * 100)).arg(layout.pageSize().name());
    }
    showStatus(status + QStringLiteral("。"));
}

void PrintOutF::showStatus(const QString &text)
{
    // A long folder name is shortened in the middle; the tip holds it whole.
    m_status->setText(m_status->fontMetrics().elidedText(text, Qt::ElideMiddle, m_status->width()));
    m_status->setToolTip(text);
}

void PrintOutF::savePdf()
{
    if (m_commitOpenEdit) {
        m_commitOpenEdit();
    }
    catchUp();
    Dialogs::FileRequest request;
    request.startName = m_lastPdf.isEmpty() ? QStringLiteral("部品表.pdf") : m_lastPdf;
    request.filters = {QStringLiteral("PDF ファイル (*.pdf)"),
                       QStringLiteral("すべてのファイル (*.*)")};
    QString path = m_dialogs.saveFileName(this, request);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".pdf");
        // The dialog asked about the name typed, not about this one.
        if (QFileInfo::exists(path) &&
            m_dialogs.question(this, QStringLiteral("「%1」は既にあります。\n上書きしますか？")
                                         .arg(QDir::toNativeSeparators(path))) !=
                Dialogs::Answer::Yes) {
            return;
        }
    }
    m_lastPdf = path;
    const QString error = writePartsListPdf(m_table, path);
    if (!error.isEmpty()) {
        m_dialogs.warning(
            this,
            QStringLiteral(
                "PDF を保存できませんでした。\nファイル: %1\n理由: ファイルを書き込めません（%2）")
                .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    showStatus(QStringLiteral("PDF を保存しました: %1").arg(QDir::toNativeSeparators(path)));
}
