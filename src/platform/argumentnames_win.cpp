#include "argumentnames.h"

#include <QCoreApplication>

// Windows hands every name over as UTF-16: none needs a link.
ArgumentNames::ArgumentNames(int, char *[]) : list(QCoreApplication::arguments()) {}
