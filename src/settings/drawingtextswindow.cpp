#include "drawingtextswindow.h"

#include "drawingtextsmodel.h"
#include "drawingtextsview.h"
#include "extract/positionvalue.h"
#include "positionsettings.h"
#include "positionswindow.h"
#include "shell/columnlayout.h"

#include <QAction>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QCursor>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Where a window stands beside `anchor` without covering it: to the right,
// the left, below or above, the first side with room for `wanted`, else the
// first with room for `least` (and then no larger than that room); failing
// both, as large as the screen allows at its bottom left.
QRect besideOf(const QRect &anchor, const QSize &wanted, const QSize &least, const QRect &available)
{
    enum Side { Right, Left, Below, Above };
    const std::array<QRect, 4> rooms = {
        QRect(QPoint(anchor.right() + 1, available.top()), available.bottomRight()),
        QRect(available.topLeft(), QPoint(anchor.left() - 1, available.bottom())),
        QRect(QPoint(available.left(), anchor.bottom() + 1), available.bottomRight()),
        QRect(available.topLeft(), QPoint(available.right(), anchor.top() - 1))};
    for (const QSize &needed : {wanted, least}) {
        for (int side = Right; side <= Above; ++side) {
            const QRect &room = rooms[std::size_t(side)];
            if (room.width() < needed.width() || room.height() < needed.height()) {
                continue;
            }
            const QSize size = wanted.boundedTo(room.size());
            // Lined up with the anchor where the room allows.
            const int x = std::clamp(side == Left ? room.right() + 1 - size.width() : anchor.left(),
                                     room.left(), room.right() + 1 - size.width());
            const int y =
                std::clamp(side == Above ? room.bottom() + 1 - size.height() : anchor.top(),
                           room.top(), room.bottom() + 1 - size.height());
            return {QPoint(x, y), size};
        }
    }
    const QSize size = wanted.boundedTo(available.size());
    return {QPoint(available.left(), available.bottom() + 1 - size.height()), size};
}

} // namespace

DrawingTextsWindow::DrawingTextsWindow(PositionsWindow &positions)
    // Kept above its settings window, yet modeless and resizable.
    : QWidget(&positions, Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_positions(positions), m_model(new DrawingTextsModel(this)),
      m_sorted(new QSortFilterProxyModel(this)), m_view(new DrawingTextsView),
      m_list(new QTableView), m_summary(new QLabel), m_hover(new QLabel), m_status(new QLabel)
{
    setWindowTitle(QStringLiteral("図面の文字"));
    setAcceptDrops(true);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(makePickRow());
    layout->addWidget(makeLists(), 1);
    layout->addLayout(makeFoot());

    auto *close = new QAction(this);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    connect(m_view, &DrawingTextsView::textClicked, this, &DrawingTextsWindow::textClicked);
    connect(m_view, &DrawingTextsView::pointClicked, this, &DrawingTextsWindow::pointClicked);
    connect(m_view, &DrawingTextsView::textHovered, this, &DrawingTextsWindow::textHovered);
    connect(&m_positions, &PositionsWindow::fieldsEdited, this,
            &DrawingTextsWindow::positionsEdited);
    resize(1100, 700);
}

QLayout *DrawingTextsWindow::makePickRow()
{
    auto *pickRow = new QHBoxLayout;
    pickRow->addWidget(new QLabel(QStringLiteral("項目を選んで文字をクリック:")));
    for (int field = 0; field < ColumnLayout::Count; ++field) {
        // Tool buttons: as wide as their names, so the window fits small screens.
        auto *button = new QToolButton;
        button->setText(ColumnLayout::title(field));
        button->setCheckable(true);
        button->setToolTip(QStringLiteral("次にクリックした文字（または何もない所）の X, Y を"
                                          "「%1」の欄に入れます")
                               .arg(ColumnLayout::title(field)));
        // One field at a time, and a second press lets go of it.
        connect(button, &QToolButton::toggled, this, [this, field](bool checked) {
            if (checked) {
                pickField(field);
            }
        });
        pickRow->addWidget(button);
        m_fieldButtons[std::size_t(field)] = button;
    }
    auto *labelsButton = new QPushButton(QStringLiteral("項目名から探す"));
    labelsButton->setAutoDefault(false);
    labelsButton->setToolTip(QStringLiteral("表題の項目名（図番、品名など）から各項目の文字を探し、"
                                            "その位置を入れます。保存は ｾｯﾄ で"));
    connect(labelsButton, &QPushButton::clicked, this, &DrawingTextsWindow::findByLabels);
    pickRow->addWidget(labelsButton);
    pickRow->addStretch();
    const auto addZoomButton = [&](const QString &text, const QKeySequence &keys,
                                   const std::function<void()> &action) {
        auto *button = new QToolButton;
        auto *command = new QAction(text, this);
        command->setShortcuts({keys});
        command->setToolTip(keys.isEmpty() ? text
                                           : QStringLiteral("%1 (%2)").arg(
                                                 text, keys.toString(QKeySequence::NativeText)));
        connect(command, &QAction::triggered, this, action);
        addAction(command);
        button->setDefaultAction(command);
        pickRow->addWidget(button);
    };
    addZoomButton(QStringLiteral("縮小"), QKeySequence::ZoomOut, [this] { m_view->zoomBy(0.8); });
    addZoomButton(QStringLiteral("拡大"), QKeySequence::ZoomIn, [this] { m_view->zoomBy(1.25); });
    // Ctrl + "=" is where "+" is without Shift on many keyboards.
    auto *zoomInPlain = new QAction(this);
    zoomInPlain->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal));
    connect(zoomInPlain, &QAction::triggered, this, [this] { m_view->zoomBy(1.25); });
    addAction(zoomInPlain);
    addZoomButton(QStringLiteral("ページ全体"), QKeySequence(Qt::CTRL | Qt::Key_0),
                  [this] { m_view->fitPage(); });
    return pickRow;
}

