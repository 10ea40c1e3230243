#include "app/subsystems.h"
#include "extract/drawingbuilder.h"
#include "extract/positionvalue.h"
#include "extract/titleblockbuilder.h"
#include "settings/drawingtextsmodel.h"
#include "settings/drawingtextsview.h"
#include "settings/drawingtextswindow.h"
#include "settings/positionscommand.h"
#include "settings/positionsettings.h"
#include "settings/positionswindow.h"
#include "shell/mainwindow.h"
#include "support/memorystore.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace DrawingBuilder;

namespace {

QAbstractButton *buttonOf(const QWidget *window, const QString &text)
{
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

} // namespace

class TestDrawingTextsWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void opening_data();
    void opening();
    void clickAssignsToThePickedField_data();
    void clickAssignsToThePickedField();
    void squaresAndSummaryFollowTheBoxes_data();
    void squaresAndSummaryFollowTheBoxes();
    void listAndDrawingSelectTogether();
    void findingByLabelsFillsTheBoxesOnly();
    void pickingChoosesAPointHoldingOnlyThatText_data();
    void pickingChoosesAPointHoldingOnlyThatText();
    void opensBesideAndReadable();

private:
    // Texts 0 to 3 in file order; the 図番 box starts at (360, 22.5).
    QString m_drawing;
    // A-10 with a revision mark 3.6 / 4.3 away, two texts on one spot, one alone.
    QString m_crowded;
    QTemporaryDir m_dir;

    struct Fixture
    {
        MemoryStore store;
        PositionSettings positions{store};
        ScriptedDialogs dialogs;
        MainWindow window{dialogs, positions};
        Subsystems subsystems{window, store};
        PositionsWindow *settings = nullptr;

        explicit Fixture()
        {
            positions.XYPos = {"360", "22.5", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"};
            window.menuActions().set1->trigger();
            settings = window.findChild<PositionsCommand *>()->positionsWindow();
        }
        DrawingTextsWindow *open(const QString &path)
        {
            settings->openDrawing(path);
            DrawingTextsWindow *drawing = settings->drawingWindow();
            if (drawing) {
                drawing->resize(900, 600);
                drawing->view()->fitPage();
            }
            return drawing;
        }
    };
};

void TestDrawingTextsWindow::initTestCase()
{
    m_drawing = m_dir.filePath("A-10.mi");
    QFile file(m_drawing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#~1\r\nENCODING:UTF-8\r\n" + textBlock("360.4", "22.2", "A-10") +
               textBlock("300.4", "32.2", "シャフト") + textBlock("12.5", "-40.25", "下") +
               textBlock("395.4", "32.2", "1"));
    m_crowded = m_dir.filePath("crowded.mi");
    QFile crowded(m_crowded);
    QVERIFY(crowded.open(QIODevice::WriteOnly));
    crowded.write("#~1\r\nENCODING:UTF-8\r\n" + textBlock("360.4", "22.2", "A-10") +
                  textBlock("364", "26.5", "B") + textBlock("100", "100", "ｼｬﾌﾄ") +
                  textBlock("100", "100", "軸") + textBlock("200", "50", "SS400"));
}

void TestDrawingTextsWindow::opening_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("texts");      // rows listed; -1: no window
    QTest::addColumn<QString>("warned"); // part of the warning shown, if any

    QTest::newRow("button") << "button" << m_drawing << 4 << "";
    QTest::newRow("dropped on the window") << "drop" << m_drawing << 4 << "";
    QTest::newRow("dropped on a box opens, not types") << "drop on box" << m_drawing << 4 << "";
    QTest::newRow("dropped on 図面の文字 replaces its drawing")
        << "drop on drawing" << m_drawing << 4 << "";
    QTest::newRow("a folder is told") << "drop" << m_dir.path() << -1 << "フォルダー";
    QTest::newRow("a missing file is told")
        << "button" << m_dir.filePath("none.mi") << -1 << "none.mi";
}

