#include "drawingbuilder.h"
#include "extract/titleextractor.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace DrawingBuilder;

// Files no drawing program writes: each must be read to its end, in bounded
// memory, without a crash, keeping what can be kept.
class TestHostileDrawings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hostileFiles_data();
    void hostileFiles();
    void sparseFourGigabytes();

private:
    QTemporaryDir m_dir;
};

void TestHostileDrawings::hostileFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected"); // 図番 at (10, 20)
    QTest::newRow("100 MB line, then a block") << "hugeline"
                                               << "after";
    QTest::newRow("block of ten million lines") << "longblock"
                                                << "end";
    QTest::newRow("random binary bytes, then a block") << "binary"
                                                       << "";
    QTest::newRow("NUL bytes only") << "nul"
                                    << "";
    QTest::newRow("lone lead bytes before CR LF and at the end") << "leadbytes"
                                                                 << "A\uFFFD";
    QTest::newRow("quote that never closes") << "openquote"
                                             << "";
}

void TestHostileDrawings::hostileFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    // Not "nul.mi": on Windows that names the null device.
    const QString path = m_dir.filePath(kind + "-drawing.mi");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (kind == "hugeline") {
            const QByteArray piece(1 << 20, 'x');
            for (int i = 0; i < 100; ++i) {
                file.write(piece);
            }
            file.write("\r\n" + textBlock("10", "20", "after"));
        } else if (kind == "longblock") {
            file.write("TEX\r\n");
            const QByteArray lines = QByteArray("7\r\n").repeated(100000);
            for (int i = 0; i < 100; ++i) {
                file.write(lines);
            }
            file.write(textBlock("10", "20", "end").mid(5));
        } else if (kind == "binary") {
            QByteArray bytes(4 << 20, Qt::Uninitialized);
            QRandomGenerator random(42);
            random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
            file.write(bytes);
            // The random bytes most likely leave a quote open, which hides the block.
            file.write(textBlock("10", "20", "maybe"));
        } else if (kind == "nul") {
            file.write(QByteArray(3 << 20, '\0'));
        } else if (kind == "leadbytes") {
            file.write("\x81\r\n" + textBlock("10", "20", "A\x82") + "\x82");
        } else if (kind == "openquote") {
            file.write("\"" + textBlock("10", "20", "hidden"));
        }
    }
    const TitleExtractor::Result result =
        TitleExtractor(positionsWithDrawingNumberAt("10", "20")).extractFile(path);
    QVERIFY(result.readable);
    if (kind == "binary") {
        return; // whatever it found, it came back
    }
    QCOMPARE(result.fields[0], expected);
}

void TestHostileDrawings::sparseFourGigabytes()
{
#ifdef TAVO_SANITIZED
    QSKIP("4 GB take too long under the sanitizers; the normal build reads them");
#endif
    const QString path = m_dir.filePath("sparse.mi");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (!file.resize(qint64(4) << 30)) {
        QSKIP("the file system cannot hold a sparse 4 GB file");
    }
    file.seek(file.size());
    file.write("\n" + textBlock("10", "20", "tail"));
    file.close();
    const TitleExtractor::Result result =
        TitleExtractor(positionsWithDrawingNumberAt("10", "20")).extractFile(path);
    QVERIFY(result.readable);
    QCOMPARE(result.fields[0], QString("tail"));
}

QTEST_GUILESS_MAIN(TestHostileDrawings)
#include "tst_hostiledrawings.moc"
