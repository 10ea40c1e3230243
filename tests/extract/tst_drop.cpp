#include "app/subsystems.h"
#include "drawingbuilder.h"
#include "extract/dropcontroller.h"
#include "platform/codepage.h"
#include "settings/positionscommand.h"
#include "settings/positionsettings.h"
#include "settings/positionswindow.h"
#include "shell/mainwindow.h"
#include "shell/tablemodel.h"
#include "support/memorystore.h"
#include "support/rows.h"
#include "support/scripteddialogs.h"
#include "titleblockbuilder.h"

#include <QAction>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace DrawingBuilder;

class TestDrop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dropOnTheTable_data();
    void dropOnTheTable();
    void dropWithoutFilesIsIgnored();
    void directoryEndsTheDrop();
    void namesAsTheFileManagerGivesThem_data();
    void namesAsTheFileManagerGivesThem();
    void unreadableFilesGetNoRowAndAreListed_data();
    void unreadableFilesGetNoRowAndAreListed();
    void fileWithoutTextGetsARowAndANotice();
    void confirmedPositionsAreUsedByTheNextDrop();
    void layoutsOfSeveralSetsInOneDrop();

private:
    struct Fixture
    {
        Fixture()
        {
            store.values.insert("Radoverurid/XYIni/Key1", "10");
            store.values.insert("Radoverurid/XYIni/Key2", "20");
            store.values.insert("Radoverurid/XYIni/Key3", "100");
            store.values.insert("Radoverurid/XYIni/Key4", "20");
            positions.LoadPositionSettings(); // the window loaded the empty store
        }
        QString drawing(const QString &name, const QString &number, const QString &partName)
        {
            const QString path = dir.filePath(name);
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(textBlock("10", "20", CodePage::encode(number).bytes) +
                       textBlock("100", "20", CodePage::encode(partName).bytes));
            return path;
        }
        void drop(const QStringList &paths, bool onTheHeader = false)
        {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString &path : paths) {
                urls.append(QUrl::fromLocalFile(path));
            }
            data.setUrls(urls);
            QWidget *viewport = onTheHeader ? window.grid()->horizontalHeader()->viewport()
                                            : window.grid()->viewport();
            const QPoint at = viewport->rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &enter);
            QVERIFY(enter.isAccepted() == !paths.isEmpty());
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &drop);
        }
        QStringList column(int col) const
        {
            QStringList texts;
            for (qsizetype row = 1; row < window.table().Rows(); ++row) {
                texts.append(window.table().text(row, col));
            }
            return texts;
        }

        QTemporaryDir dir;
        MemoryStore store;
        PositionSettings positions{store};
        ScriptedDialogs dialogs;
        MainWindow window{dialogs, positions};
        Subsystems subsystems{window, store};
    };
};

void TestDrop::dropOnTheTable_data()
{
    QTest::addColumn<bool>("onTheHeader");
    QTest::newRow("on the cells") << false;
    QTest::newRow("on the header row") << true;
}

void TestDrop::dropOnTheTable()
{
    QFETCH(bool, onTheHeader);
    Fixture fixture;
    fixture.window.show();
    setDataRows(fixture.window.table(), {{"B-1", "old row"}});
    fixture.drop({fixture.drawing("c.mi", "A-10", "シャフト"),
                  fixture.drawing("a.mi", "A-2", "カバー"), fixture.drawing("b.mi", "", "")},
                 onTheHeader);
    QCOMPARE(fixture.column(0), (QStringList{"", "A-2", "A-10", "B-1"}));
    QCOMPARE(fixture.column(1), (QStringList{"", "カバー", "シャフト", "old row"}));
    QCOMPARE(fixture.window.statusMessage(), QString(" 4 個のﾃﾞｰﾀを取得"));
    QVERIFY(fixture.dialogs.shown.isEmpty());
}

void TestDrop::dropWithoutFilesIsIgnored()
{
    Fixture fixture;
    QMimeData data;
    data.setText("A-100");
    QWidget *viewport = fixture.window.grid()->viewport();
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    QCOMPARE(fixture.window.table().Rows(), qsizetype(1));
    QCOMPARE(fixture.window.statusMessage(), QString());
    QVERIFY(fixture.dialogs.shown.isEmpty());
}

