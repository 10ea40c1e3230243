// Prints how long saving and opening a parts list of 100,000 rows take:
// table rows to bytes, bytes to disk, disk back to rows, and a save of the
// same table with one character the code page lacks. Then, side by side in
// one run, the batch program adding a drawing to such a list against GNU
// sort of the same file: time and peak memory, and their ratios.
#include "extract/drawingdrop.h"
#include "listfile/partslistfile.h"
#include "listfile/partslistreader.h"
#include "listfile/partslistwriter.h"
#include "shell/tablemodel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
extern char **environ;
#endif

namespace {

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Run
{
    double seconds = -1;
    double cpuSeconds = -1; // user and system: less disturbed by a busy machine
    double megabytes = -1;  // peak resident memory
};

// One run of a program, its wall time and peak memory; the best of `times`.
// The memory comes from GNU time: a child's own figure would start from this
// process's size, which the child shares until it executes.
Run bestOf(int times, const QStringList &arguments, const QString &directory)
{
    Run best;
#ifdef Q_OS_LINUX
    const QString report = directory + "/time.txt";
    for (int i = 0; i < times; ++i) {
        QList<QByteArray> bytes = {"/usr/bin/time", "-f", "%U %S %M", "-o", report.toLocal8Bit()};
        std::vector<char *> argv;
        for (const QString &argument : arguments) {
            bytes.append(argument.toLocal8Bit());
        }
        for (QByteArray &argument : bytes) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        QElapsedTimer timer;
        timer.start();
        pid_t child = 0;
        const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            return best;
        }
        int status = 0;
        waitpid(child, &status, 0);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s failed\n", qPrintable(arguments.join(u' ')));
            return best;
        }
        QFile file(report);
        file.open(QIODevice::ReadOnly);
        const QList<QByteArray> figures = file.readAll().trimmed().split(' ');
        if (figures.size() != 3) {
            return best;
        }
        const double cpuSeconds = figures[0].toDouble() + figures[1].toDouble();
        const double megabytes = figures[2].toDouble() / 1024;
        if (best.seconds < 0 || seconds < best.seconds) {
            best.seconds = seconds;
        }
        if (best.cpuSeconds < 0 || cpuSeconds < best.cpuSeconds) {
            best.cpuSeconds = cpuSeconds;
        }
        if (best.megabytes < 0 || megabytes < best.megabytes) {
            best.megabytes = megabytes;
        }
    }
#else
    Q_UNUSED(times);
    Q_UNUSED(arguments);
    Q_UNUSED(directory);
#endif
    return best;
}

// A list like a real one at its largest: Japanese, quotes, commas, and a
// 300-character remark in every tenth row.
QList<QStringList> bigList(int rows)
{
    QRandomGenerator random(5);
    const QStringList names = {"ブラケット", "ﾌﾞﾗｹｯﾄ",         "シャフト①", "髙さ調整板",
                               "6\" ﾊﾟｲﾌﾟ",  "ボルト M6,L=20", ""};
    QList<QStringList> table;
    table.reserve(rows);
    const QString remark = QStringLiteral("長い備考").repeated(75);
    for (int i = 0; i < rows; ++i) {
        table.append(
            {QStringLiteral("A-%1-%2").arg(random.bounded(5000)).arg(i),
             names.at(random.bounded(int(names.size()))), QStringLiteral("SS400"),
             i % 2 ? QStringLiteral("三価ｸﾛﾒｰﾄ") : QString(),
             QString::number(random.bounded(1, 50)),
             i % 10 == 0 ? remark : (i % 4 == 0 ? QStringLiteral("～ 改訂Ｂ －") : QString())});
    }
    return table;
}