void TestDrawingTextsWindow::opening()
{
    QFETCH(QString, how);
    QFETCH(QString, path);
    QFETCH(int, texts);
    QFETCH(QString, warned);
    Fixture fixture;
    if (how == "button") {
        fixture.dialogs.fileNames = {path};
        fixture.settings->chooseDrawing();
    } else {
        QWidget *target =
            how == "drop" ? static_cast<QWidget *>(fixture.settings) : fixture.settings->field(3);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        data.setText(path);
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
    }
    DrawingTextsWindow *drawing = fixture.settings->drawingWindow();
    QCOMPARE(drawing ? drawing->list()->model()->rowCount() : -1, texts);
    QCOMPARE(fixture.settings->field(3)->text(), QStringLiteral("0"));
    QCOMPARE(fixture.dialogs.shown.size(), (how == "button") + !warned.isEmpty());
    if (!warned.isEmpty()) {
        QVERIFY(fixture.dialogs.shown.last().text.contains(warned));
    }
}

void TestDrawingTextsWindow::clickAssignsToThePickedField_data()
{
    QTest::addColumn<int>("field"); // -1: none picked
    QTest::addColumn<int>("text");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");

    QTest::newRow("図番") << 0 << 0 << "ja_JP"
                          << "360.4"
                          << "22.2";
    QTest::newRow("備考, a negative Y") << 5 << 2 << "ja_JP"
                                        << "12.5"
                                        << "-40.25";
    // Written as the boxes read it: a point would be a group separator there.
    QTest::newRow("decimal comma in German") << 1 << 1 << "de_DE"
                                             << "300,4"
                                             << "32,2";
    QTest::newRow("no field picked changes nothing") << -1 << 0 << "ja_JP"
                                                     << ""
                                                     << "";
}

void TestDrawingTextsWindow::clickAssignsToThePickedField()
{
    QFETCH(int, field);
    QFETCH(int, text);
    QFETCH(QString, locale);
    QFETCH(QString, x);
    QFETCH(QString, y);
    const QLocale previous;
    QLocale::setDefault(QLocale(locale));
    const auto restore = qScopeGuard([&] { QLocale::setDefault(previous); });
    Fixture fixture;
    const std::array<QString, 12> before = fixture.settings->fieldTexts();
    DrawingTextsWindow *drawing = fixture.open(m_drawing);
    QVERIFY(drawing);
    drawing->pickField(field < 0 ? std::nullopt : std::optional<int>(field));
    DrawingTextsView *view = drawing->view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->viewportPosition(text));

    std::array<QString, 12> expected = before;
    if (field >= 0) {
        expected[std::size_t(2 * field)] = x;
        expected[std::size_t(2 * field + 1)] = y;
        QCOMPARE(view->captureSquare(field).center(),
                 QPointF(*positionValue(x), *positionValue(y)));
    }
    QCOMPARE(fixture.settings->fieldTexts(), expected);
    // Nothing stored until ｾｯﾄ; the next click assigns nothing.
    QCOMPARE(fixture.positions.XYPos, before);
    QCOMPARE(drawing->pickedField(), std::nullopt);
}

void TestDrawingTextsWindow::squaresAndSummaryFollowTheBoxes_data()
{
    QTest::addColumn<QString>("x"); // typed into 品名
    QTest::addColumn<QString>("y");
    QTest::addColumn<QRectF>("square");
    QTest::addColumn<QString>("summary");

    QTest::newRow("typed point moves the square")
        << "300"
        << "32" << QRectF(295, 27, 10, 10) << "図番=A-10   品名=シャフト   材料=（空）";
    QTest::newRow("exactly 5 away captures nothing")
        << "295.4"
        << "32.2" << QRectF(290.4, 27.2, 10, 10) << "品名=（空）";
    QTest::newRow("no number: no square, marked")
        << "abc"
        << "32" << QRectF() << "品名=（位置が数値でない）";
}

