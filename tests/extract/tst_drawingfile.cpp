#include "drawingbuilder.h"
#include "extract/drawingfile.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

#include <algorithm>
#include <cstring>

using namespace DrawingBuilder;

class TestDrawingFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compressed_data();
    void compressed();
    void recordFields_data();
    void recordFields();
    void failedReadGivesNothing_data();
    void failedReadGivesNothing();

private:
    static QByteArray gzip(const QByteArray &bytes)
    {
        z_stream stream{};
        deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, MAX_WBITS + 16, 9,
                     Z_DEFAULT_STRATEGY);
        QByteArray out(qsizetype(deflateBound(&stream, uLong(bytes.size()))), Qt::Uninitialized);
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
        stream.avail_in = uInt(bytes.size());
        stream.next_out = reinterpret_cast<Bytef *>(out.data());
        stream.avail_out = uInt(out.size());
        deflate(&stream, Z_FINISH);
        out.resize(qsizetype(stream.total_out));
        deflateEnd(&stream);
        return out;
    }
};

void TestDrawingFile::compressed_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("texts"); // texts reported, in order
    QTest::addColumn<QString>("error");     // part of the error; empty: none

    const QByteArray drawing = "#~1\r\nENCODING:UTF-8\r\n" +
                               textRecord(Layout::Newer, "10", "20", {"図番"}) +
                               textRecord(Layout::Older, "30", "40", {"A", "B"});
    const QByteArray packed = gzip(drawing);
    const int read = int(DrawingFile::Outcome::Read);
    const int unreadable = int(DrawingFile::Outcome::Unreadable);
    QTest::newRow("gzip") << packed << read << QStringList{"図番", "A B"} << "";
    QTest::newRow("two gzip members") << packed + gzip("\r\n" + drawing) << read
                                      << QStringList{"図番", "A B", "図番", "A B"} << "";
    QTest::newRow("truncated") << packed.chopped(12) << unreadable << QStringList() << "壊れて";
    QByteArray flipped = packed;
    flipped[20] = char(flipped[20] ^ 0x55);
    QTest::newRow("corrupt") << flipped << unreadable << QStringList() << "壊れて";
    QTest::newRow("garbage after the stream")
        << packed + "xyz" << unreadable << QStringList() << "壊れて";
    QTest::newRow("only the magic bytes")
        << QByteArray("\x1f\x8b\x08") << unreadable << QStringList() << "壊れて";
    // The limit in this test is 1 MiB.
    QTest::newRow("expands past the limit") << gzip(drawing + QByteArray(2 << 20, '\n') + drawing)
                                            << unreadable << QStringList() << "大きすぎ";
    QTest::newRow("zero padding after the stream")
        << packed + QByteArray(600, '\0') << read << QStringList{"図番", "A B"} << "";
    QTest::newRow("garbage after zero padding")
        << packed + QByteArray(8, '\0') + "x" << unreadable << QStringList() << "壊れて";
    QTest::newRow("plain file starting like gzip")
        << QByteArray("\x1f\x8b\r\n") + textRecord(Layout::Older, "1", "2", {"A"}) << read
        << QStringList{"A"} << "";
}

void TestDrawingFile::compressed()
{
    QFETCH(QByteArray, file);
    QFETCH(int, outcome);
    QFETCH(QStringList, texts);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath("drawing.bi");
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();
    DrawingFile drawing(1 << 20);
    DrawingScanner scanner;
    QStringList seen;
    const DrawingFile::Outcome result =
        drawing.scanFile(path, scanner, [&](const DrawingScanner::Block &block) {
            seen.append(scanner.decodeText(block.textLine));
        });
    QCOMPARE(int(result), outcome);
    QVERIFY2(drawing.errorString().contains(error) &&
                 error.isEmpty() == drawing.errorString().isEmpty(),
             qPrintable(drawing.errorString()));
    if (result == DrawingFile::Outcome::Read) {
        QCOMPARE(seen, texts);
    }
}

