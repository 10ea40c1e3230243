#pragma once

#include <QString>

// The status-bar message after a command that changed the rows:
// a blank, the number of data rows and " 個のﾃﾞｰﾀを取得".
QString statusText(qint64 dataRows);