void TestDrawingTextsWindow::squaresAndSummaryFollowTheBoxes()
{
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(QRectF, square);
    QFETCH(QString, summary);
    Fixture fixture;
    DrawingTextsWindow *drawing = fixture.open(m_drawing);
    QVERIFY(drawing);
    for (const auto &[entry, text] : {std::pair{2, x}, std::pair{3, y}}) {
        QLineEdit *box = fixture.settings->field(entry);
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    const QRectF shown = drawing->view()->captureSquare(1);
    QVERIFY2(std::abs(shown.left() - square.left()) < 1e-9 &&
                 std::abs(shown.top() - square.top()) < 1e-9 && shown.size() == square.size(),
             qPrintable(QStringLiteral("%1 %2").arg(shown.left()).arg(shown.top())));
    QVERIFY2(drawing->summary().contains(summary), qPrintable(drawing->summary()));
    QCOMPARE(drawing->view()->captureSquare(0), QRectF(355, 17.5, 10, 10));
}

void TestDrawingTextsWindow::listAndDrawingSelectTogether()
{
    Fixture fixture;
    DrawingTextsWindow *drawing = fixture.open(m_drawing);
    QVERIFY(drawing);
    QTableView *list = drawing->list();
    // Sorted by Y: 下 (-40.25) first, then A-10, then the two at 32.2.
    list->sortByColumn(2, Qt::AscendingOrder);
    list->selectRow(1);
    QCOMPARE(drawing->view()->selectedText(), std::optional<qsizetype>(0));

    QTest::mouseClick(drawing->view()->viewport(), Qt::LeftButton, {},
                      drawing->view()->viewportPosition(2));
    QCOMPARE(drawing->view()->selectedText(), std::optional<qsizetype>(2));
    QCOMPARE(list->currentIndex().row(), 0);
    QCOMPARE(list->currentIndex().siblingAtColumn(3).data().toString(), QStringLiteral("下"));
}

void TestDrawingTextsWindow::findingByLabelsFillsTheBoxesOnly()
{
    using namespace TitleBlockBuilder;
    const Sheet sheet = TitleBlockBuilder::sheet(
        721, 10,
        {{QStringLiteral("尺度"), QStringLiteral("1:5"), Placement::Corner},
         {QStringLiteral("図番"), QStringLiteral("A1-7"), Placement::Corner},
         {QStringLiteral("品名"), QStringLiteral("ｶﾞｲﾄﾞ"), Placement::Beside},
         {QStringLiteral("材料"), QStringLiteral("SUS304"), Placement::Below},
         {QStringLiteral("個数"), QString(), Placement::Corner}});
    const QString path = m_dir.filePath("sheet.mi");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(sheet.drawing);
    file.close();

    Fixture fixture;
    fixture.window.menuActions().set2->trigger();
    PositionsWindow *second = fixture.window.findChild<PositionsCommand *>()->positionsWindow(1);
    QVERIFY(second && second != fixture.settings);
    QCOMPARE(second->windowTitle(), QString("設定2"));
    second->openDrawing(path);
    DrawingTextsWindow *drawing = second->drawingWindow();
    QVERIFY(drawing);
    drawing->findByLabels();
    // Found fields take their value's position; the others keep theirs.
    const std::array<QString, 12> boxes = second->fieldTexts();
    for (int entry : {0, 1, 2, 3, 4, 5}) {
        QCOMPARE(positionValue(boxes[std::size_t(entry)]),
                 positionValue(sheet.positions[std::size_t(entry)]));
    }
    QCOMPARE(boxes[6], QString("0"));
    QCOMPARE(boxes[8], QString("0"));
    QVERIFY(drawing->summary().contains("図番=A1-7"));
    QVERIFY(drawing->summary().contains("品名=ｶﾞｲﾄﾞ"));
    QVERIFY(drawing->status().contains("表面処理、個数、備考"));
    // Nothing is stored before ｾｯﾄ, and set 1 is untouched.
    QCOMPARE(fixture.positions.set(1)[0], QString("0"));
    QCOMPARE(fixture.positions.XYPos[0], QString("360"));
    second->confirm();
    QCOMPARE(fixture.store.values.value("Radoverurid/XYIni2/Key1"), boxes[0]);
    QCOMPARE(fixture.positions.XYPos[0], QString("360"));
}

void TestDrawingTextsWindow::pickingChoosesAPointHoldingOnlyThatText_data()
{
    QTest::addColumn<int>("text"); // -1: empty space at (250, 20)
    QTest::addColumn<QString>("captured");
    QTest::addColumn<QString>("told");
    QTest::addColumn<bool>("ownPosition");

    QTest::newRow("a neighbour within ±5 is kept out") << 0 << "図番=A-10"
                                                       << "避けて" << false;
    QTest::newRow("alone: its own position") << 4 << "図番=SS400"
                                             << "の位置を" << true;
    QTest::newRow("two on one spot: none, and told") << 2 << "図番=軸"
                                                     << "位置はありません" << true;
    QTest::newRow("empty space: the point clicked") << -1 << "図番=（空）"
                                                    << "クリックした所" << false;
}

void TestDrawingTextsWindow::pickingChoosesAPointHoldingOnlyThatText()
{
    QFETCH(int, text);
    QFETCH(QString, captured);
    QFETCH(QString, told);
    QFETCH(bool, ownPosition);
    Fixture fixture;
    DrawingTextsWindow *drawing = fixture.open(m_crowded);
    QVERIFY(drawing);
    drawing->show();
    QVERIFY(QTest::qWaitForWindowExposed(drawing));
    DrawingTextsView *view = drawing->view();
    const QPoint at =
        text < 0 ? view->mapFromScene(QPointF(250, -20)) : view->viewportPosition(text);
    const QPoint reference = view->mapFromScene(QPointF(250, -20));
    QTest::mouseClick(buttonOf(drawing, "図番"), Qt::LeftButton);
    QCOMPARE(drawing->pickedField(), std::optional<int>(0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);

    QVERIFY2(drawing->summary().contains(captured), qPrintable(drawing->summary()));
    QVERIFY2(drawing->status().contains(told), qPrintable(drawing->status()));
    const std::array<QString, 12> boxes = fixture.settings->fieldTexts();
    const QPointF point(*positionValue(boxes[0]), *positionValue(boxes[1]));
    if (text >= 0) {
        const QAbstractItemModel *list = drawing->list()->model();
        const QPointF own(list->index(text, DrawingTextsModel::X).data(Qt::UserRole).toDouble(),
                          list->index(text, DrawingTextsModel::Y).data(Qt::UserRole).toDouble());
        QCOMPARE(point == own, ownPosition);
    } else {
        QVERIFY2(QLineF(point, QPointF(250, 20)).length() < 2,
                 qPrintable(boxes[0] + " " + boxes[1]));
    }
    // The drawing stays where it was on the screen.
    QCOMPARE(view->mapFromScene(QPointF(250, -20)), reference);
}

void TestDrawingTextsWindow::opensBesideAndReadable()
{
    Fixture fixture;
    fixture.settings->show();
    DrawingTextsWindow *drawing = fixture.open(m_drawing);
    QVERIFY(drawing);
    drawing->placeBeside(*fixture.settings);
    drawing->show();
    QVERIFY(QTest::qWaitForWindowExposed(drawing));
    const QRect available = drawing->screen()->availableGeometry();
    QVERIFY(available.contains(drawing->frameGeometry()));
    const QRect settings = fixture.settings->frameGeometry();
    if (available.bottom() - settings.bottom() >= drawing->frameGeometry().height()) {
        QVERIFY(!drawing->frameGeometry().intersects(settings));
    }
    // 取り込み先 in sight without scrolling.
    QTableView *list = drawing->list();
    QTRY_VERIFY(list->horizontalHeader()->sectionViewportPosition(DrawingTextsModel::Field) +
                    std::max(static_cast<QAbstractItemView *>(list)->sizeHintForColumn(
                                 DrawingTextsModel::Field),
                             list->horizontalHeader()->sectionSizeHint(DrawingTextsModel::Field)) <=
                list->viewport()->width());
    // Five squares at 0, 0: five labels, none over another.
    QList<QRect> labels;
    for (int field = 1; field < 6; ++field) {
        const QRect label = drawing->view()->labelRect(field);
        QVERIFY(!label.isEmpty());
        for (const QRect &other : labels) {
            QVERIFY(!label.intersects(other));
        }
        labels.append(label);
    }
    QTest::keyClick(drawing, Qt::Key_Escape);
    QVERIFY(!drawing->isVisible());
    drawing->show();
    QTest::mouseClick(buttonOf(drawing, "閉じる"), Qt::LeftButton);
    QVERIFY(!drawing->isVisible());
}

QTEST_MAIN(TestDrawingTextsWindow)
#include "tst_drawingtextswindow.moc"