void TestDrop::directoryEndsTheDrop()
{
    Fixture fixture;
    const QString second = fixture.drawing("2.mi", "Z-2", "");
    const QString first = fixture.drawing("1.mi", "Z-9", "");
    fixture.drop({second, first, fixture.dir.path(), fixture.drawing("3.mi", "A-1", "")});
    QCOMPARE(fixture.dialogs.kinds(), QStringList{"message"});
    QCOMPARE(fixture.dialogs.shown.first().text, QString("ﾌｧｲﾙを指定！再実行!!"));
    // Rows before the folder stay, unsorted; nothing after it is read; no status.
    QCOMPARE(fixture.column(0), (QStringList{"Z-2", "Z-9"}));
    QCOMPARE(fixture.window.statusMessage(), QString());
}

// The file manager hands over native names: Japanese, on Windows with a
// drive letter and backslashes, or a network (UNC) name.
void TestDrop::namesAsTheFileManagerGivesThem_data()
{
    QTest::addColumn<QString>("spelling");
    QTest::addColumn<bool>("readable");
    QTest::newRow("japanese name with half-width kana") << "japanese" << true;
#ifdef Q_OS_WIN
    QTest::newRow("drive letter and backslashes") << "native" << true;
    QTest::newRow("network name of a missing server") << "unc" << false;
#endif
}

void TestDrop::namesAsTheFileManagerGivesThem()
{
    QFETCH(QString, spelling);
    QFETCH(bool, readable);
    Fixture fixture;
    QString path = fixture.drawing("図面ｱ①.mi", "A-1", "ﾌﾞﾗｹｯﾄ");
    if (spelling == "native") {
        path = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
        QVERIFY(path.at(1) == u':' && path.contains(u'\\'));
    } else if (spelling == "unc") {
        path = "\\\\tavo-no-such-server\\部品\\図面.mi";
    }
    fixture.drop({path});
    if (readable) {
        QCOMPARE(fixture.column(1), QStringList{"ﾌﾞﾗｹｯﾄ"});
        QVERIFY(fixture.dialogs.shown.isEmpty());
        return;
    }
    QCOMPARE(fixture.dialogs.kinds(), QStringList{"warning"});
    QVERIFY2(fixture.dialogs.shown.first().text.contains("tavo-no-such-server"),
             qPrintable(fixture.dialogs.shown.first().text));
}

void TestDrop::unreadableFilesGetNoRowAndAreListed_data()
{
    QTest::addColumn<int>("missing");
    QTest::addColumn<bool>("withDetails");
    QTest::newRow("one") << 1 << false;
    QTest::newRow("five fit in the message") << 5 << false;
    // Hundreds once made a box taller than the screen, its OK button out of reach.
    QTest::newRow("three hundred: the first few, the rest in the detail") << 300 << true;
}

void TestDrop::unreadableFilesGetNoRowAndAreListed()
{
    QFETCH(int, missing);
    QFETCH(bool, withDetails);
    Fixture fixture;
    QStringList paths{fixture.drawing("1.mi", "A-1", "")};
    for (int i = 0; i < missing; ++i) {
        paths.append(fixture.dir.filePath(QStringLiteral("missing%1.mi").arg(i)));
    }
    fixture.drop(paths);
    QCOMPARE(fixture.column(0), QStringList{"A-1"});
    QCOMPARE(fixture.window.statusMessage(), QString(" 1 個のﾃﾞｰﾀを取得"));
    QCOMPARE(fixture.dialogs.kinds(), QStringList{"warning"});
    const QString text = fixture.dialogs.shown.first().text;
    QVERIFY(text.contains(QStringLiteral("次の %1 個のファイル").arg(missing)));
    QVERIFY(text.contains("missing0.mi"));
    QVERIFY(text.contains("見つかりません"));
    QVERIFY(text.count('\n') <= 10);
    QCOMPARE(fixture.dialogs.details.size(), withDetails ? 1 : 0);
    if (withDetails) {
        QCOMPARE(fixture.dialogs.details.first().count("見つかりません"), missing);
    }
}

