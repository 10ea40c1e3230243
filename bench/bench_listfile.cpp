// Prints how long saving and opening a parts list of 100,000 rows take:
// table rows to bytes, bytes to disk, disk back to rows, and a save of the
// same table with one character the code page lacks.
#include "listfile/partslistfile.h"
#include "listfile/partslistreader.h"
#include "listfile/partslistwriter.h"
#include "shell/tablemodel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
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
    const PartsListFile::ReadResult read = PartsListFile::read(path);
    const double readTime = milliseconds(timer);
    if (!read.ok() || read.rows != table) {
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

    // What the window adds: rows into the table and back out for a save.
    TableModel model;
    timer.restart();
    model.setDataRows(read.rows);
    const double fillTime = milliseconds(timer);
    timer.restart();
    QList<QStringList> copied;
    copied.reserve(rows);
    for (qsizetype row = 1; row < model.Rows(); ++row) {
        copied.append(model.rowTexts(row));
    }
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
    const PartsListWriter::Encoded noiseSaved = PartsListWriter::encode(noiseRows.rows);
    const double noiseSaveTime = milliseconds(timer);

    std::printf("Parts list of %d rows, %lld bytes\n", rows, qlonglong(encoded.bytes.size()));
    std::printf("  save: encode %.1f ms + write %.1f ms = %.1f ms\n", encodeTime, writeTime,
                encodeTime + writeTime);
    std::printf("  open: read file and records %.1f ms (of which decode and parse %.1f ms)\n",
                readTime, parseTime);
    std::printf("  encode with one unencodable character: %.1f ms (%lld row reported)\n",
                unencodableTime, qlonglong(replaced.unencodable.size()));
    std::printf("  table: fill %.1f ms, rows out for a save %.1f ms\n", fillTime, copyTime);
    std::printf("  encode with every row unencodable: %.1f ms (%lld rows reported)\n", allBadTime,
                qlonglong(allReplaced.unencodable.size()));
    std::printf("  encode a cell of 10,000,000 quotes: %.1f ms (%lld bytes)\n", quotesTime,
                qlonglong(quotesBytes));
    std::printf("  20 MB of random bytes: read %.1f ms (%lld records), encode %.1f ms "
                "(%lld rows with replaced characters)\n",
                noiseReadTime, qlonglong(noiseRows.rows.size()), noiseSaveTime,
                qlonglong(noiseSaved.unencodable.size()));
    std::printf("(%s, %s, Qt %s, %d records parsed)\n", qPrintable(QSysInfo::prettyProductName()),
                qPrintable(QSysInfo::currentCpuArchitecture()), qVersion(),
                int(parsed.rows.size()));
    return 0;
}
