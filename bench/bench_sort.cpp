// Prints how long the table's sort takes on 100,000 rows of mixed drawing
// numbers (text with digits, plain numbers, Japanese, empty cells).
// Usage: bench_sort [column...] (0, 4 and 1 when none is named)
#include "shell/tablemodel.h"
#include "support/rows.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSysInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rows = 100000;
    QRandomGenerator random(7);
    const QStringList prefixes = {"A-", "B-", "ZB", "部品-", "ﾌﾞﾗｹｯﾄ", "", "Ｓ"};
    QList<QStringList> data;
    data.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        QString number;
        switch (random.bounded(4)) {
        case 0:
            number = QString::number(random.bounded(100000));
            break;
        case 1:
            number = QString::number(random.bounded(1000.0), 'f', 2);
            break;
        case 2:
            number = QString();
            break;
        default:
            number = prefixes.at(random.bounded(int(prefixes.size()))) +
                     QString::number(random.bounded(5000)) + QStringLiteral("-") +
                     QString::number(random.bounded(100));
        }
        data.append({number, QStringLiteral("品名%1").arg(i), QString(), QString(),
                     QString::number(random.bounded(20)), QString()});
    }
    // The columns to sort may be named, one run each under a profiler say.
    QList<int> columns = {0, 4, 1};
    if (argc > 1) {
        columns.clear();
        for (int i = 1; i < argc; ++i) {
            columns.append(QByteArray(argv[i]).toInt());
        }
    }
    for (int column : std::as_const(columns)) {
        TableModel table;
        table.SetupGridColumns();
        setDataRows(table, data);
        QElapsedTimer timer;
        timer.start();
        table.Sort(column);
        std::printf("Sort of %d rows on column %d: %.1f ms\n", rows, column,
                    double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("(%s, %s, Qt %s)\n", qPrintable(QSysInfo::prettyProductName()),
                qPrintable(QSysInfo::currentCpuArchitecture()), qVersion());
    return 0;
}
