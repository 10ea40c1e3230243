#include "pdfexport.h"

#include "pagelayout.h"
#include "platform/fileerror.h"
#include "platform/fonts.h"
#include "sheetprinter.h"
#include "shell/tablemodel.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cerrno>

QFont printFont()
{
    QFont font;
    font.setFamilies(Fonts::printFamilies());
    font.setPointSize(9);
    return font;
}

QString writePartsListPdf(const TableModel &table, const QString &path)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        return FileError::reason(file, errno, FileError::Access::Write);
    }
    {
        QPdfWriter writer(&file);
        writer.setTitle(QStringLiteral("部品表"));
        writer.setCreator(QStringLiteral("Tavo表題"));
        writer.setResolution(600);
        // The form spans 5 to 195 mm and 10 to 282 mm: no margins, so that
        // millimetres count from the sheet's edge as on the preview.
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return QStringLiteral("PDF を作れません");
        }
        QList<int> pages;
        for (int page = 1; page <= PageLayout::lastPage(table); ++page) {
            pages.append(page);
        }
        SheetPrinter::drawPages(writer, painter, table, pages);
        painter.end();
    }
    errno = 0;
    if (!file.commit()) {
        return FileError::reason(file, errno, FileError::Access::Write);
    }
    return {};
}
