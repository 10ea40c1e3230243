#include "printoutf.h"

#include "drawingtarget.h"
#include "pagelayout.h"
#include "pdfexport.h"
#include "platform/dialogs.h"
#include "shell/tablemodel.h"
#include "shell/twips.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

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

} // namespace

PrintOutF::PrintOutF(const TableModel &table, Dialogs &dialogs)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      m_table(table), m_dialogs(dialogs)
{
    setWindowTitle(QStringLiteral("印刷"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(11820), Twips::toPixels(7305));

    m_print = new QPushButton(QStringLiteral("印刷"), this);
    m_print->setGeometry(twipsRect(120, 0, 855, 375));
    m_next = new QPushButton(QStringLiteral("次ページ"), this);
    m_next->setGeometry(twipsRect(1200, 0, 855, 375));
    m_next->hide();
    m_front = new QPushButton(QStringLiteral("前ページ"), this);
    m_front->setGeometry(twipsRect(2280, 0, 855, 375));
    m_front->hide();
    m_pdf = new QPushButton(QStringLiteral("PDF"), this);
    m_pdf->setGeometry(twipsRect(3360, 0, 855, 375));
    m_pdf->setToolTip(QStringLiteral("部品表の全ページを PDF ファイルに保存します"));
    for (QPushButton *button : {m_print, m_next, m_front, m_pdf}) {
        button->setAutoDefault(false);
    }
    auto *pageCaption = new QLabel(QStringLiteral("ﾍﾟｰｼﾞ"), this);
    pageCaption->setGeometry(twipsRect(10560, 120, 495, 255));
    m_page = new QLabel(QStringLiteral("1"), this);
    m_page->setGeometry(twipsRect(11280, 120, 255 + 300, 255));

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

    setTabOrder(m_print, m_next);
    setTabOrder(m_next, m_front);
    setTabOrder(m_front, m_pdf);
    setTabOrder(m_pdf, m_scroll);

    drawPage(1);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

QWidget *PrintOutF::canvas() const
{
    return m_canvas;
}

int PrintOutF::currentPage() const
{
    return m_page->text().toInt();
}

void PrintOutF::drawPage(int page)
{
    m_image = QImage(canvasWidth, canvasHeight, QImage::Format_RGB32);
    m_image.setDotsPerMeterX(qRound(canvasDpi / 0.0254));
    m_image.setDotsPerMeterY(qRound(canvasDpi / 0.0254));
    m_image.fill(Qt::white);
    {
        QPainter painter(&m_image);
        DrawingTarget target(painter, printFont());
        PageLayout::DrawFormLine(target, m_table);
        if (PageLayout::DataSet(target, m_table, page)) {
            m_next->show();
        }
    }
    m_canvas->setPixmap(QPixmap::fromImage(m_image));
}

void PrintOutF::NextB_Click()
{
    int page = currentPage();
    const int last = PageLayout::lastPage(m_table);
    if (page != last) {
        ++page;
        m_page->setText(QString::number(page));
        drawPage(page);
        m_front->show();
    }
    if (currentPage() == last) {
        m_next->hide();
    }
}

void PrintOutF::FrontB_Click()
{
    int page = currentPage();
    if (page > 1) {
        --page;
        m_page->setText(QString::number(page));
        drawPage(page);
        if (page == 1) {
            m_front->hide();
        }
    }
}

void PrintOutF::Command1_Click()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    printer.setFullPage(true);
    printer.setDocName(QStringLiteral("部品表 %1 ページ").arg(currentPage()));
    if (!m_dialogs.choosePrinter(this, printer)) {
        return; // cancelled: nothing printed, nothing said
    }
    // One page, the one shown, however the dialog's range was set.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPageOrientation(QPageLayout::Portrait);
    if (!printer.isValid()) {
        m_dialogs.warning(this,
                          QStringLiteral("印刷できませんでした。\n使えるプリンターがありません。"));
        return;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        m_dialogs.warning(
            this, QStringLiteral("印刷できませんでした。\nプリンター「%1」が印刷を受け付けません。")
                      .arg(printer.printerName()));
        return;
    }
    // A printer that cannot make copies itself gets the page once per copy.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0) {
            printer.newPage();
        }
        DrawingTarget target(painter, printFont());
        PageLayout::DrawFormLine(target, m_table);
        PageLayout::DataSet(target, m_table, currentPage());
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        m_dialogs.warning(
            this, QStringLiteral("印刷できませんでした。\nプリンター「%1」でエラーが起きました。")
                      .arg(printer.printerName()));
    }
}

void PrintOutF::savePdf()
{
    Dialogs::FileRequest request;
    request.startName = m_lastPdf.isEmpty() ? QStringLiteral("部品表.pdf") : m_lastPdf;
    request.filters = {QStringLiteral("PDF ファイル (*.pdf)"),
                       QStringLiteral("すべてのファイル (*.*)")};
    const QString path = m_dialogs.saveFileName(this, request);
    if (path.isEmpty()) {
        return;
    }
    m_lastPdf = path;
    const QString error = writePartsListPdf(m_table, path);
    if (!error.isEmpty()) {
        m_dialogs.warning(this,
                          QStringLiteral("PDF を保存できませんでした。\nファイル: %1\n理由: %2")
                              .arg(QDir::toNativeSeparators(path), error));
    }
}
