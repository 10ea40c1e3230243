#pragma once

#include "dialogs.h"

// The real dialogs: QMessageBox, QFileDialog and QPrintDialog.
class WidgetDialogs : public Dialogs
{
public:
    void message(QWidget *parent, const QString &text) override;
    void warning(QWidget *parent, const QString &text) override;
    Answer question(QWidget *parent, const QString &text, bool withCancel) override;
    QString openFileName(QWidget *parent, const FileRequest &request) override;
    QString saveFileName(QWidget *parent, const FileRequest &request) override;
    PrinterChoice choosePrintPages(QWidget *parent, QPrinter &printer, int lastPage,
                                   bool selection) override;
    Answer askToSave(QWidget *parent, const QString &text) override;
    void warningWithDetails(QWidget *parent, const QString &text, const QString &details) override;
};
