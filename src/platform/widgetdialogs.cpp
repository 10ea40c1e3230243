#include "widgetdialogs.h"

#include "apptitle.h"
#include "print/pagelist.h"

#include <QAbstractPrintDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace {

// Qt's own dialog lets a mistyped page list ("1-", "0", "3-2") through and
// then prints the page shown: this one reads the list itself first and
// refuses it with the reason.
class CheckedPrintDialog : public QPrintDialog
{
public:
    CheckedPrintDialog(QPrinter *printer, QWidget *parent, Dialogs &dialogs)
        : QPrintDialog(printer, parent), m_dialogs(dialogs)
    {}

    QPageRanges typedRanges() const { return m_ranges; }

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    void accept() override
    {
        auto *choice = findChild<QRadioButton *>(QStringLiteral("pagesRadioButton"));
        auto *list = findChild<QLineEdit *>(QStringLiteral("pagesLineEdit"));
        m_ranges = {};
        if (choice && list && choice->isChecked()) {
            const PageList::Reading reading = PageList::read(list->text());
            if (!reading.error.isEmpty()) {
                m_dialogs.warning(this, QStringLiteral("印刷できません。\n") + reading.error);
                list->setFocus();
                list->selectAll();
                return;
            }
            m_ranges = reading.ranges;
        }
        QPrintDialog::accept();
    }
#endif

private:
    Dialogs &m_dialogs;
    QPageRanges m_ranges;
};

QString runFileDialog(QWidget *parent, const Dialogs::FileRequest &request,
                      QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, appTitle());
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(request.filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size()) {
        dialog.selectNameFilter(request.filters.at(request.selectedFilter));
    }
    if (!request.confirmOverwrite) {
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (!request.startName.isEmpty()) {
        dialog.selectFile(request.startName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

void WidgetDialogs::message(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, appTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

void WidgetDialogs::warning(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, appTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

Dialogs::Answer WidgetDialogs::question(QWidget *parent, const QString &text, bool withCancel)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) {
        buttons |= QMessageBox::Cancel;
    }
    QMessageBox box(QMessageBox::NoIcon, appTitle(), text, buttons, parent);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return withCancel ? Answer::Cancel : Answer::No;
    }
}

QString WidgetDialogs::openFileName(QWidget *parent, const FileRequest &request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

QString WidgetDialogs::saveFileName(QWidget *parent, const FileRequest &request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

Dialogs::PrinterChoice WidgetDialogs::choosePrintPages(QWidget *parent, QPrinter &printer,
                                                       int lastPage, bool selection)
{
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        return PrinterChoice::NoPrinter;
    }
    const QPrinter::PrintRange startRange = printer.printRange();
    CheckedPrintDialog dialog(&printer, parent, *this);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selection);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    dialog.setMinMax(1, lastPage);
    dialog.setPrintRange(QAbstractPrintDialog::PrintRange(startRange));
    // Only page numbers, commas and dashes can be typed as a page list.
    if (auto *pageList = dialog.findChild<QLineEdit *>(QStringLiteral("pagesLineEdit"))) {
        pageList->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9 ,\\-]*")), pageList));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return PrinterChoice::Cancelled;
    }
    if (!dialog.typedRanges().isEmpty()) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setPageRanges(dialog.typedRanges());
    }
    // Qt hands a typed page list to CUPS as well as to the printer; the
    // program prints only the chosen pages, so CUPS must not choose again
    // among them (a list of 2-3 would otherwise print page 3 alone).
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (QPrintEngine *engine = printer.printEngine()) {
        constexpr auto cupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
        QStringList options = engine->property(cupsOptions).toStringList();
        const qsizetype before = options.size();
        for (qsizetype i = 0; i + 1 < options.size();) {
            if (options.at(i) == QLatin1String("page-ranges")) {
                options.remove(i, 2);
            } else {
                i += 2;
            }
        }
        if (options.size() != before) {
            engine->setProperty(cupsOptions, options);
        }
    }
#endif
    return PrinterChoice::Print;
}

Dialogs::Answer WidgetDialogs::askToSave(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Question, appTitle(), text, QMessageBox::NoButton, parent);
    QPushButton *save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
    QPushButton *discard =
        box.addButton(QStringLiteral("保存しない"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) {
        return Answer::Yes;
    }
    return box.clickedButton() == discard ? Answer::No : Answer::Cancel;
}

void WidgetDialogs::warningWithDetails(QWidget *parent, const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::Warning, appTitle(), text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    box.exec();
}
