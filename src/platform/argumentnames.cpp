#include "argumentnames.h"

#include <cstring>

bool ArgumentNames::asksForPdf(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pdf") == 0 || std::strncmp(argv[i], "--pdf=", 6) == 0) {
            return true;
        }
    }
    return false;
}
