#pragma once

#include "extract/titleextractor.h"
#include "listfile/partslistfile.h"
#include "listfile/partslistwriter.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class DrawingDrop;

// What tavo-extract does once its command line is read: the title fields of
// the drawings as a parts list (after the rows of a kept list when one is
// given), sorted as the window sorts them, written to a file or standard
// output and optionally as a PDF; or, with --texts, every text of one
// drawing. A kept list that could not be read whole is never written over,
// and nothing is written when the list or the stored positions cannot be
// read. Every problem is told once, in Japanese, naming the file.
class BatchRun
{
public:
    enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

    struct Options
    {
        QStringList drawings;
        QString list;
        QString output; // empty: standard output
        QString pdf;
        QStringList xy; // one for each set given
        bool hasList = false;
        bool noLabels = false;
        bool hasXy = false;
        bool utf8 = false;
        bool texts = false;
    };

    // How the run meets its process: each message line; the name a path is
    // shown by; whether a path can only be read (named by bytes that are no
    // UTF-8, it cannot be written by that name).
    struct Process
    {
        std::function<void(const QString &)> tell;
        std::function<QString(const QString &)> shown = [](const QString &path) { return path; };
        std::function<bool(const QString &)> readOnly = [](const QString &) { return false; };
        bool standardOutputClosed = false;
    };

    static const QString usage;

    BatchRun(Options options, Process process);

    // Why the options cannot go together, or empty when they can.
    static QString misuse(const Options &options);

    int run();

private:
    // A file named both to read and to write would be destroyed before it is read.
    bool checkTargets() const;
    // The exit code when the run ends here.
    std::optional<int> readPositions(TitleExtractor::Sources &sources) const;
    std::optional<std::array<QString, 12>> positionsFromOption(const QString &text) const;
    std::optional<int> positionsFromStore(TitleExtractor::Sources &sources) const;
    int printTexts() const;
    // The kept list into `drop`; `whole` tells whether all of it came through.
    bool readList(DrawingDrop &drop, bool &whole) const;
    void tellDrawings(const DrawingDrop &drop, const TitleExtractor::Sources &sources) const;
    // The exit code when the run ends here; `encodedWhole` false when a
    // character became "?".
    std::optional<int> writeList(const DrawingDrop &drop, bool listWhole, bool &encodedWhole) const;
    bool writePdf(const QList<QString> &cells) const;
    bool writeOutput(const PartsListFile::Produce &produce) const;
    bool writeStandardOutput(const PartsListFile::Produce &produce) const;
    QString shown(const QString &path) const { return m_process.shown(path); }
    void tell(const QString &text) const { m_process.tell(text); }
    // "file: text"
    void tell(const QString &path, const QString &text) const
    {
        m_process.tell(QStringLiteral("%1: %2").arg(shown(path), text));
    }

    Options m_options;
    Process m_process;
};
