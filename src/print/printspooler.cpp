#include "printspooler.h"

#include <QLibrary>

namespace {

// IPP status codes (RFC 8011): from 0x0400 on a request failed.
constexpr int firstError = 0x0400;
constexpr int badRequest = 0x0400;
constexpr int forbidden = 0x0401;
constexpr int notAuthenticated = 0x0402;
constexpr int notAuthorized = 0x0403;
constexpr int notFound = 0x0406;
constexpr int notAcceptingJobs = 0x0506;

} // namespace

namespace PrintSpooler {

QString refusalOfLastJob(const QString &printerName)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    using LastError = int (*)();
    // The library Qt's print plugin already loaded, so the same answer.
    const auto lastError =
        reinterpret_cast<LastError>(QLibrary::resolve(QStringLiteral("cups"), 2, "cupsLastError"));
    if (!lastError) {
        return {};
    }
    const int status = lastError();
    if (status < firstError) {
        return {};
    }
    switch (status) {
    case badRequest:
        return QStringLiteral("プリンター「%1」への印刷の指定（ページ指定など）を印刷システムが"
                              "受け付けませんでした。")
            .arg(printerName);
    case notAcceptingJobs:
        return QStringLiteral("プリンター「%1」は今ジョブを受け付けない設定です。")
            .arg(printerName);
    case notFound:
        return QStringLiteral("プリンター「%1」が見つかりません。").arg(printerName);
    case forbidden:
    case notAuthenticated:
    case notAuthorized:
        return QStringLiteral("プリンター「%1」で印刷する権限がありません。").arg(printerName);
    default:
        return QStringLiteral(
                   "印刷システムがプリンター「%1」へのジョブを断りました（IPP 状態 0x%2）。")
            .arg(printerName)
            .arg(status, 4, 16, QLatin1Char('0'));
    }
#else
    Q_UNUSED(printerName);
    return {};
#endif
}

} // namespace PrintSpooler