// tavo-extract --list L -o O DRAWING against sort -t, -k1,1 L -o S.
void batchAgainstSort(const QString &directory)
{
    const QString list = directory + "/big.txt";
    const QByteArray bytes = PartsListWriter::encode(bigList(100000)).bytes;
    if (!PartsListFile::write(list, bytes).isEmpty()) {
        return;
    }
    const QString drawing = QStringLiteral(TAVO_EXAMPLES "/A-2.mi");
    const QString positions =
        QStringLiteral("360,22.5,300,32.5,250,32.5,250,22.5,395,32.5,300,12.5");
    const QString program = QCoreApplication::applicationDirPath() + "/../bin/tavo-extract";

    // The same steps in this process, to tell where the time goes.
    QElapsedTimer timer;
    timer.start();
    PartsListFile::ReadResult read = PartsListFile::read(list);
    const double readTime = milliseconds(timer);
    timer.restart();
    std::array<QString, 12> xy;
    const QStringList values = positions.split(u',');
    std::copy(values.begin(), values.end(), xy.begin());
    DrawingDrop batch(TitleExtractor::Sources{{xy, {}, {}}, false, {}},
                      DrawingDrop::AtFolder::TellAndGoOn);
    batch.cells = std::move(read.cells);
    batch.add(drawing);
    batch.sort();
    const double addTime = milliseconds(timer);
    timer.restart();
    // Encoded and written a slice of rows at a time, as the program does.
    double encodeTime = 0;
    PartsListFile::write(directory + "/steps.txt", [&](const PartsListFile::Put &put) {
        for (qsizetype first = 0; first < batch.rowCount(); first += 4096) {
            QElapsedTimer slice;
            slice.start();
            const QByteArray encoded = PartsListWriter::encode(batch.cells, first, 4096).bytes;
            encodeTime += milliseconds(slice);
            put(encoded);
        }
        return true;
    });
    const double writeTime = milliseconds(timer) - encodeTime;

    // Alternating, so that both meet the same load of a shared machine.
    Run sort;
    Run tavo;
    for (int round = 0; round < 5; ++round) {
        const Run s = bestOf(1, {"/usr/bin/sort", "-t,", "-k1,1", list, "-o", directory + "/s.txt"},
                             directory);
        const Run t = bestOf(
            1, {program, "--xy", positions, "--list", list, "-o", directory + "/o.txt", drawing},
            directory);
        for (auto [best, run] : {std::pair<Run &, const Run &>{sort, s}, {tavo, t}}) {
            if (best.seconds < 0 || run.seconds < best.seconds) {
                best.seconds = run.seconds;
            }
            if (best.cpuSeconds < 0 || run.cpuSeconds < best.cpuSeconds) {
                best.cpuSeconds = run.cpuSeconds;
            }
            best.megabytes = std::max(best.megabytes, run.megabytes);
        }
    }
    const double listMegabytes = double(bytes.size()) / (1024 * 1024);
    std::printf("Batch: list of 100,000 rows, %.1f MB, plus one drawing, sorted by 図番\n",
                listMegabytes);
    std::printf("  in process: read %.0f ms, add and sort %.0f ms, encode %.0f ms, write %.0f ms\n",
                readTime, addTime, encodeTime, writeTime);
    std::printf("  GNU sort:     %.3f s (CPU %.3f s), %.1f MB\n", sort.seconds, sort.cpuSeconds,
                sort.megabytes);
    std::printf("  tavo-extract: %.3f s (CPU %.3f s), %.1f MB\n", tavo.seconds, tavo.cpuSeconds,
                tavo.megabytes);
    std::printf("  time ratio %.2f, CPU time ratio %.2f (goal 1.5); memory %.1f MB against "
                "20 MB + 4 x list = %.1f MB (ratio %.2f)\n",
                tavo.seconds / sort.seconds, tavo.cpuSeconds / sort.cpuSeconds, tavo.megabytes,
                20 + 4 * listMegabytes, tavo.megabytes / (20 + 4 * listMegabytes));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rows = 100000;
    QRandomGenerator random(11);
    const QStringList names = {"ブラケット", "ﾌﾞﾗｹｯﾄ",         "シャフト①", "髙さ調整板",
                               "6\" ﾊﾟｲﾌﾟ",  "ボルト M6,L=20", ""};
    QList<QStringList> table;
    table.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        table.append({QStringLiteral("A-%1-%2").arg(random.bounded(5000)).arg(i),
                      names.at(random.bounded(int(names.size()))), QStringLiteral("SS400"),
                      random.bounded(2) ? QStringLiteral("三価ｸﾛﾒｰﾄ") : QString(),
                      QString::number(random.bounded(1, 50)),
                      random.bounded(4) ? QString() : QStringLiteral("～ 改訂Ｂ －")});
    }

    QTemporaryDir directory;
    const QString path = directory.filePath("bench.txt");

    QElapsedTimer timer;
    timer.start();
    const PartsListWriter::Encoded encoded = PartsListWriter::encode(table);
    const double encodeTime = milliseconds(timer);
    timer.restart();
    const QString error = PartsListFile::write(path, encoded.bytes);
    const double writeTime = milliseconds(timer);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "write failed: %s\n", qPrintable(error));
        return 1;
    }

    timer.restart();
    PartsListFile::ReadResult read = PartsListFile::read(path);
    const double readTime = milliseconds(timer);
    if (!read.ok() || read.rows() != table) {
        std::fprintf(stderr, "read back differs\n");
        return 1;
    }

    timer.restart();
    const PartsListReader::Result parsed = PartsListReader::read(encoded.bytes);
    const double parseTime = milliseconds(timer);

    QList<QStringList> withEuro = table;
    withEuro[rows / 2][5] = QStringLiteral("€");
    timer.restart();
    const PartsListWriter::Encoded replaced = PartsListWriter::encode(withEuro);
    const double unencodableTime = milliseconds(timer);

    // What the window adds: rows into the table, and a save from its cells.
    TableModel model;
    timer.restart();
    model.setDataCells(std::move(read.cells));
    const double fillTime = milliseconds(timer);
    timer.restart();
    const qsizetype tableBytes = PartsListWriter::encode(model.cells(), 1).bytes.size();
    const double copyTime = milliseconds(timer);

    // The worst a table can do to the save: no row the code page can hold.
    QList<QStringList> allBad(rows, QStringList{"😀", "€", "", "", "", ""});
    timer.restart();
    const PartsListWriter::Encoded allReplaced = PartsListWriter::encode(allBad);
    const double allBadTime = milliseconds(timer);

    // Hostile lists: a cell of ten million quotes, and 20 MB of random bytes
    // read as a list and saved again.
    const QList<QStringList> quotes{{QString(10'000'000, u'"'), "", "", "", "", ""}};
    timer.restart();
    const qsizetype quotesBytes = PartsListWriter::encode(quotes).bytes.size();
    const double quotesTime = milliseconds(timer);
    QByteArray noise(20 * 1024 * 1024, '\0');
    QRandomGenerator(1).fillRange(reinterpret_cast<quint32 *>(noise.data()),
                                  noise.size() / qsizetype(sizeof(quint32)));
    timer.restart();
    const PartsListReader::Result noiseRows = PartsListReader::read(noise);
    const double noiseReadTime = milliseconds(timer);
    timer.restart();
    const PartsListWriter::Encoded noiseSaved = PartsListWriter::encode(noiseRows.cells, 0);
    const double noiseSaveTime = milliseconds(timer);

    std::printf("Parts list of %d rows, %lld bytes\n", rows, qlonglong(encoded.bytes.size()));
    std::printf("  save: encode %.1f ms + write %.1f ms = %.1f ms\n", encodeTime, writeTime,
                encodeTime + writeTime);
    std::printf("  open: read file and records %.1f ms (of which decode and parse %.1f ms)\n",
                readTime, parseTime);
    std::printf("  encode with one unencodable character: %.1f ms (%lld row reported)\n",
                unencodableTime, qlonglong(replaced.unencodable.size()));
    std::printf("  table: fill %.1f ms, encode its cells for a save %.1f ms (%lld bytes)\n",
                fillTime, copyTime, qlonglong(tableBytes));
    std::printf("  encode with every row unencodable: %.1f ms (%lld rows reported)\n", allBadTime,
                qlonglong(allReplaced.unencodable.size()));
    std::printf("  encode a cell of 10,000,000 quotes: %.1f ms (%lld bytes)\n", quotesTime,
                qlonglong(quotesBytes));
    std::printf("  20 MB of random bytes: read %.1f ms (%lld records), encode %.1f ms "
                "(%lld rows with replaced characters)\n",
                noiseReadTime, qlonglong(noiseRows.rows().size()), noiseSaveTime,
                qlonglong(noiseSaved.unencodable.size()));
    batchAgainstSort(directory.path());
    std::printf("(%s, %s, Qt %s, %d records parsed)\n", qPrintable(QSysInfo::prettyProductName()),
                qPrintable(QSysInfo::currentCpuArchitecture()), qVersion(),
                int(parsed.rows().size()));
    return 0;
}
