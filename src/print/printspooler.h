#pragma once

#include <QString>

// What the system's print spooler said about the job just handed to it. Qt
// passes a finished job to CUPS without looking at the answer, so a queue
// that refuses jobs would otherwise go unnoticed; CUPS keeps its last answer
// for the thread that asked, and this reads it.
namespace PrintSpooler {

// Why the spooler refused the last job, in Japanese, or an empty string when
// it took it (or there is no CUPS to ask, as on Windows, where the printer
// reports a refusal itself).
QString refusalOfLastJob(const QString &printerName);

// A queue's state as its administrator left it.
struct Queue
{
    bool stopped = false;   // takes jobs but holds them (cupsdisable)
    bool rejecting = false; // turns jobs away (cupsreject)
    QString reason;         // what the administrator wrote, if anything
};
// Empty (running, accepting) where there is no CUPS to ask.
Queue queueOf(const QString &printerName);

} // namespace PrintSpooler
