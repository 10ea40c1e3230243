#include "fileerror.h"

#include <QFileDevice>

#include <cerrno>
#include <iterator>
#include <utility>

namespace {

struct Known
{
    int number;
    const char16_t *read;
    const char16_t *write;
};

// Errors a user can do something about, each told as what to look at.
constexpr Known known[] = {
    {ENOSPC, u"ディスクがいっぱいです", u"ディスクがいっぱいです"},
#ifdef EDQUOT
    {EDQUOT, u"ディスクの使用量の上限（クォータ）を超えています",
     u"ディスクの使用量の上限（クォータ）を超えています"},
#endif
    {EFBIG, u"ファイルが大きすぎます", u"ファイルが大きすぎて書き込めません"},
    {EROFS, u"読み取り専用の場所です", u"読み取り専用の場所（ディスク）です"},
    {EACCES, u"読み取る権限がありません", u"書き込む権限がありません"},
    {EPERM, u"この操作の権限がありません", u"この操作の権限がありません"},
    {ENOENT, u"ファイルがありません", u"保存先のフォルダーがありません"},
    {ENOTDIR, u"途中のフォルダー名がフォルダーではありません",
     u"途中のフォルダー名がフォルダーではありません"},
    {EISDIR, u"フォルダーです", u"同じ名前のフォルダーがあります"},
    {ENAMETOOLONG, u"ファイル名が長すぎます", u"ファイル名が長すぎます"},
#ifdef ELOOP
    {ELOOP, u"シンボリックリンクが循環しています", u"シンボリックリンクが循環しています"},
#endif
    {EMFILE, u"開いているファイルが多すぎます", u"開いているファイルが多すぎます"},
    {ENFILE, u"システム全体で開いているファイルが多すぎます",
     u"システム全体で開いているファイルが多すぎます"},
    {EBUSY, u"ほかのプログラムが使用中です", u"ほかのプログラムが使用中です"},
#ifdef ETXTBSY
    {ETXTBSY, u"ほかのプログラムが使用中です", u"ほかのプログラムが使用中です"},
#endif
    {EIO, u"装置の読み取りエラーです（ディスクや接続を確かめてください）",
     u"装置の書き込みエラーです（ディスクや接続を確かめてください）"},
    {ENXIO, u"装置がないか、相手のいない FIFO です", u"装置がないか、読み手のいない FIFO です"},
    {ENODEV, u"この種類のファイルは読めません", u"この種類のファイルには書き込めません"},
    {EPIPE, u"読み取り元が閉じられました", u"出力先（パイプ）が閉じられました"},
    {EINVAL, u"名前か種類が正しくありません", u"名前か種類が正しくありません"},
    {EEXIST, u"同じ名前のファイルがあります", u"同じ名前のファイルがあります"},
    {EBADF, u"ファイルが開かれていません（閉じられています）",
     u"出力先が開かれていません（閉じられています）"},
    {ENOMEM, u"メモリーが足りません", u"メモリーが足りません"},
};

const Known *find(int number)
{
    for (const Known &entry : known) {
        if (entry.number == number) {
            return &entry;
        }
    }
    return nullptr;
}

QString text(const Known &entry, FileError::Access access)
{
    return QString::fromUtf16(access == FileError::Access::Read ? entry.read : entry.write);
}

QString generic(QFileDevice::FileError error, FileError::Access access)
{
    switch (error) {
    case QFileDevice::OpenError:
        return access == FileError::Access::Read ? QStringLiteral("ファイルを開けません")
                                                 : QStringLiteral("ファイルを作れません");
    case QFileDevice::ReadError:
        return QStringLiteral("読み取りエラーです");
    case QFileDevice::WriteError:
        return QStringLiteral("書き込みエラーです");
    case QFileDevice::RenameError:
        return QStringLiteral("書き終えたファイルを元の名前に置き換えられません");
    case QFileDevice::PermissionsError:
        return QStringLiteral("権限がありません");
    case QFileDevice::ResourceError:
        return QStringLiteral("ディスクかメモリーが足りません");
    default:
        return access == FileError::Access::Read ? QStringLiteral("読み取りエラーです")
                                                 : QStringLiteral("書き込みエラーです");
    }
}

} // namespace

namespace FileError {

QString reason(int errorNumber, Access access)
{
    if (const Known *entry = find(errorNumber)) {
        return text(*entry, access);
    }
    // The caller has said what failed; this says why, as far as it is known.
    return QStringLiteral("原因のわからないエラーです（エラー番号 %1）").arg(errorNumber);
}

QString reason(const QFileDevice &file, int errorNumber, Access access)
{
    if (const Known *entry = find(numberOf(file))) {
        return text(*entry, access);
    }
    if (const Known *entry = find(errorNumber)) {
        return text(*entry, access);
    }
    return generic(file.error(), access);
}

} // namespace FileError
