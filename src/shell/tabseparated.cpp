#include "tabseparated.h"

#include <utility>

namespace TabSeparated {

namespace {

QString quoted(const QString &cell)
{
    if (!cell.contains(QLatin1Char('\t')) && !cell.contains(QLatin1Char('\n')) &&
        !cell.contains(QLatin1Char('\r')) && !cell.startsWith(QLatin1Char('"'))) {
        return cell;
    }
    QString text = cell;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString write(const QList<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows) {
        for (qsizetype col = 0; col < row.size(); ++col) {
            if (col > 0) {
                text += QLatin1Char('\t');
            }
            text += quoted(row[col]);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

QList<QStringList> read(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    bool cellStarted = false;
    while (pos < size) {
        const QChar c = text[pos];
        if (!cellStarted && c == QLatin1Char('"')) {
            // Quoted: up to the quote not doubled; what follows it up to the
            // separator is kept as typed.
            ++pos;
            while (pos < size) {
                if (text[pos] == QLatin1Char('"')) {
                    if (pos + 1 < size && text[pos + 1] == QLatin1Char('"')) {
                        cell += QLatin1Char('"');
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                cell += text[pos++];
            }
            cellStarted = true;
            continue;
        }
        if (c == QLatin1Char('\t')) {
            row.append(std::exchange(cell, QString()));
            cellStarted = false;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && pos + 1 < size && text[pos + 1] == QLatin1Char('\n')) {
                ++pos;
            }
            row.append(std::exchange(cell, QString()));
            rows.append(std::exchange(row, QStringList()));
            cellStarted = false;
        } else {
            cell += c;
            cellStarted = true;
        }
        ++pos;
    }
    if (cellStarted || !row.isEmpty()) {
        row.append(cell);
        rows.append(row);
    }
    return rows;
}

} // namespace TabSeparated