QWidget *DrawingTextsWindow::makeLists()
{
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(DrawingTextsModel::SortRole);
    m_list->setModel(m_sorted);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    m_list->horizontalHeader()->setStretchLastSection(true);
    // File order until the user clicks a heading.
    m_list->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_list->setSortingEnabled(true);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &DrawingTextsWindow::listRowChanged);
    connect(m_list, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (pickedField()) {
            textClicked(m_sorted->mapToSource(index).row());
        }
    });

    m_view->setAcceptDrops(false);
    m_splitter = new QSplitter;
    m_splitter->addWidget(m_view);
    m_splitter->addWidget(m_list);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setChildrenCollapsible(false);
    return m_splitter;
}

QLayout *DrawingTextsWindow::makeFoot()
{
    // Lines of fixed height: a longer text must not shrink, and so move, the drawing.
    const int line = m_summary->fontMetrics().lineSpacing();
    for (QLabel *label : {m_summary, m_status, m_hover}) {
        label->setWordWrap(label != m_hover);
        label->setFixedHeight(label == m_hover ? line + 2 : 2 * line + 2);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    m_hover->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *closeButton = new QPushButton(QStringLiteral("閉じる"));
    closeButton->setAutoDefault(false);
    closeButton->setToolTip(QStringLiteral("閉じる (Esc)。入れた位置は設定の欄に残ります"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto *lines = new QVBoxLayout;
    lines->addWidget(m_summary);
    lines->addWidget(m_status);
    lines->addWidget(m_hover);
    auto *foot = new QHBoxLayout;
    foot->addLayout(lines, 1);
    foot->addWidget(closeButton, 0, Qt::AlignBottom);
    return foot;
}

void DrawingTextsWindow::placeBeside(const QWidget &owner)
{
    const QScreen *screen = owner.screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
    // Room for the window frame the system adds around it.
    const QSize frame = owner.frameGeometry().size() - owner.size();
    const QSize wanted(std::min(1100, available.width() * 9 / 10),
                       std::min(700, available.height() * 85 / 100));
    // Below this the drawing gets too small to pick from; covering part of
    // the settings window is then the lesser evil.
    const QSize least = minimumSizeHint().expandedTo(QSize(640, 400)).boundedTo(wanted) + frame;
    const QRect placed = besideOf(owner.frameGeometry(), wanted, least, available);
    resize(placed.size() - frame);
    move(placed.topLeft());
}

void DrawingTextsWindow::fitListColumns()
{
    m_list->resizeColumnsToContents();
    // A long text must not push 「取り込み先」 out of sight.
    const int widest = 12 * m_list->fontMetrics().horizontalAdvance(QChar(0x56f3));
    QHeaderView *header = m_list->horizontalHeader();
    header->resizeSection(DrawingTextsModel::Text,
                          std::min(header->sectionSize(DrawingTextsModel::Text), widest));
    int wanted = 2 * m_list->frameWidth() + m_list->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < DrawingTextsModel::ColumnCount; ++column) {
        wanted += column == DrawingTextsModel::Field
                      ? std::max(static_cast<const QAbstractItemView *>(m_list)->sizeHintForColumn(
                                     column),
                                 header->sectionSizeHint(column))
                      : header->sectionSize(column);
    }
    const int total = std::max(m_splitter->width(), width() - 20);
    const int listWidth = std::min(wanted, total * 2 / 5);
    // Short of room, the text column gives way, down to a few characters.
    if (wanted > listWidth) {
        const int text = header->sectionSize(DrawingTextsModel::Text);
        header->resizeSection(DrawingTextsModel::Text,
                              std::max(widest / 3, text - (wanted - listWidth)));
    }
    m_splitter->setSizes({total - listWidth, listWidth});
}

void DrawingTextsWindow::setDrawing(const QString &path, QList<DrawingTexts::Text> texts)
{
    setWindowTitle(QStringLiteral("図面の文字 - %1").arg(QFileInfo(path).fileName()));
    m_view->setTexts(texts);
    m_list->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_model->setTexts(std::move(texts));
    fitListColumns();
    m_hover->setText(
        m_model->rowCount() == 0
            ? QStringLiteral("文字が 1 つもありません（図面ファイルではないかもしれません）。")
            : QStringLiteral("文字 %1 個。ホイールで拡大・縮小、ドラッグで移動します。")
                  .arg(m_model->rowCount()));
    positionsEdited();
}

void DrawingTextsWindow::pickField(std::optional<int> field)
{
    for (int other = 0; other < ColumnLayout::Count; ++other) {
        QAbstractButton *button = m_fieldButtons[std::size_t(other)];
        const QSignalBlocker blocker(button);
        button->setChecked(other == field);
    }
}

std::optional<int> DrawingTextsWindow::pickedField() const
{
    for (int field = 0; field < ColumnLayout::Count; ++field) {
        if (m_fieldButtons[std::size_t(field)]->isChecked()) {
            return field;
        }
    }
    return std::nullopt;
}

QString DrawingTextsWindow::summary() const
{
    return m_summary->text();
}

QString DrawingTextsWindow::hint() const
{
    return m_hover->text();
}

QString DrawingTextsWindow::status() const
{
    return m_status->text();
}

void DrawingTextsWindow::findByLabels()
{
    pickField(std::nullopt);
    const QList<DrawingTexts::Text> &texts = m_model->texts();
    const TitleLabels::Found found = TitleLabels(m_positions.positions().labelWords).find(texts);
    QStringList missing;
    for (int field = 0; field < ColumnLayout::Count; ++field) {
        if (const std::optional<qsizetype> index = found.values[std::size_t(field)]) {
            const DrawingTexts::Text &text = texts[*index];
            m_positions.typePoint(field, DrawingTextsModel::number(text.x),
                                  DrawingTextsModel::number(text.y));
        } else {
            missing.append(ColumnLayout::title(field));
        }
    }
    m_status->setText(missing.size() == ColumnLayout::Count
                          ? QStringLiteral("項目名が見つかりませんでした。位置は変えていません。")
                      : missing.isEmpty()
                          ? QStringLiteral("6 項目の位置を項目名から入れました。ｾｯﾄ で保存します。")
                          : QStringLiteral("項目名から位置を入れました。見つからない項目（%1）は"
                                           "変えていません。ｾｯﾄ で保存します。")
                                .arg(missing.join(QStringLiteral("、"))));
}

void DrawingTextsWindow::positionsEdited()
{
    const std::array<QString, 12> boxes = m_positions.fieldTexts();
    std::array<std::optional<QPointF>, 6> points;
    for (std::size_t field = 0; field < points.size(); ++field) {
        const std::optional<double> x = positionValue(boxes[2 * field]);
        const std::optional<double> y = positionValue(boxes[2 * field + 1]);
        if (x && y) {
            points[field] = QPointF(*x, *y);
        }
    }
    m_view->setCapturePoints(points);
    const std::array<std::optional<qsizetype>, 6> captured =
        DrawingTexts::captured(m_model->texts(), boxes);
    m_model->setCaptured(captured);
    QStringList parts;
    for (std::size_t field = 0; field < captured.size(); ++field) {
        const QString value = !points[field]    ? QStringLiteral("（位置が数値でない）")
                              : captured[field] ? m_model->texts()[*captured[field]].text
                                                : QStringLiteral("（空）");
        parts.append(ColumnLayout::title(int(field)) + QLatin1Char('=') + value);
    }
    m_summary->setText(QStringLiteral("今の位置で取り込まれる文字:  ") +
                       parts.join(QStringLiteral("   ")));
    // Its two lines may cut long texts off; the tip shows them whole, one a line.
    m_summary->setToolTip(parts.join(QLatin1Char('\n')));
}

void DrawingTextsWindow::textClicked(qsizetype index)
{
    selectInList(index);
    const std::optional<int> field = pickedField();
    if (!field) {
        return;
    }
    const DrawingTexts::Text &text = m_model->texts()[index];
    const QString title = ColumnLayout::title(*field);
    // A neighbour inside the window would be read instead of (or over) this text.
    const std::optional<std::pair<double, double>> point =
        DrawingTexts::pointCapturingOnly(m_model->texts(), index);
    const auto [x, y] = point.value_or(std::pair{text.x, text.y});
    m_positions.typePoint(*field, DrawingTextsModel::number(x), DrawingTextsModel::number(y));
    if (!point) {
        m_status->setText(
            QStringLiteral("「%1」だけを取り込む位置はありません（±5 の中に"
                           "ほかの文字があります）。「%2」には文字の位置を入れました。"
                           "取り込まれる文字を下で確かめてください。")
                .arg(text.text, title));
    } else if (x != text.x || y != text.y) {
        m_status->setText(
            QStringLiteral("「%1」の近くの文字を避けて、「%1」だけを取り込む位置"
                           "（X = %2   Y = %3）を「%4」に入れました。ｾｯﾄ で保存します。")
                .arg(text.text, DrawingTextsModel::number(x), DrawingTextsModel::number(y), title));
    } else {
        m_status->setText(QStringLiteral("「%1」の位置を「%2」に入れました。ｾｯﾄ で保存します。")
                              .arg(text.text, title));
    }
    // One click, one assignment: clicking around afterwards changes nothing.
    pickField(std::nullopt);
}

void DrawingTextsWindow::pointClicked(const QPointF &point)
{
    const std::optional<int> field = pickedField();
    if (!field) {
        return;
    }
    // Tenths: finer than anyone places a title block, short enough to read.
    const QString x = DrawingTextsModel::number(std::round(point.x() * 10) / 10);
    const QString y = DrawingTextsModel::number(std::round(point.y() * 10) / 10);
    m_positions.typePoint(*field, x, y);
    m_status->setText(QStringLiteral("クリックした所（X = %1   Y = %2）を「%3」に入れました。"
                                     "ｾｯﾄ で保存します。")
                          .arg(x, y, ColumnLayout::title(*field)));
    pickField(std::nullopt);
}

void DrawingTextsWindow::textHovered(std::optional<qsizetype> index)
{
    if (!index) {
        QToolTip::hideText();
        return;
    }
    const DrawingTexts::Text &text = m_model->texts()[*index];
    const QString description =
        QStringLiteral("X = %1   Y = %2   %3")
            .arg(DrawingTextsModel::number(text.x), DrawingTextsModel::number(text.y), text.text);
    m_hover->setText(description);
    QToolTip::showText(QCursor::pos(), description, m_view);
}

void DrawingTextsWindow::listRowChanged()
{
    if (m_syncing) {
        return;
    }
    const QModelIndex current = m_list->selectionModel()->currentIndex();
    m_view->selectText(current.isValid()
                           ? std::optional<qsizetype>(m_sorted->mapToSource(current).row())
                           : std::nullopt);
}

void DrawingTextsWindow::selectInList(qsizetype index)
{
    const QModelIndex row = m_sorted->mapFromSource(m_model->index(int(index), 0));
    m_syncing = true;
    m_list->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    m_list->scrollTo(row);
    m_syncing = false;
}

void DrawingTextsWindow::dragEnterEvent(QDragEnterEvent *event)
{
    QCoreApplication::sendEvent(&m_positions, event);
}

void DrawingTextsWindow::dropEvent(QDropEvent *event)
{
    QCoreApplication::sendEvent(&m_positions, event);
}
