#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

class Dialogs;
class QLabel;
class QPageLayout;
class QPrinter;
class QPushButton;
class QScrollBar;
class QWheelEvent;
class TableModel;

// The print preview: one page of the parts list at a time on a white
// canvas, with buttons to step through the pages, print, or save the whole
// list as a PDF. It follows the table: a change redraws the page shown
// (the same page number while the table still has it), so what is shown is
// what 印刷 prints. The canvas is drawn then and on a page change, never on
// a repaint.
class PrintOutF : public QWidget
{
    Q_OBJECT

public:
    // `commitOpenEdit` stores a cell edit still open in the table's window
    // before printing or saving reads the table.
    PrintOutF(const TableModel &table, Dialogs &dialogs, std::function<void()> commitOpenEdit = {});

    void showNextPage();
    void showPreviousPage();
    // Prints the page shown, every page or a range, as the dialog says.
    void printPages();
    void savePdf();

    // The list file shown (empty for an unsaved table): its name heads every
    // page, and another list clears what the last print or save said.
    void setListFile(const QString &path);
    // The table rows (from 1) selected in the table's window, offered as
    // 選択した部分 in the print dialog.
    void setSelectedRows(std::function<QList<qsizetype>()> rows)
    {
        m_selectedRows = std::move(rows);
    }

    // Magnification of the page on screen, 1 for a sheet at actual size.
    double zoom() const;
    void zoomIn();
    void zoomOut();

    int currentPage() const { return m_pageNumber; }
    QPushButton *nextButton() const { return m_next; }
    QPushButton *frontButton() const { return m_front; }
    QLabel *pageLabel() const { return m_page; }
    // What the last print or save did and how it was scaled (whole in its tip).
    QLabel *statusLabel() const { return m_status; }
    QScrollBar *scrollBar() const { return m_scroll; }
    QScrollBar *horizontalScrollBar() const { return m_hscroll; }
    // How many cells of the list end in "…" (hidden when none).
    QLabel *shortenedLabel() const { return m_shortened; }
    QWidget *canvas() const;
    const QImage &canvasImage() const { return m_image; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createButtons(); // the buttons and the labels above the page
    void createCanvas();  // the page and its scroll bars
    void showPage(int page);
    void drawCanvas();
    void tableChanged();
    // Draws the page again now when the table changed since it was drawn.
    void catchUp();
    void print(QPrinter &printer);
    // The rows selected in the table's window, as a table of their own.
    void copySelectedRows(TableModel &selection) const;
    // After a job went to a printer: false (and told) when its queue refused
    // it; a stopped queue that holds it is told and leaves `waiting` set.
    bool queueTakes(const QPrinter &printer, const QString &destination, qsizetype sheets,
                    QString &waiting);
    // How a page was fitted to the paper, for the status line; empty at 100%.
    static QString scaleNote(const QPageLayout &layout, double scale);
    // `before` + `destination` + `after`, the destination shortened in the
    // middle when the whole would not fit; the tip holds it whole.
    void showStatus(const QString &before, const QString &destination = {},
                    const QString &after = {});
    // The PDF's name from the save dialog, ".pdf" added when none was typed;
    // empty when the user cancelled.
    QString askPdfName();
    void setZoom(int level);
    void placeCanvas();
    // Arrow keys and Ctrl with + / − / wheel, wherever the focus is.
    bool handleViewKey(QKeyEvent *event);
    bool handleWheel(QWheelEvent *event);
    QString listName() const;

    const TableModel &m_table;
    Dialogs &m_dialogs;
    std::function<void()> m_commitOpenEdit;
    int m_pageNumber = 1;
    bool m_stale = false;
    QImage m_image;
    QPushButton *m_print = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_front = nullptr;
    QPushButton *m_pdf = nullptr;
    QLabel *m_page = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_canvas = nullptr;
    QScrollBar *m_scroll = nullptr;
    QScrollBar *m_hscroll = nullptr;
    QWidget *m_viewport = nullptr;
    QLabel *m_shortened = nullptr;
    QString m_lastPdf;
    QString m_listFile;
    bool m_listKnown = false;
    int m_zoomLevel = 0;
    std::function<QList<qsizetype>()> m_selectedRows;
};
