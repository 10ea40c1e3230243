#include "app/batchrun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestBatchRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void misuse_data();
    void misuse();
    void targetsThatWouldDestroyAnInput_data();
    void targetsThatWouldDestroyAnInput();
    void positionsGiven_data();
    void positionsGiven();
    void keptListIsNeverWrittenOverInPart_data();
    void keptListIsNeverWrittenOverInPart();
    void oldListIsWrittenBackInTodaysForm();
#ifdef Q_OS_UNIX
    void storedPositions_data();
    void storedPositions();
#endif

private:
    // Runs with `options`, every message line kept in `m_told`.
    int run(BatchRun::Options options, bool readOnlyNames = false)
    {
        m_told.clear();
        BatchRun::Process process;
        process.tell = [this](const QString &text) { m_told.append(text); };
        if (readOnlyNames) {
            process.readOnly = [](const QString &) { return true; };
        }
        return BatchRun(std::move(options), process).run();
    }
    // The example drawing onto the kept list, with the example positions.
    BatchRun::Options ontoList(const QString &output) const
    {
        BatchRun::Options options;
        options.drawings = {drawing};
        options.xy = {examplePositions()};
        options.hasXy = true;
        options.hasList = true;
        options.list = list;
        options.output = output;
        return options;
    }
    static QString examplePositions()
    {
        QFile file(QStringLiteral(TAVO_EXAMPLES "/positions.txt"));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll()).trimmed();
    }
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
    QString drawing; // a copy of an example, in `dir`
    QString list;    // a kept list of one row, in `dir`
    QStringList m_told;
    const QByteArray kept = "\"Z-9\",\"\",\"\",\"\",\"1\",\"\"\r\n";
};

void TestBatchRun::init()
{
    QDir(dir.path()).removeRecursively();
    QVERIFY(QDir().mkpath(dir.path()));
    drawing = dir.filePath("A-2.mi");
    list = dir.filePath("部品表.txt");
    QVERIFY(QFile::copy(QStringLiteral(TAVO_EXAMPLES "/A-2.mi"), drawing));
    write(list, kept);
}

void TestBatchRun::misuse_data()
{
    QTest::addColumn<QStringList>("drawings");
    QTest::addColumn<int>("xyCount");
    QTest::addColumn<bool>("hasList");
    QTest::addColumn<bool>("texts");
    QTest::addColumn<QString>("misuse");
    QTest::newRow("drawings") << QStringList{"a.mi"} << 3 << false << false << "";
    QTest::newRow("only a list") << QStringList{} << 0 << true << false << "";
    QTest::newRow("nothing to read") << QStringList{} << 1 << false << false << "図面ファイルを";
    QTest::newRow("four sets") << QStringList{"a.mi"} << 4 << false << false << "3 回";
    QTest::newRow("--texts of two")
        << QStringList{"a.mi", "b.mi"} << 0 << false << true << "1 つだけ";
}

void TestBatchRun::misuse()
{
    QFETCH(QStringList, drawings);
    QFETCH(int, xyCount);
    QFETCH(bool, hasList);
    QFETCH(bool, texts);
    QFETCH(QString, misuse);
    BatchRun::Options options;
    options.drawings = drawings;
    options.xy = QStringList(xyCount, examplePositions());
    options.hasList = hasList;
    options.texts = texts;
    const QString said = BatchRun::misuse(options);
    QCOMPARE(said.isEmpty(), misuse.isEmpty());
    QVERIFY2(said.contains(misuse), qPrintable(said));
}

void TestBatchRun::targetsThatWouldDestroyAnInput_data()
{
    // $DRAWING, $LIST and $DIR as in init().
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<bool>("readOnlyNames");
    QTest::addColumn<QString>("told");
    QTest::newRow("-o naming a drawing being read")
        << "$DRAWING"
        << "" << false << "-o $DRAWING: 読み込む図面と同じ";
    QTest::newRow("--pdf naming a drawing being read")
        << "$DIR/out.txt"
        << "$DRAWING" << false << "--pdf $DRAWING: 読み込む図面と同じ";
    QTest::newRow("--pdf naming the list written") << "$DIR/out.txt"
                                                   << "$DIR/out.txt" << false << "部品表と同じ";
    QTest::newRow("--pdf naming the kept list") << "$DIR/out.txt"
                                                << "$LIST" << false << "部品表と同じ";
    QTest::newRow("-o by a name that cannot be written")
        << "$DIR/out.txt"
        << "" << true << "UTF-8 でないファイルには書き出せません";
}

void TestBatchRun::targetsThatWouldDestroyAnInput()
{
    QFETCH(QString, output);
    QFETCH(QString, pdf);
    QFETCH(bool, readOnlyNames);
    QFETCH(QString, told);
    for (QString *text : {&output, &pdf, &told}) {
        text->replace("$DRAWING", drawing).replace("$LIST", list).replace("$DIR", dir.path());
    }
    BatchRun::Options options = ontoList(output);
    options.pdf = pdf;
    const qint64 drawingSize = QFileInfo(drawing).size();
    QCOMPARE(run(options, readOnlyNames), int(BatchRun::UsageError));
    QCOMPARE(m_told.size(), 1);
    QVERIFY2(m_told.first().contains(told), qPrintable(m_told.first()));
    QCOMPARE(QFileInfo(drawing).size(), drawingSize);
    QCOMPARE(contents(list), kept);
    QVERIFY(!QFile::exists(dir.filePath("out.txt")));
}

