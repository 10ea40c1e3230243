#include "statustext.h"

QString statusText(qint64 dataRows)
{
    return QLatin1Char(' ') + QString::number(dataRows) + QStringLiteral(" 個のﾃﾞｰﾀを取得");
}
