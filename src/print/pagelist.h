#pragma once

#include <QPageRanges>
#include <QString>

// A page list typed in the print dialog, "2-3,5": read strictly, so that a
// slip ("1-", "0", "3-2") is refused with its reason instead of printing
// something else.
namespace PageList {

struct Reading
{
    QPageRanges ranges; // empty when refused
    QString error;      // why it was refused, in Japanese; empty when read
};

Reading read(const QString &text);

} // namespace PageList