void TestDrop::fileWithoutTextGetsARowAndANotice()
{
    Fixture fixture;
    const QString notes = fixture.dir.filePath("notes.txt");
    QFile file(notes);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("LIN\r\n1\r\n|~\r\n");
    file.close();
    fixture.drop({fixture.drawing("1.mi", "A-1", ""), notes});
    QCOMPARE(fixture.column(0), (QStringList{"", "A-1"}));
    QCOMPARE(fixture.dialogs.kinds(), QStringList{"warning"});
    const QString text = fixture.dialogs.shown.first().text;
    QVERIFY(text.contains(
        "notes.txt（文字が 1 つもありません（図面ファイルではないかもしれません））"));
    QVERIFY(!text.contains("1.mi"));
}

void TestDrop::confirmedPositionsAreUsedByTheNextDrop()
{
    Fixture fixture;
    fixture.window.show();
    fixture.window.menuActions().set1->trigger();
    PositionsWindow *settings = fixture.window.findChild<PositionsCommand *>()->positionsWindow();
    // Move 図番 to where the drawing holds its part name; confirm; drop.
    settings->field(0)->setText("100");
    fixture.drop({fixture.drawing("1.mi", "A-1", "ピン")});
    QCOMPARE(fixture.column(0), QStringList{"A-1"}); // not confirmed yet
    settings->confirm();
    fixture.drop({fixture.drawing("2.mi", "A-2", "ピン")});
    QCOMPARE(fixture.column(0), (QStringList{"A-1", "ピン"}));
}

void TestDrop::layoutsOfSeveralSetsInOneDrop()
{
    using namespace TitleBlockBuilder;
    Fixture fixture;
    const auto cells = [](const QString &number, Placement placement) {
        return QList<Cell>{{QStringLiteral("尺度"), QStringLiteral("1:1"), placement},
                           {QStringLiteral("図番"), number, placement},
                           {QStringLiteral("品名"), QStringLiteral("ﾌﾞﾗｹｯﾄ"), placement},
                           {QStringLiteral("材料"), QStringLiteral("SS400"), placement},
                           {QStringLiteral("表面処理"), QStringLiteral("ﾕﾆｸﾛ"), placement},
                           {QStringLiteral("個数"), QStringLiteral("2"), placement},
                           {QStringLiteral("備考"), QString(), placement}};
    };
    const Sheet sheets[] = {sheet(300, 10, cells(QStringLiteral("A3-1"), Placement::Beside)),
                            sheet(721, 10, cells(QStringLiteral("A1-1"), Placement::Beside)),
                            sheet(20, 400, cells(QStringLiteral("K-1"), Placement::Corner)),
                            sheet(900, 700, cells(QStringLiteral("L-1"), Placement::Below))};
    for (int set = 0; set < 3; ++set) {
        const QString section =
            set == 0 ? QStringLiteral("XYIni") : QStringLiteral("XYIni%1").arg(set + 1);
        for (int entry = 0; entry < 12; ++entry) {
            fixture.store.values.insert(
                QStringLiteral("Radoverurid/%1/Key%2").arg(section).arg(entry + 1),
                sheets[set].positions[std::size_t(entry)]);
        }
    }
    fixture.positions.LoadPositionSettings();
    QStringList paths;
    for (int index = 0; index < 4; ++index) {
        paths.append(fixture.dir.filePath(QStringLiteral("%1.mi").arg(index)));
        QFile file(paths.last());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(sheets[index].drawing);
    }
    paths.append(fixture.drawing("memo.mi", "", ""));
    fixture.drop(paths);
    QCOMPARE(fixture.column(0), (QStringList{"", "A1-1", "A3-1", "K-1", "L-1"}));
    for (int column = 1; column < 5; ++column) {
        const QString value = fixture.column(column)[1];
        QVERIFY(!value.isEmpty());
        QCOMPARE(fixture.column(column).mid(1), QStringList(4, value));
    }
    QCOMPARE(fixture.column(5), QStringList(5, QString()));
    QCOMPARE(fixture.window.statusMessage(),
             QStringLiteral(" 5 個のﾃﾞｰﾀを取得（ｾｯﾄ1: 1 枚、ｾｯﾄ2: 1 枚、ｾｯﾄ3: 1 枚、"
                            "項目名: 1 枚、図番なし: 1 枚）"));
    QCOMPARE(fixture.dialogs.kinds(), QStringList{"warning"});
    const QString text = fixture.dialogs.shown.first().text;
    QVERIFY2(text.contains("memo.mi") && !text.contains("3.mi"), qPrintable(text));
}

QTEST_MAIN(TestDrop)
#include "tst_drop.moc"