void TestBatchRun::positionsGiven_data()
{
    QTest::addColumn<QString>("xy");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("told"); // the first line
    QTest::newRow("the examples' positions") << examplePositions() << 0 << "";
    QTest::newRow("too few") << "1,2,3" << 2 << "12 個の数値";
    QTest::newRow("a typo is named")
        << "360,22..5,300,32.5,250,32.5,250,22.5,395,32.5,300,12.5" << 2
        << "--xy の 2 番目（図番 の Y）が数値ではありません: 「22..5」";
    QTest::newRow("full-width digits are numbers")
        << "３６０,22.5,300,32.5,250,32.5,250,22.5,395,32.5,300,12.5" << 0 << "";
}

void TestBatchRun::positionsGiven()
{
    QFETCH(QString, xy);
    QFETCH(int, exitCode);
    QFETCH(QString, told);
    BatchRun::Options options;
    options.drawings = {drawing};
    options.xy = {xy};
    options.hasXy = true;
    options.output = dir.filePath("out.txt");
    QCOMPARE(run(options), exitCode);
    QCOMPARE(m_told.isEmpty(), told.isEmpty());
    if (!told.isEmpty()) {
        QVERIFY2(m_told.first().contains(told), qPrintable(m_told.first()));
    }
    // Nothing is written on a usage error.
    QCOMPARE(QFile::exists(options.output), exitCode == 0);
}

void TestBatchRun::keptListIsNeverWrittenOverInPart_data()
{
    QTest::addColumn<QByteArray>("added"); // after the list's one row
    QTest::addColumn<bool>("ontoItself");
    QTest::addColumn<QString>("told");
    QTest::newRow("ending short") << QByteArray("\"Z-10\",\"\",\"\"\r\n") << true
                                  << "上書きしません";
    QTest::newRow("bytes that are no character")
        << QByteArray("\"Z-10\",\"\x85\x40\",\"\",\"\",\"\",\"\"\r\n") << true << "上書きしません";
    QTest::newRow("in UTF-8 with a character code page 932 lacks")
        << QStringLiteral("\"Z-10\",\"€\",\"\",\"\",\"\",\"\"\r\n").toUtf8() << true
        << "上書きしません";
    QTest::newRow("ending short, written elsewhere")
        << QByteArray("\"Z-10\",\"\",\"\"\r\n") << false << "6 項目のうち";
}

void TestBatchRun::keptListIsNeverWrittenOverInPart()
{
    QFETCH(QByteArray, added);
    QFETCH(bool, ontoItself);
    QFETCH(QString, told);
    const QByteArray before =
        (added.startsWith("\"Z-10\",\"\xE2") ? "\xEF\xBB\xBF" : "") + kept + added;
    write(list, before);
    BatchRun::Options options = ontoList(ontoItself ? list : dir.filePath("out.txt"));
    QCOMPARE(run(options), int(BatchRun::Failure));
    QVERIFY2(m_told.join('\n').contains(told), qPrintable(m_told.join('\n')));
    QCOMPARE(contents(list), before);
    // Elsewhere, what could be read is written, and the exit status tells the loss.
    QCOMPARE(QFile::exists(dir.filePath("out.txt")), !ontoItself);
}

void TestBatchRun::oldListIsWrittenBackInTodaysForm()
{
    // An inch mark as the old tool wrote it: a lone quote inside the cell.
    write(list, "\"Z-1\",\"\xC6\xAF\xCC\xDF\xD9 3/4\"\" ,\"\",\"\",\"1\",\"\"\r\n"
                "\"Z-2\",\"\",\"\",\"\",\"2\",\"\"\r\n");
    BatchRun::Options options = ontoList(list);
    QCOMPARE(run(options), int(BatchRun::Success));
    QVERIFY2(m_told.join('\n').contains("古い形式として読みました"), qPrintable(m_told.join('\n')));
    const QByteArray written = contents(list);
    QVERIFY2(written.startsWith("\"A-2\",") &&
                 written.contains("\"\xC6\xAF\xCC\xDF\xD9 3/4\"\"\",\"\",") &&
                 written.endsWith("\"Z-2\",\"\",\"\",\"\",\"2\",\"\"\r\n"),
             written.constData());
}

#ifdef Q_OS_UNIX
void TestBatchRun::storedPositions_data()
{
    QTest::addColumn<QByteArray>("stored"); // the settings file; empty: none
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("told");
    QTest::newRow("none stored and no --xy") << QByteArray() << 2 << "--xy で指定してください";
    QTest::newRow("a garbled value is named, its field left out")
        << QByteArray("[XYIni]\nKey1=360\nKey2=22.5\nKey3=3O0\nKey4=32.5\n") << 0
        << "設定の 品名 の X（Key3）が数値ではありません: 「3O0」";
}

void TestBatchRun::storedPositions()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, exitCode);
    QFETCH(QString, told);
    const QString settings = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Radoverurid.ini";
    QFile::remove(settings);
    if (!stored.isEmpty()) {
        write(settings, stored);
    }
    BatchRun::Options options;
    options.drawings = {drawing};
    options.hasList = true;
    options.list = list;
    options.output = list;
    QCOMPARE(run(options), exitCode);
    QFile::remove(settings);
    QCOMPARE(m_told.size(), 1);
    QVERIFY2(m_told.first().contains(told), qPrintable(m_told.first()));
    QCOMPARE(contents(list).endsWith(kept), true);
    QCOMPARE(contents(list) == kept, exitCode != 0);
}
#endif

QTEST_GUILESS_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
