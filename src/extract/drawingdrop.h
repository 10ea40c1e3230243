#pragma once

#include "readingtally.h"
#include "titleextractor.h"

#include <QList>
#include <QString>
#include <QStringList>

// What dropping drawings does, in the window and in the batch program: each
// drawing that can be read becomes a row of its title fields, captured by
// position; a file that cannot be read gets no row and is told; a file read
// only partly, or holding no text at all, gets its row and is told. A folder
// is no drawing: the window's drop ends there (the rows before it stay, and
// nothing is sorted), the batch program tells it and goes on.
class DrawingDrop
{
public:
    enum class AtFolder { EndTheDrop, TellAndGoOn };

    struct Told
    {
        enum Kind { NoRow, PartRow, NoText };
        QString path;
        QString reason;
        Kind kind;
    };

    static constexpr int Fields = 6;

    DrawingDrop(const TitleExtractor::Sources &sources, AtFolder atFolder);

    qsizetype rowCount() const { return cells.size() / Fields; }

    // Reads one path, appending its row when it gets one. False when the
    // drop ends here.
    bool add(const QString &path);
    // The rows by 図番, as the table sorts them.
    void sort();

    // Whether any file got no row or only part of its fields.
    bool anyUnread() const;

    // Six cells a row, row after row; the batch program starts it with its
    // kept list. A list of 100,000 rows is one allocation, not one a row.
    QList<QString> cells;
    QList<Told> told;            // in the order of the files
    QStringList withUnencodable; // texts code page 932 cannot hold
    ReadingTally tally;          // how the rows with text were read

private:
    TitleExtractor m_extractor;
    AtFolder m_atFolder;
};
