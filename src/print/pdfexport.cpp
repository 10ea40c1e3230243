#include "pdfexport.h"

#include "pagelayout.h"
#include "platform/fileerror.h"
#include "platform/fonts.h"
#include "platform/savefile.h"
#include "sheetprinter.h"
#include "shell/tablemodel.h"

#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cerrno>

namespace {

// A PDF's text layer maps each glyph back to the lowest code point the font
// gives it, and Japanese faces share one glyph between the wave dash U+301C
// and the full-width tilde U+FF5E. Text of code page 932, as Windows converts
// it, holds only the tilde, so that is what a search typed on Windows looks
// for: the font's character maps are turned back to it. Only the targets of
// single mappings change, never a range (whose successors would shift).
QByteArray withFullwidthTilde(QByteArray pdf)
{
    static const QByteArray begin = QByteArrayLiteral("beginbfrange\n");
    static const QByteArray end = QByteArrayLiteral("endbfrange");
    qsizetype at = 0;
    while ((at = pdf.indexOf(begin, at)) >= 0) {
        at += begin.size();
        const qsizetype stop = pdf.indexOf(end, at);
        if (stop < 0) {
            break;
        }
        while (at < stop) {
            qsizetype lineEnd = pdf.indexOf('\n', at);
            if (lineEnd < 0 || lineEnd > stop) {
                lineEnd = stop;
            }
            // "<first> <last> <target>" or "<first> <last> [<target> ...]"
            const qsizetype sources = pdf.indexOf('>', pdf.indexOf('>', at) + 1);
            if (sources > at && sources < lineEnd) {
                const QByteArray line = pdf.mid(at, lineEnd - at);
                const bool single = line.contains('[') || line.left(6) == line.mid(7, 6);
                for (qsizetype target = sources + 1; single && target + 6 <= lineEnd; ++target) {
                    const QByteArray code = pdf.mid(target, 6).toLower();
                    if (code == "<301c>") {
                        pdf.replace(target, 6, "<FF5E>");
                    }
                }
            }
            at = lineEnd + 1;
        }
    }
    return pdf;
}

} // namespace

QFont printFont()
{
    QFont font;
    font.setFamilies(Fonts::printFamilies());
    font.setPointSize(9);
    return font;
}

int shortenedCells(const TableModel &table)
{
    return PageLayout::shortenedCells(table, printFont());
}

QString writePartsListPdf(const TableModel &table, const QString &path, const QString &listName,
                          const std::function<bool(int done, int pages)> &proceed)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        return FileError::reason(file, errno, FileError::Access::Write);
    }
    // Written whole first, so that its text layer can be put right.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("部品表"));
        writer.setCreator(QStringLiteral("Tavo表題"));
        writer.setResolution(600);
        // Placed as a printer's printable area places it, so that the PDF
        // printed at actual size loses no rule to an unprintable edge.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return QStringLiteral("PDF を作れません");
        }
        QList<int> pages;
        for (int page = 1; page <= PageLayout::lastPage(table); ++page) {
            pages.append(page);
        }
        bool stopped = false;
        const auto onPage = [&](int done) {
            stopped = stopped || (proceed && !proceed(done, int(pages.size())));
            return !stopped;
        };
        SheetPrinter::drawPages(writer, painter, table, pages, 1,
                                listName.isEmpty() ? PageLayout::listTitle(path) : listName,
                                onPage);
        painter.end();
        if (stopped || (proceed && !proceed(int(pages.size()), int(pages.size())))) {
            file.cancelWriting();
            return {};
        }
    }
    errno = 0;
    const QByteArray pdf = withFullwidthTilde(buffer.buffer());
    if (file.write(pdf) != pdf.size()) {
        file.cancelWriting();
        return FileError::reason(file, errno, FileError::Access::Write);
    }
    return SaveFile::commit(file);
}
