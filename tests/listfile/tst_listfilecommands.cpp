#include "app/subsystems.h"
#include "listfile/listfilecommands.h"
#include "settings/positionsettings.h"
#include "shell/mainwindow.h"
#include "shell/tablemodel.h"
#include "support/memorystore.h"
#include "support/rows.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Rows = QList<QStringList>;
Q_DECLARE_METATYPE(Rows)
Q_DECLARE_METATYPE(Dialogs::Answer)

// Save and Open as the user meets them: through the File menu's actions,
// with the dialogs answered by the test.
class TestListFileCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void saveWritesTheTable();
    void saveCommitsTheOpenEditFirst();
    void dialogsAskForTextFiles_data();
    void dialogsAskForTextFiles();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void nameIsRememberedAcrossDialogs();
    void unencodableCharactersAreAsked_data();
    void unencodableCharactersAreAsked();
    void failedSaveTellsWhyAndKeepsTheOldFile();
    void openReplacesTheTable();
    void saveOverwritesTheCurrentList_data();
    void saveOverwritesTheCurrentList();
    void recentLists();
    void openEmptyFileGivesEmptyTable();
    void openTruncatedFileLoadsAndWarns();
    void openFailureLeavesTheTable_data();
    void openFailureLeavesTheTable();

private:
    void fillTable(const Rows &rows);
    Rows tableRows() const;
    QByteArray contents(const QString &path) const;

    MemoryStore m_store;
    std::unique_ptr<PositionSettings> m_positions;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<Subsystems> m_subsystems;
    std::unique_ptr<QTemporaryDir> m_directory;
};

namespace {

const Rows sample = {{"A-100", "ブラケット", "SS400", "", "2", ""},
                     {"A-101", "6\" pipe", "M6,L=20", "a\r\nb", "", "①髙～－￢"}};

const QByteArray sampleBytes =
    "\"A-100\",\"\x83\x75\x83\x89\x83\x50\x83\x62\x83\x67\",\"SS400\",\"\","
    "\"2\",\"\"\r\n"
    "\"A-101\",\"6\"\" pipe\",\"M6,L=20\",\"a\r\nb\",\"\","
    "\"\x87\x40\xfb\xfc\x81\x60\x81\x7c\x81\xca\"\r\n";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

void TestListFileCommands::init()
{
    m_dialogs = ScriptedDialogs();
    m_positions = std::make_unique<PositionSettings>(m_store);
    m_window = std::make_unique<MainWindow>(m_dialogs, *m_positions);
    m_subsystems = std::make_unique<Subsystems>(*m_window, m_store);
    m_directory = std::make_unique<QTemporaryDir>();
}

void TestListFileCommands::cleanup()
{
    m_window.reset();
    m_positions.reset();
    m_directory.reset();
}

void TestListFileCommands::fillTable(const Rows &rows)
{
    setDataRows(m_window->table(), rows);
}

Rows TestListFileCommands::tableRows() const
{
    Rows rows;
    for (qsizetype row = 1; row < m_window->table().Rows(); ++row) {
        rows.append(m_window->table().rowTexts(row));
    }
    return rows;
}

QByteArray TestListFileCommands::contents(const QString &path) const
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void TestListFileCommands::saveWritesTheTable()
{
    fillTable(sample);
    const QString path = m_directory->filePath("部品表.txt");
    m_dialogs.fileNames = {path};
    m_window->StatubarMessg(7);
    m_window->menuActions().save->trigger();
    QCOMPARE(m_dialogs.kinds(), QStringList{"save"});
    QCOMPARE(contents(path).toHex(' '), sampleBytes.toHex(' '));
    QCOMPARE(m_window->statusMessage(), QString(" 7 個のﾃﾞｰﾀを取得"));
    QCOMPARE(tableRows(), sample);
}

void TestListFileCommands::saveCommitsTheOpenEditFirst()
{
    fillTable({{"A-100", "", "", "", "", ""}});
    QStringList order;
    m_window->setCommitOpenEdit([this, &order] {
        order.append("commit");
        m_window->table().setText(1, 1, "typed");
    });
    const QString path = m_directory->filePath("list.txt");
    m_dialogs.fileNames = {path};
    m_window->menuActions().save->trigger();
    order.append(m_dialogs.kinds());
    QCOMPARE(order, (QStringList{"commit", "save"}));
    QCOMPARE(contents(path), QByteArray("\"A-100\",\"typed\",\"\",\"\",\"\",\"\"\r\n"));
}

void TestListFileCommands::dialogsAskForTextFiles_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("save dialog") << true;
    QTest::newRow("open dialog") << false;
}

