#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

class TestFuzzReplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replay_data();
    void replay();
};

void TestFuzzReplay::replay_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("empty input") << QString();
    const QStringList folders = QStringLiteral(TAVO_FUZZ_INPUTS).split(QLatin1Char('|'));
    for (const QString &folder : folders) {
        const QDir dir(folder);
        const QStringList names = dir.entryList(QDir::Files, QDir::Name);
        for (const QString &name : names) {
            const QString kind = QFileInfo(dir.absolutePath()).dir().dirName();
            QTest::newRow(qPrintable(kind + QLatin1Char('/') + name)) << dir.filePath(name);
        }
    }
}

void TestFuzzReplay::replay()
{
    QFETCH(QString, path);
    QByteArray input;
    if (!path.isEmpty()) {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
        input = file.readAll();
    }
    // The target aborts on a broken invariant; returning is the pass.
    QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(input.constData()),
                                    std::size_t(input.size())),
             0);
}

QTEST_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
