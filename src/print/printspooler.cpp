#include "printspooler.h"

#include <QLibrary>
#include <QUrl>

namespace {

// IPP status codes (RFC 8011): from 0x0400 on a request failed.
constexpr int firstError = 0x0400;
constexpr int badRequest = 0x0400;
constexpr int forbidden = 0x0401;
constexpr int notAuthenticated = 0x0402;
constexpr int notAuthorized = 0x0403;
constexpr int notFound = 0x0406;
constexpr int notAcceptingJobs = 0x0506;

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
// The few calls of libcups that ask a queue for its attributes.
struct Cups
{
    using NewRequest = void *(*)(int);
    using AddString = void *(*)(void *, int, int, const char *, const char *, const char *);
    using DoRequest = void *(*)(void *, void *, const char *);
    using Find = void *(*)(void *, const char *, int);
    using GetString = const char *(*)(void *, int, const char **);
    using GetInteger = int (*)(void *, int);
    using GetBoolean = int (*)(void *, int);
    using Delete = void (*)(void *);

    NewRequest newRequest = nullptr;
    AddString addString = nullptr;
    DoRequest doRequest = nullptr;
    Find find = nullptr;
    GetString getString = nullptr;
    GetInteger getInteger = nullptr;
    GetBoolean getBoolean = nullptr;
    Delete remove = nullptr;

    Cups()
    {
        const auto resolve = [](const char *name) {
            return QLibrary::resolve(QStringLiteral("cups"), 2, name);
        };
        newRequest = reinterpret_cast<NewRequest>(resolve("ippNewRequest"));
        addString = reinterpret_cast<AddString>(resolve("ippAddString"));
        doRequest = reinterpret_cast<DoRequest>(resolve("cupsDoRequest"));
        find = reinterpret_cast<Find>(resolve("ippFindAttribute"));
        getString = reinterpret_cast<GetString>(resolve("ippGetString"));
        getInteger = reinterpret_cast<GetInteger>(resolve("ippGetInteger"));
        getBoolean = reinterpret_cast<GetBoolean>(resolve("ippGetBoolean"));
        remove = reinterpret_cast<Delete>(resolve("ippDelete"));
    }
    bool usable() const
    {
        return newRequest && addString && doRequest && find && getString && getInteger &&
               getBoolean && remove;
    }
};

// IPP codes (RFC 8011).
constexpr int getPrinterAttributes = 0x000B;
constexpr int tagOperation = 0x01;
constexpr int tagZero = 0x00; // any value tag
constexpr int tagUri = 0x45;
constexpr int stateStopped = 5;
#endif

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
    case notAcceptingJobs: {
        const QString reason = queueOf(printerName).reason;
        return QStringLiteral("プリンター「%1」は今ジョブを受け付けない設定です%2。")
            .arg(printerName,
                 reason.isEmpty() ? QString() : QStringLiteral("（理由: %1）").arg(reason));
    }
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

Queue queueOf(const QString &printerName)
{
    Queue queue;
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    static const Cups cups;
    if (!cups.usable() || printerName.isEmpty()) {
        return queue;
    }
    void *request = cups.newRequest(getPrinterAttributes);
    if (!request) {
        return queue;
    }
    const QByteArray uri =
        QByteArrayLiteral("ipp://localhost/printers/") + QUrl::toPercentEncoding(printerName);
    cups.addString(request, tagOperation, tagUri, "printer-uri", nullptr, uri.constData());
    void *response = cups.doRequest(nullptr, request, "/"); // frees the request
    if (!response) {
        return queue;
    }
    if (void *state = cups.find(response, "printer-state", tagZero)) {
        queue.stopped = cups.getInteger(state, 0) == stateStopped;
    }
    if (void *accepting = cups.find(response, "printer-is-accepting-jobs", tagZero)) {
        queue.rejecting = !cups.getBoolean(accepting, 0);
    }
    if (void *message = cups.find(response, "printer-state-message", tagZero)) {
        queue.reason = QString::fromUtf8(cups.getString(message, 0, nullptr)).trimmed();
    }
    cups.remove(response);
#else
    Q_UNUSED(printerName);
#endif
    return queue;
}

} // namespace PrintSpooler
