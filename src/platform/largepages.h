#pragma once

#include <QtGlobal>

// A whole parts list is read into one buffer and saved from another; each is
// touched page by page right after it is made. Where the system can map such
// a buffer in large pages (Linux's transparent huge pages), it is asked to,
// which saves thousands of page faults a file. Elsewhere this does nothing.
namespace LargePages {

void advise(void *data, qsizetype size);

} // namespace LargePages
