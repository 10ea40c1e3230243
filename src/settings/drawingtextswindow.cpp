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
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <functional>

DrawingTextsWindow::DrawingTextsWindow(PositionsWindow &positions)
    : QWidget(&positions, Qt::Window), m_positions(positions), m_model(new DrawingTextsModel(this)),
      m_sorted(new QSortFilterProxyModel(this)), m_view(new DrawingTextsView),
      m_list(new QTableView), m_summary(new QLabel), m_hover(new QLabel)
{
    setWindowTitle(QStringLiteral("図面の文字"));
    resize(1100, 700);
    setAcceptDrops(true);

    auto *pickRow = new QHBoxLayout;
    pickRow->addWidget(new QLabel(QStringLiteral("項目を選んで文字をクリック:")));
    for (int field = 0; field < ColumnLayout::Count; ++field) {
        auto *button = new QPushButton(ColumnLayout::title(field));
        button->setCheckable(true);
        button->setAutoDefault(false);
        button->setToolTip(QStringLiteral("次にクリックした文字の X, Y を「%1」の欄に入れます")
                               .arg(ColumnLayout::title(field)));
        // One field at a time, and a second press lets go of it.
        connect(button, &QPushButton::toggled, this, [this, field](bool checked) {
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
    auto *splitter = new QSplitter;
    splitter->addWidget(m_view);
    splitter->addWidget(m_list);
    splitter->setStretchFactor(0, 1);
    splitter->setSizes({700, 380});

    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(pickRow);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_summary);
    layout->addWidget(m_hover);

    connect(m_view, &DrawingTextsView::textClicked, this, &DrawingTextsWindow::textClicked);
    connect(m_view, &DrawingTextsView::textHovered, this, &DrawingTextsWindow::textHovered);
    connect(&m_positions, &PositionsWindow::fieldsEdited, this,
            &DrawingTextsWindow::positionsEdited);
}

void DrawingTextsWindow::setDrawing(const QString &path, QList<DrawingTexts::Text> texts)
{
    setWindowTitle(QStringLiteral("図面の文字 - %1").arg(QFileInfo(path).fileName()));
    m_view->setTexts(texts);
    m_list->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_model->setTexts(std::move(texts));
    m_list->resizeColumnsToContents();
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
    m_hover->setText(missing.size() == ColumnLayout::Count
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
}

void DrawingTextsWindow::textClicked(qsizetype index)
{
    selectInList(index);
    const std::optional<int> field = pickedField();
    if (!field) {
        return;
    }
    const DrawingTexts::Text &text = m_model->texts()[index];
    m_positions.typePoint(*field, DrawingTextsModel::number(text.x),
                          DrawingTextsModel::number(text.y));
    // One click, one assignment: clicking around afterwards changes nothing.
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
