#pragma once

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

// Every message box and file or printer dialog the program shows goes
// through this interface, so that tests can answer them without a person.
// Captions are the program's title unless a method says otherwise.
class Dialogs
{
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Dialogs() = default;

    // A message with only an OK button and no icon.
    virtual void message(QWidget *parent, const QString &text) = 0;
    // A failure the user must know about (warning icon, OK button).
    virtual void warning(QWidget *parent, const QString &text) = 0;
    // Yes / No (and Cancel when asked), Yes the default, no icon.
    virtual Answer question(QWidget *parent, const QString &text, bool withCancel = false) = 0;

    struct FileRequest
    {
        QString startName;            // the name the dialog starts with
        QStringList filters;          // "テキスト ファイル (*.txt)" and the like
        int selectedFilter = 0;       // index into filters
        bool confirmOverwrite = true; // save dialogs only
    };
    // The chosen path, or an empty string when the user cancelled.
    virtual QString openFileName(QWidget *parent, const FileRequest &request) = 0;
    virtual QString saveFileName(QWidget *parent, const FileRequest &request) = 0;

    enum class PrinterChoice { Print, Cancelled, NoPrinter };
    // Lets the user choose printer, copies and which of the pages 1 ..
    // lastPage to print: all, a range, or the current page, as `printer`'s
    // print range starts, and the selected rows when `selection` is offered.
    // A typed page list that cannot be read is refused with its reason. The
    // choice is left in `printer`. NoPrinter, with no dialog shown, when the
    // system has no printer installed.
    virtual PrinterChoice choosePrintPages(QWidget *parent, QPrinter &printer, int lastPage,
                                           bool selection) = 0;

    // 保存 / 保存しない / キャンセル: Yes, No or Cancel; 保存 the default.
    virtual Answer askToSave(QWidget *parent, const QString &text) = 0;
    // A warning whose long part (a list of files, say) is shown in a
    // scrollable detail the user can copy from, so the box fits the screen.
    virtual void warningWithDetails(QWidget *parent, const QString &text,
                                    const QString &details) = 0;
};