void TestDrawingFile::recordFields_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArrayList>("fields"); // X, Y, text, height
    QTest::addColumn<int>("chunk");             // bytes read at a time

    // Small chunks split the records anywhere, a quoted item and LF ends too.
    for (const int chunk : {int(DrawingScanner::defaultChunkSize), 16, 37}) {
        QTest::addRow("older, chunk %d", chunk)
            << textRecord(Layout::Older, "25", "12.5", {"a", "b"}, 3)
            << QByteArrayList{"25", "12.5", "a b", "5"} << chunk;
        QTest::addRow("newer after a quoted item, LF, chunk %d", chunk)
            << "\"TEX,\n|~\"\n" + textRecord(Layout::Newer, "-1", "2", {"a"}, 0, false, "\n")
            << QByteArrayList{"-1", "2", "a", "5"} << chunk;
        // Fixed lines carry no height.
        QTest::addRow("neither, chunk %d", chunk)
            << textBlock("7", "8", "t") << QByteArrayList{"7", "8", "t", ""} << chunk;
    }
}

void TestDrawingFile::recordFields()
{
    QFETCH(QByteArray, record);
    QFETCH(QByteArrayList, fields);
    QFETCH(int, chunk);
    QBuffer buffer(&record);
    buffer.open(QIODevice::ReadOnly);
    DrawingScanner scanner{std::size_t(chunk)};
    QList<QByteArrayList> seen;
    DrawingFile().scan(buffer, scanner, [&](const DrawingScanner::Block &block) {
        QByteArrayList list;
        for (const std::string_view field :
             {block.xLine, block.yLine, block.textLine, block.heightLine}) {
            list.append(QByteArray(field.data(), qsizetype(field.size())));
        }
        seen.append(list);
    });
    QCOMPARE(seen, QList<QByteArrayList>{fields});
}

namespace {

// A disk that fails once `failAt` bytes were read.
class FailingDevice : public QIODevice
{
public:
    FailingDevice(const QByteArray &bytes, qint64 failAt) : m_bytes(bytes), m_failAt(failAt) {}

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 at = pos();
        if (at >= m_failAt) {
            setErrorString(QStringLiteral("装置の読み取りエラー"));
            return -1;
        }
        const qint64 size = std::min({maxSize, m_failAt - at, m_bytes.size() - at});
        std::memcpy(data, m_bytes.constData() + at, std::size_t(size));
        return size;
    }
    qint64 writeData(const char *, qint64) override { return -1; }
    qint64 size() const override { return m_bytes.size(); }

private:
    QByteArray m_bytes;
    qint64 m_failAt;
};

} // namespace

void TestDrawingFile::failedReadGivesNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("failAt");

    const QByteArray early = textRecord(Layout::Older, "10", "20", {"EARLY"});
    const QByteArray late = textRecord(Layout::Older, "10", "20", {"LATE"});
    QByteArray filler(300 * 1024, '\n');
    QTest::newRow("plain, halfway") << early + filler + late << qint64(early.size() + 1000);
    QTest::newRow("plain, at once") << early + late << qint64(0);
    const QByteArray packed = gzip(early + filler + late);
    QTest::newRow("compressed, at once") << packed << qint64(0);
    QTest::newRow("compressed, halfway") << packed << qint64(packed.size() - 4);
}

// Texts before a failed read may be replaced by later ones: none is used.
void TestDrawingFile::failedReadGivesNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(qint64, failAt);
    FailingDevice device(file, failAt);
    QVERIFY(device.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    DrawingFile drawing;
    DrawingScanner scanner(4096);
    const DrawingFile::Outcome outcome = drawing.scan(device, scanner, [](const auto &) {});
    QCOMPARE(int(outcome), int(DrawingFile::Outcome::Unreadable));
    QCOMPARE(drawing.errorString(),
             QStringLiteral("読み込みの途中で失敗しました。装置の読み取りエラー"));
}

QTEST_GUILESS_MAIN(TestDrawingFile)
#include "tst_drawingfile.moc"
