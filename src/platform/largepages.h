#pragma once

#include <QtGlobal>

// A whole parts list is read into one buffer and saved from another; each is
// touched page by page right after it is made. Where the system can map such
// a buffer in large pages (Linux's transparent huge pages), it is asked to,
// which saves thousands of page faults a file. Elsewhere this does nothing.
namespace LargePages {

void advise(void *data, qsizetype size);

// Readies the heap for about `bytes` of small blocks to come (a large list's
// hundreds of thousands of strings), in large pages where the system offers
// them, and keeps freed blocks for reuse rather than handing them back. For
// a program that fills its table once and ends: the heap does not shrink
// afterwards. Does nothing where the C library cannot be asked.
void reserveHeap(qsizetype bytes);

} // namespace LargePages
