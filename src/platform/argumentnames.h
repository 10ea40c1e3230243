#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// File names as the command line gave them. A name whose bytes are not
// UTF-8 (Shift_JIS names from a Windows archive) cannot pass through QString
// and back; such a file is reached through a link by a UTF-8 name in a
// private folder, made at start-up and opened only when the file is read
// (a thousand names keep no thousand files open), while messages show the
// name read as Shift_JIS.
class ArgumentNames
{
public:
    QStringList list;

    ArgumentNames(int argc, char *argv[]);

    // The name for messages.
    QString shown(const QString &path) const { return m_shown.value(path, path); }
    // A name that can only be read: it cannot be written by that name.
    bool isAlias(const QString &path) const { return m_shown.contains(path); }

    // Whether a PDF was asked for, before any parsing: only then does the
    // program need fonts and with them a GUI application.
    static bool asksForPdf(int argc, char *argv[]);

private:
    // A link to the file of this name, or empty when there is no such file
    // or no link can be made.
    QString linkTo(const char *name);

    std::unique_ptr<QTemporaryDir> m_links;
    QHash<QString, QString> m_shown;
};