void TestListFileCommands::dialogsAskForTextFiles()
{
    QFETCH(bool, save);
    (save ? m_window->menuActions().save : m_window->menuActions().open)->trigger();
    QCOMPARE(m_dialogs.kinds(), QStringList{save ? "save" : "open"});
    const Dialogs::FileRequest request = m_dialogs.requests.first();
    QCOMPARE(request.filters, (QStringList{"すべてのファイル (*.*)", "テキスト ファイル (*.txt)"}));
    QCOMPARE(request.selectedFilter, 1);
    QCOMPARE(request.startName, QString());
    if (save) {
        QVERIFY(request.confirmOverwrite);
    }
}

void TestListFileCommands::cancelChangesNothing_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("cancel save") << true;
    QTest::newRow("cancel open") << false;
}

void TestListFileCommands::cancelChangesNothing()
{
    QFETCH(bool, save);
    fillTable(sample);
    m_window->StatubarMessg(2);
    const QString path = m_directory->filePath("list.txt");
    QVERIFY(writeFile(path, "old"));
    (save ? m_window->menuActions().save : m_window->menuActions().open)->trigger();
    QCOMPARE(m_dialogs.kinds(), QStringList{save ? "save" : "open"});
    QCOMPARE(tableRows(), sample);
    QCOMPARE(m_window->statusMessage(), QString(" 2 個のﾃﾞｰﾀを取得"));
    QCOMPARE(contents(path), QByteArray("old"));
    QCOMPARE(QDir(m_directory->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"list.txt"});
    // A cancelled dialog chose no name to remember.
    m_window->menuActions().open->trigger();
    QCOMPARE(m_dialogs.requests.last().startName, QString());
}

void TestListFileCommands::nameIsRememberedAcrossDialogs()
{
    fillTable(sample);
    const QString first = m_directory->filePath("first.txt");
    const QString second = m_directory->filePath("second.txt");
    m_dialogs.fileNames = {first};
    m_window->menuActions().save->trigger();
    m_window->menuActions().open->trigger(); // cancelled
    m_dialogs.fileNames = {second};
    m_window->menuActions().open->trigger();   // no such file: fails, the name still counts
    m_window->menuActions().saveAs->trigger(); // cancelled
    QStringList startNames;
    for (const Dialogs::FileRequest &request : std::as_const(m_dialogs.requests)) {
        startNames.append(request.startName);
    }
    QCOMPARE(startNames, (QStringList{QString(), first, first, second}));
}

void TestListFileCommands::unencodableCharactersAreAsked_data()
{
    QTest::addColumn<Dialogs::Answer>("answer");
    QTest::addColumn<QByteArray>("written");
    const QByteArray old = "\"OLD\",\"\",\"\",\"\",\"\",\"\"\r\n";
    QTest::newRow("yes saves with question marks")
        << Dialogs::Answer::Yes
        << QByteArray("\"A\",\"\",\"\",\"\",\"\",\"\"\r\n\"B?\",\"\",\"\",\"\",\"\",\"?\"\r\n");
    QTest::newRow("no saves nothing") << Dialogs::Answer::No << old;
}

