// Extraction throughput: generates a corpus of drawings (about 200 MB in
// many files, and one file of 1 GB) in a temporary folder, extracts the
// title fields from it, and prints MB/s and the peak memory, beside `wc -l`
// on the same files (and the ratio of the two times: the goal is 3 at most).
// On a loaded machine the wall-clock times swing; the CPU times (user + sys)
// of the extraction and of `wc -l` are printed beside them and are steadier.
// Usage: bench_extract [folder-for-the-corpus]
#include "extract/titleextractor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

QByteArray drawingBody(int blocks)
{
    // Typical content: line entities with short number lines, and text blocks.
    QByteArray body = "#~1\r\nENCODING:SJIS\r\n#~71\r\n";
    for (int i = 0; i < blocks; ++i) {
        body += "LIN\r\n1\r\n0\r\n" + QByteArray::number(i % 400) + ".5\r\n12.25\r\n" +
                QByteArray::number(i % 300) + "\r\n0\r\n|~\r\n";
        body += "TEX\r\n4\r\n3\r\n0\r\n1\r\n1\r\n2\r\n4\r\n1\r\n" + QByteArray::number(i % 420) +
                "\r\n25\r\n0\r\n" + QByteArray::number(i % 297) +
                "\r\n12\r\n0\r\n0\r\n1\r\n0\r\n0\r\nhp_i3098_v\r\n0\r\n0\r\n3.5\r\n3.5\r\n0\r\n"
                "1.5\r\n0\r\n1\r\n\x83\x75\x83\x89\x83\x50\x83\x62\x83\x67 A-" +
                QByteArray::number(i) + "\r\n0\r\n|~\r\n";
    }
    return body + "##~~\r\n";
}

long peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// User + system time of this process or of its waited-for children; 0 where unknown.
double cpuSeconds(bool children)
{
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(children ? RUSAGE_CHILDREN : RUSAGE_SELF, &usage);
    auto value = [](const timeval &time) {
        return double(time.tv_sec) + double(time.tv_usec) / 1e6;
    };
    return value(usage.ru_utime) + value(usage.ru_stime);
#else
    Q_UNUSED(children);
    return 0;
#endif
}

struct Times
{
    double wall = 0;
    double cpu = 0;
};

void report(const char *what, qint64 bytes, Times extract, const QStringList &files)
{
    QElapsedTimer timer;
    timer.start();
    const double childrenBefore = cpuSeconds(true);
    QProcess wc;
    wc.start(QStringLiteral("wc"), QStringList{QStringLiteral("-l")} + files);
    wc.waitForFinished(-1);
    const Times wcTimes{seconds(timer), cpuSeconds(true) - childrenBefore};
    std::printf("%-28s %8.1f MB  extract %6.3f s = %7.0f MB/s   wc -l %6.3f s = %7.0f MB/s"
                "   extract = %.1f x wc -l\n",
                what, double(bytes) / 1e6, extract.wall, double(bytes) / 1e6 / extract.wall,
                wcTimes.wall, double(bytes) / 1e6 / wcTimes.wall, extract.wall / wcTimes.wall);
    if (wcTimes.cpu > 0) {
        std::printf("%-28s CPU time: extract %6.3f s, wc -l %6.3f s   extract = %.1f x wc -l\n", "",
                    extract.cpu, wcTimes.cpu, extract.cpu / wcTimes.cpu);
    }
}

template <typename Work> Times measure(const Work &work)
{
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = cpuSeconds(false);
    work();
    return {seconds(timer), cpuSeconds(false) - cpuBefore};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary(argc > 1
                                ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/corpus-XXXXXX")
                                : QDir::tempPath() + QStringLiteral("/tavo-bench-XXXXXX"));
    const QDir dir(temporary.path());
    std::array<QString, 12> positions;
    positions.fill(QStringLiteral("100"));

    // Many files: 2000 drawings of about 100 kB.
    const QByteArray body = drawingBody(400);
    QStringList files;
    qint64 total = 0;
    for (int i = 0; i < 2000; ++i) {
        const QString path = dir.filePath(QStringLiteral("d%1.mi").arg(i));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(body);
        total += body.size();
        files.append(path);
    }
    const TitleExtractor extractor(positions);
    for (int pass = 0; pass < 2; ++pass) { // the first pass warms the page cache
        const Times times = measure([&] {
            for (const QString &path : files) {
                extractor.extractFile(path);
            }
        });
        if (pass == 1) {
            report("2000 files (page cache)", total, times, files);
        }
    }

    // One file of 1 GB.
    const QString big = dir.filePath(QStringLiteral("big.mi"));
    {
        QFile file(big);
        file.open(QIODevice::WriteOnly);
        const QByteArray piece = drawingBody(4000);
        qint64 written = 0;
        while (written < 1000LL * 1000 * 1000) {
            file.write(piece);
            written += piece.size();
        }
    }
    const qint64 bigSize = QFileInfo(big).size();
    extractor.extractFile(big);
    report("one 1 GB file (page cache)", bigSize, measure([&] { extractor.extractFile(big); }),
           {big});
    std::printf("peak memory (VmHWM): %ld KiB\n", peakMemoryKiB());
    return 0;
}
