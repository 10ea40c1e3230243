#include "guardedapplication.h"

#include "platform/dialogs.h"

#include <new>

GuardedApplication::GuardedApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc &) {
        // Commands build their result before they replace the table, so the
        // table is as it was; saving under another name keeps the last good
        // file should it not be.
        if (m_dialogs && !m_telling) {
            m_telling = true;
            m_dialogs->warning(activeWindow(),
                               QStringLiteral("メモリーが足りないので操作を中断しました。"
                                              "表は別の名前で保存しておくと安全です。"));
            m_telling = false;
        }
        return false;
    }
}
