#pragma once

#include <QImage>
#include <QWidget>

class Dialogs;
class QLabel;
class QPushButton;
class QScrollBar;
class TableModel;

// The print preview: one page of the parts list at a time on a white
// canvas, with buttons to step through the pages, print the page shown, or
// save the whole list as a PDF. The canvas is drawn when the window opens
// and when the page changes, never on a repaint; the table is read then.
class PrintOutF : public QWidget
{
    Q_OBJECT

public:
    PrintOutF(const TableModel &table, Dialogs &dialogs);

    void NextB_Click();
    void FrontB_Click();
    void Command1_Click(); // prints the page shown
    void savePdf();

    int currentPage() const;
    QPushButton *nextButton() const { return m_next; }
    QPushButton *frontButton() const { return m_front; }
    QLabel *pageLabel() const { return m_page; }
    QScrollBar *scrollBar() const { return m_scroll; }
    QWidget *canvas() const;
    const QImage &canvasImage() const { return m_image; }

private:
    void drawPage(int page);

    const TableModel &m_table;
    Dialogs &m_dialogs;
    QImage m_image;
    QPushButton *m_print = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_front = nullptr;
    QPushButton *m_pdf = nullptr;
    QLabel *m_page = nullptr;
    QLabel *m_canvas = nullptr;
    QScrollBar *m_scroll = nullptr;
    QString m_lastPdf;
};