void TestListFileCommands::unencodableCharactersAreAsked()
{
    QFETCH(Dialogs::Answer, answer);
    QFETCH(QByteArray, written);
    fillTable({{"A", "", "", "", "", ""}, {"B€", "", "", "", "", "😀"}});
    const QString path = m_directory->filePath("list.txt");
    QVERIFY(writeFile(path, "\"OLD\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    m_dialogs.fileNames = {path};
    m_dialogs.answers = {answer};
    m_window->menuActions().save->trigger();
    QCOMPARE(m_dialogs.kinds(), (QStringList{"save", "question"}));
    const QString question = m_dialogs.shown.at(1).text;
    QVERIFY2(question.contains("2 行目（€😀）"), qPrintable(question));
    QVERIFY2(!question.contains("1 行目"), qPrintable(question));
    QCOMPARE(contents(path), written);
    // The table itself keeps the characters.
    QCOMPARE(m_window->table().text(2, 0), QString("B€"));
}

void TestListFileCommands::failedSaveTellsWhyAndKeepsTheOldFile()
{
    fillTable(sample);
    const QString path = m_directory->filePath("list.txt");
    QVERIFY(QDir(m_directory->path()).mkdir("list.txt"));
    m_dialogs.fileNames = {path};
    m_window->menuActions().save->trigger();
    QCOMPARE(m_dialogs.kinds(), (QStringList{"save", "warning"}));
    const QString warning = m_dialogs.shown.at(1).text;
    QVERIFY2(warning.contains("保存できませんでした"), qPrintable(warning));
    QVERIFY2(warning.contains(QDir::toNativeSeparators(path)), qPrintable(warning));
    QVERIFY2(warning.contains("理由"), qPrintable(warning));
    QVERIFY(QFileInfo(path).isDir());
}

void TestListFileCommands::openReplacesTheTable()
{
    fillTable({{"X", "", "", "", "", ""}, {"Y", "", "", "", "", ""}, {"Z", "", "", "", "", ""}});
    const QString path = m_directory->filePath("list.txt");
    QVERIFY(writeFile(path, sampleBytes));
    m_dialogs.fileNames = {path};
    m_window->menuActions().open->trigger();
    QCOMPARE(m_dialogs.kinds(), QStringList{"open"});
    QCOMPARE(tableRows(), sample);
    QCOMPARE(m_window->table().Rows(), qsizetype(3));
    QCOMPARE(m_window->grid()->model()->rowCount(), 2);
    QCOMPARE(m_window->table().text(0, 0), QString("図番"));
    QCOMPARE(m_window->table().text(0, 5), QString("備考"));
    QCOMPARE(m_window->statusMessage(), QString(" 2 個のﾃﾞｰﾀを取得"));

    // Saved again, the same bytes.
    const QString again = m_directory->filePath("again.txt");
    m_dialogs.fileNames = {again};
    m_window->menuActions().saveAs->trigger();
    QCOMPARE(contents(again), sampleBytes);
}

void TestListFileCommands::saveOverwritesTheCurrentList_data()
{
    QTest::addColumn<QString>("before"); // how the table got its list, if at all
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QString>("writtenTo");
    QTest::newRow("opened list, save: no question") << "open"
                                                    << "save" << QStringList{} << "list.txt";
    QTest::newRow("saved list, save: no question") << "saveAs"
                                                   << "save" << QStringList{} << "list.txt";
    QTest::newRow("new table, save asks for a name")
        << ""
        << "save" << QStringList{"save"} << "chosen.txt";
    QTest::newRow("opened list, save as asks") << "open"
                                               << "saveAs" << QStringList{"save"} << "chosen.txt";
    QTest::newRow("ctrl+S on an opened list") << "open"
                                              << "ctrl+S" << QStringList{} << "list.txt";
    QTest::newRow("ctrl+shift+S asks") << "open"
                                       << "ctrl+shift+S" << QStringList{"save"} << "chosen.txt";
}

void TestListFileCommands::saveOverwritesTheCurrentList()
{
    QFETCH(QString, before);
    QFETCH(QString, command);
    QFETCH(QStringList, asked);
    QFETCH(QString, writtenTo);
    const QString list = m_directory->filePath("list.txt");
    const QString chosen = m_directory->filePath("chosen.txt");
    QVERIFY(writeFile(list, sampleBytes));
    if (before == "open") {
        m_dialogs.fileNames = {list};
        m_window->menuActions().open->trigger();
    } else {
        fillTable(sample);
        if (before == "saveAs") {
            m_dialogs.fileNames = {list};
            m_window->menuActions().saveAs->trigger();
        }
    }
    m_window->table().setText(1, 0, "ｱｰ１２");
    m_dialogs = ScriptedDialogs();
    m_dialogs.fileNames = {chosen};
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    if (command == "save") {
        m_window->menuActions().save->trigger();
    } else if (command == "saveAs") {
        m_window->menuActions().saveAs->trigger();
    } else {
        const auto modifiers =
            command == "ctrl+S" ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier;
        QTest::keyClick(m_window.get(), Qt::Key_S, modifiers);
    }
    QCOMPARE(m_dialogs.kinds(), asked);
    const QString written = m_directory->filePath(writtenTo);
    QVERIFY(contents(written).startsWith("\"\xb1\xb0\x82\x50\x82\x51\","));
    QCOMPARE(m_window->currentFile(), written);
    QCOMPARE(m_window->windowTitle(), writtenTo + "[*] - Tavo表題");
}

void TestListFileCommands::recentLists()
{
    // Six lists opened or saved in turn: the last five, newest first, once each.
    QStringList paths;
    for (int i = 1; i <= 6; ++i) {
        paths.append(m_directory->filePath(QStringLiteral("部品表%1.txt").arg(i)));
        QVERIFY(writeFile(paths.last(), "\"P\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        m_dialogs.fileNames = {paths.last()};
        (i % 2 ? m_window->menuActions().open : m_window->menuActions().saveAs)->trigger();
    }
    m_dialogs.fileNames = {paths[3]};
    m_window->menuActions().open->trigger();
    const QStringList expected = {paths[3], paths[5], paths[4], paths[2], paths[1]};
    QCOMPARE(m_subsystems->listFiles->recentFiles(), expected);
    const QList<QAction *> entries = m_window->menuActions().recent->actions();
    QCOMPARE(entries.size(), 5);
    QCOMPARE(entries.first()->text(), "&1 " + QDir::toNativeSeparators(paths[3]));

    // Kept between runs; an entry opens its list.
    m_window->close();
    MainWindow next(m_dialogs, *m_positions);
    Subsystems nextSubsystems(next, m_store);
    QCOMPARE(nextSubsystems.listFiles->recentFiles(), expected);
    m_dialogs = ScriptedDialogs();
    next.menuActions().recent->actions().at(2)->trigger();
    QCOMPARE(m_dialogs.kinds(), QStringList{});
    QCOMPARE(next.currentFile(), paths[4]);
}

void TestListFileCommands::openEmptyFileGivesEmptyTable()
{
    fillTable(sample);
    const QString path = m_directory->filePath("empty.txt");
    QVERIFY(writeFile(path, QByteArray()));
    m_dialogs.fileNames = {path};
    m_window->menuActions().open->trigger();
    QCOMPARE(m_dialogs.kinds(), QStringList{"open"});
    QCOMPARE(m_window->table().Rows(), qsizetype(1));
    QCOMPARE(m_window->table().text(0, 1), QString("品名"));
    QCOMPARE(m_window->statusMessage(), QString(" 0 個のﾃﾞｰﾀを取得"));
}

void TestListFileCommands::openTruncatedFileLoadsAndWarns()
{
    const QString path = m_directory->filePath("cut.txt");
    QVERIFY(writeFile(path, "\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n\"a\",\"b\"\r\n\"c\""));
    m_dialogs.fileNames = {path};
    m_window->menuActions().open->trigger();
    QCOMPARE(tableRows(), (Rows{{"1", "2", "3", "4", "5", "6"}, {"a", "b", "c", "", "", ""}}));
    QCOMPARE(m_window->statusMessage(), QString(" 2 個のﾃﾞｰﾀを取得"));
    QCOMPARE(m_dialogs.kinds(), (QStringList{"open", "warning"}));
    const QString warning = m_dialogs.shown.at(1).text;
    QVERIFY2(warning.contains(QDir::toNativeSeparators(path)), qPrintable(warning));
    QVERIFY2(warning.contains("表の 2 行目") && warning.contains("3 項目") &&
                 warning.contains("ファイルは 3 行目で終わっています"),
             qPrintable(warning));
}

void TestListFileCommands::openFailureLeavesTheTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << "missing.txt"
                                  << "ありません";
    QTest::newRow("a folder") << "folder"
                              << "フォルダー";
}

void TestListFileCommands::openFailureLeavesTheTable()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QVERIFY(QDir(m_directory->path()).mkdir("folder"));
    fillTable(sample);
    m_window->StatubarMessg(2);
    const QString path = m_directory->filePath(name);
    m_dialogs.fileNames = {path};
    m_window->menuActions().open->trigger();
    QCOMPARE(m_dialogs.kinds(), (QStringList{"open", "warning"}));
    const QString warning = m_dialogs.shown.at(1).text;
    QVERIFY2(warning.contains("読み込めませんでした") && warning.contains(reason) &&
                 warning.contains(QDir::toNativeSeparators(path)),
             qPrintable(warning));
    QCOMPARE(tableRows(), sample);
    QCOMPARE(m_window->statusMessage(), QString(" 2 個のﾃﾞｰﾀを取得"));
}

QTEST_MAIN(TestListFileCommands)
#include "tst_listfilecommands.moc"
