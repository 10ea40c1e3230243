#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <QPageRanges>
#include <QPageSize>
#include <QPrinter>
#include <QString>
#include <QStringList>

// Dialogs answered by the test: each call is recorded, and answers are taken
// from queues the test fills beforehand (defaults when a queue is empty:
// No, Cancel, an empty file name).
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown
    {
        QString kind; // "message", "warning", "question", "open", "save", "printer", "asksave"
        QString text;
    };

    void message(QWidget *, const QString &text) override
    {
        shown.append({QStringLiteral("message"), text});
    }
    void warning(QWidget *, const QString &text) override
    {
        shown.append({QStringLiteral("warning"), text});
    }
    Answer question(QWidget *, const QString &text, bool) override
    {
        shown.append({QStringLiteral("question"), text});
        return answers.isEmpty() ? Answer::No : answers.takeFirst();
    }
    QString openFileName(QWidget *, const FileRequest &request) override
    {
        shown.append({QStringLiteral("open"), request.startName});
        requests.append(request);
        return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
    }
    QString saveFileName(QWidget *, const FileRequest &request) override
    {
        shown.append({QStringLiteral("save"), request.startName});
        requests.append(request);
        return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
    }
    // "printer" is recorded with the pages offered and the range the dialog
    // starts with, "1-3 current"; the script's range then replaces it.
    PrinterChoice choosePrintPages(QWidget *, QPrinter &printer, int lastPage,
                                   bool selection) override
    {
        selectionOffered = selection;
        shown.append({QStringLiteral("printer"), QStringLiteral("1-%1 %2").arg(lastPage).arg(
                                                     printer.printRange() == QPrinter::CurrentPage
                                                         ? QStringLiteral("current")
                                                         : QStringLiteral("other"))});
        if (noPrinter) {
            return PrinterChoice::NoPrinter;
        }
        if (!printToFile.isEmpty()) {
            // Stands in for a real printer: the job goes to a PDF file.
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printToFile);
            printer.setCopyCount(copies);
            printer.setPageOrder(reversed ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
            if (paperSize.isValid()) {
                printer.setPageSize(paperSize);
            }
        }
        if (printRange != QPrinter::CurrentPage) {
            printer.setPrintRange(printRange);
            printer.setPageRanges(QPageRanges::fromString(pageRanges));
        }
        const bool accepted = printerAccepted.isEmpty() ? false : printerAccepted.takeFirst();
        return accepted ? PrinterChoice::Print : PrinterChoice::Cancelled;
    }

    Answer askToSave(QWidget *, const QString &text) override
    {
        shown.append({QStringLiteral("asksave"), text});
        return saveAnswers.isEmpty() ? Answer::Cancel : saveAnswers.takeFirst();
    }
    void warningWithDetails(QWidget *, const QString &text, const QString &detailText) override
    {
        shown.append({QStringLiteral("warning"), text});
        details.append(detailText);
    }

    QStringList kinds() const
    {
        QStringList result;
        for (const Shown &entry : shown) {
            result.append(entry.kind);
        }
        return result;
    }

    QList<Shown> shown;
    QList<FileRequest> requests;
    QList<Answer> answers;
    QList<Answer> saveAnswers; // for askToSave; Cancel when empty
    QStringList details;       // of each warning that had some
    QStringList fileNames;
    QList<bool> printerAccepted;
    QString printToFile;
    int copies = 1;
    QPageSize paperSize;
    QPrinter::PrintRange printRange = QPrinter::CurrentPage;
    QString pageRanges; // "2-3,5" with PageRange
    bool noPrinter = false;
    bool reversed = false;         // 逆順 ticked
    bool selectionOffered = false; // 選択した部分 was offered
};
