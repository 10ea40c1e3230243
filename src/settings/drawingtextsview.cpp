#include "drawingtextsview.h"

#include "shell/columnlayout.h"

#include <QApplication>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// One field colour each, in column order.
const std::array<QColor, 6> fieldColours = {QColor(0xd0, 0x20, 0x20), QColor(0x10, 0x70, 0xd0),
                                            QColor(0x20, 0x90, 0x30), QColor(0xb0, 0x60, 0x00),
                                            QColor(0x80, 0x30, 0xb0), QColor(0x00, 0x90, 0x90)};

// A text's height is about its capital letters' height, some 0.72 of the em.
constexpr double emPerHeight = 1 / 0.72;

// Below this many pixels tall a text is painted as a grey bar.
constexpr double readablePixels = 5;

// Rough advance of a character in ems: enough to cull and hit texts, and
// far cheaper than measuring 100,000 strings.
double emsOf(QChar character)
{
    const char16_t code = character.unicode();
    const bool halfWidthKana = code >= 0xff61 && code <= 0xff9f;
    return code >= 0x1100 && !halfWidthKana ? 1.0 : 0.6;
}

} // namespace

// All texts as one item, with a grid of cells so that a paint or a hit looks
// only at the texts near it: 100,000 separate items open and pan too slowly.
class DrawingTextsView::TextLayer : public QGraphicsItem
{
public:
    TextLayer() { setFlag(ItemUsesExtendedStyleOption); }

    void setTexts(const QList<DrawingTexts::Text> &texts)
    {
        prepareGeometryChange();
        m_entries.clear();
        m_entries.reserve(std::size_t(texts.size()));
        QRectF bounds;
        for (const DrawingTexts::Text &text : texts) {
            double ems = 0;
            for (const QChar character : text.text) {
                ems += emsOf(character);
            }
            const double em = text.height * emPerHeight;
            Entry entry{QPointF(text.x, -text.y), text.text, text.height, {}};
            entry.bounds =
                QRectF(text.x, -text.y - em * 0.6, std::max(ems * em, em * 0.3), em * 1.2);
            bounds |= entry.bounds;
            m_entries.push_back(std::move(entry));
        }
        m_bounds = bounds;
        m_stamps.assign(m_entries.size(), 0);
        buildGrid();
        m_selected.reset();
    }

    QRectF boundingRect() const override { return m_bounds; }
    const QRectF &textBounds(qsizetype index) const { return m_entries[std::size_t(index)].bounds; }
    QPointF anchor(qsizetype index) const { return m_entries[std::size_t(index)].anchor; }

    void setSelected(std::optional<qsizetype> index)
    {
        for (const std::optional<qsizetype> &changed : {m_selected, index}) {
            if (changed) {
                update(textBounds(*changed));
            }
        }
        m_selected = index;
    }

    // The text nearest `point` among those whose box, widened by `slack`, holds it.
    std::optional<qsizetype> textAt(const QPointF &point, double slack) const
    {
        std::optional<qsizetype> best;
        double bestDistance = 0;
        const QRectF near(point - QPointF(slack, slack), QSizeF(2 * slack, 2 * slack));
        for (const int index : textsIn(near)) {
            const Entry &entry = m_entries[std::size_t(index)];
            const double distance = QLineF(entry.anchor, point).length();
            if (!best || distance < bestDistance) {
                best = index;
                bestDistance = distance;
            }
        }
        return best;
    }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *) override
    {
        const std::vector<int> visible = textsIn(option->exposedRect);
        const QTransform world = painter->worldTransform();
        const double pixelsPerUnit = option->levelOfDetailFromTransform(world);
        std::vector<QRectF> bars;
        painter->save();
        // Texts are drawn at their size on the screen, so glyphs come from the cache.
        painter->resetTransform();
        QFont font = painter->font();
        double fontHeight = -1;
        for (const int index : visible) {
            const Entry &entry = m_entries[std::size_t(index)];
            const double pixels = entry.height * pixelsPerUnit;
            if (m_selected == index) {
                painter->fillRect(world.mapRect(entry.bounds), QColor(255, 220, 80));
            }
            if (pixels < readablePixels) {
                const QRectF box = world.mapRect(entry.bounds);
                bars.push_back(box.adjusted(0, box.height() / 3, 0, -box.height() / 3));
                continue;
            }
            if (entry.height != fontHeight) {
                fontHeight = entry.height;
                font.setPixelSize(std::max(1, int(std::lround(pixels * emPerHeight))));
                painter->setFont(font);
            }
            const QPointF at = world.map(entry.anchor);
            painter->setPen(Qt::black);
            painter->drawText(at + QPointF(0, pixels / 2), entry.text);
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(200, 0, 0));
            painter->drawEllipse(at, 2.5, 2.5);
        }
        if (!bars.empty()) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(90, 90, 90));
            painter->drawRects(bars.data(), int(bars.size()));
        }
        painter->restore();
    }

private:
    struct Entry
    {
        QPointF anchor; // the text's position, Y down
        QString text;
        double height;
        QRectF bounds;
    };

    // Cells a rectangle touches, clamped to the grid.
    QRect cellsOf(const QRectF &rect) const
    {
        const auto column = [&](double x) {
            return std::clamp(int((x - m_bounds.left()) / m_cellWidth), 0, m_columns - 1);
        };
        const auto row = [&](double y) {
            return std::clamp(int((y - m_bounds.top()) / m_cellHeight), 0, m_rows - 1);
        };
        return QRect(QPoint(column(rect.left()), row(rect.top())),
                     QPoint(column(rect.right()), row(rect.bottom())));
    }

    void buildGrid()
    {
        const double side = std::ceil(std::sqrt(double(m_entries.size()) / 2));
        m_columns = m_rows = std::clamp(int(side), 1, 1024);
        m_cellWidth = std::max(m_bounds.width() / m_columns, 1e-9);
        m_cellHeight = std::max(m_bounds.height() / m_rows, 1e-9);
        // Two passes, counts then entries: one flat array instead of a list a cell.
        m_cellStart.assign(std::size_t(m_columns * m_rows + 1), 0);
        const auto forEachCell = [&](const QRectF &bounds, auto &&action) {
            const QRect cells = cellsOf(bounds);
            for (int row = cells.top(); row <= cells.bottom(); ++row) {
                for (int column = cells.left(); column <= cells.right(); ++column) {
                    action(std::size_t(row * m_columns + column));
                }
            }
        };
        for (const Entry &entry : m_entries) {
            forEachCell(entry.bounds, [&](std::size_t cell) { ++m_cellStart[cell + 1]; });
        }
        for (std::size_t cell = 1; cell < m_cellStart.size(); ++cell) {
            m_cellStart[cell] += m_cellStart[cell - 1];
        }
        m_cellTexts.assign(std::size_t(m_cellStart.back()), 0);
        std::vector<int> filled(m_cellStart.begin(), m_cellStart.end() - 1);
        for (std::size_t index = 0; index < m_entries.size(); ++index) {
            forEachCell(m_entries[index].bounds, [&](std::size_t cell) {
                m_cellTexts[std::size_t(filled[cell]++)] = int(index);
            });
        }
    }

    // Indexes of the texts whose box meets `rect`, in file order.
    std::vector<int> textsIn(const QRectF &rect) const
    {
        std::vector<int> found;
        if (m_entries.empty() || !rect.intersects(m_bounds)) {
            return found;
        }
        // A text spanning several cells is met once.
        ++m_stamp;
        const QRect cells = cellsOf(rect);
        for (int row = cells.top(); row <= cells.bottom(); ++row) {
            for (int column = cells.left(); column <= cells.right(); ++column) {
                const std::size_t cell = std::size_t(row * m_columns + column);
                for (int at = m_cellStart[cell]; at < m_cellStart[cell + 1]; ++at) {
                    const int index = m_cellTexts[std::size_t(at)];
                    if (m_stamps[std::size_t(index)] != m_stamp &&
                        m_entries[std::size_t(index)].bounds.intersects(rect)) {
                        m_stamps[std::size_t(index)] = m_stamp;
                        found.push_back(index);
                    }
                }
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    std::vector<Entry> m_entries;
    QRectF m_bounds;
    std::optional<qsizetype> m_selected;
    int m_columns = 1;
    int m_rows = 1;
    double m_cellWidth = 1;
    double m_cellHeight = 1;
    std::vector<int> m_cellStart;
    std::vector<int> m_cellTexts;
    mutable std::vector<unsigned> m_stamps;
    mutable unsigned m_stamp = 0;
};

DrawingTextsView::DrawingTextsView(QWidget *parent) : QGraphicsView(parent)
{
    // The layer keeps its own index; the scene's would only cost time.
    m_scene.setItemIndexMethod(QGraphicsScene::NoIndex);
    m_layer = new TextLayer;
    m_scene.addItem(m_layer);
    setScene(&m_scene);
    setBackgroundBrush(Qt::white);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    setDragMode(ScrollHandDrag);
    // Bars that come and go would resize the viewport, and so move the drawing.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTransformationAnchor(AnchorUnderMouse);
    setViewportUpdateMode(SmartViewportUpdate);
    setMouseTracking(true);
    for (int field = 0; field < ColumnLayout::Count; ++field) {
        const QColor colour = fieldColours[std::size_t(field)];
        QPen pen(colour, 2);
        pen.setCosmetic(true);
        auto *square = m_scene.addRect(QRectF(), pen);
        square->setZValue(2);
        square->hide();
        m_squares[std::size_t(field)] = square;
        auto *label = m_scene.addSimpleText(ColumnLayout::title(field));
        label->setBrush(colour);
        // Readable at any zoom.
        label->setFlag(QGraphicsItem::ItemIgnoresTransformations);
        // Above the square's corner, clear of the texts inside it (arrangeLabels).
        label->setZValue(3);
        label->hide();
        m_labels[std::size_t(field)] = label;
    }
}

void DrawingTextsView::setTexts(const QList<DrawingTexts::Text> &texts)
{
    m_layer->setTexts(texts);
    m_textCount = texts.size();
    m_selected.reset();
    m_hovered.reset();
    m_textsRect = m_layer->boundingRect();
    updateSceneRect(true);
    m_fitted = true;
    fitPage();
}

void DrawingTextsView::setCapturePoints(const std::array<std::optional<QPointF>, 6> &points)
{
    for (std::size_t field = 0; field < points.size(); ++field) {
        const std::optional<QPointF> &point = points[field];
        m_squares[field]->setVisible(point.has_value());
        m_labels[field]->setVisible(point.has_value());
        if (point) {
            const QRectF square(point->x() - 5, -point->y() - 5, 10, 10);
            m_squares[field]->setRect(square);
            m_labels[field]->setPos(square.topLeft());
        }
    }
    updateSceneRect();
    arrangeLabels();
}

void DrawingTextsView::arrangeLabels()
{
    std::vector<QRectF> placed;
    for (QGraphicsSimpleTextItem *label : m_labels) {
        if (!label->isVisible()) {
            continue;
        }
        // Labels ignore the view's scale, so their offsets are in pixels.
        const QPointF corner = mapFromScene(label->pos());
        const QSizeF size = label->boundingRect().size();
        QRectF rect(corner - QPointF(0, size.height()), size);
        for (bool moved = true; moved;) {
            moved = false;
            for (const QRectF &other : placed) {
                if (rect.intersects(other)) {
                    rect.moveBottom(other.top());
                    moved = true;
                }
            }
        }
        placed.push_back(rect);
        const QPointF offset = rect.topLeft() - corner;
        label->setTransform(QTransform::fromTranslate(offset.x(), offset.y()));
    }
}

QRect DrawingTextsView::labelRect(int field) const
{
    const QGraphicsSimpleTextItem *label = m_labels[std::size_t(field)];
    if (!label->isVisible()) {
        return {};
    }
    const QPointF corner = mapFromScene(label->pos());
    return QRectF(corner + QPointF(label->transform().dx(), label->transform().dy()),
                  label->boundingRect().size())
        .toAlignedRect();
}

QRectF DrawingTextsView::captureSquare(int field) const
{
    const QGraphicsRectItem *square = m_squares[std::size_t(field)];
    if (!square->isVisible()) {
        return {};
    }
    const QRectF rect = square->rect();
    return {rect.left(), -rect.bottom(), rect.width(), rect.height()};
}

QRectF DrawingTextsView::contentRect() const
{
    QRectF rect = m_textsRect;
    for (const QGraphicsRectItem *square : m_squares) {
        if (square->isVisible()) {
            rect |= square->rect();
        }
    }
    if (rect.isEmpty()) {
        rect = QRectF(-10, -10, 20, 20);
    }
    const double margin = std::max(rect.width(), rect.height()) * 0.05;
    return rect.adjusted(-margin, -margin, margin, margin);
}

void DrawingTextsView::updateSceneRect(bool anew)
{
    // Room all round, grown only when a square leaves it: a changed scene
    // would move the drawing under the user's eyes after each pick.
    const QRectF content = contentRect();
    if (anew || !m_scene.sceneRect().contains(content)) {
        const double room = std::max(content.width(), content.height());
        m_scene.setSceneRect(content.adjusted(-room, -room, room, room));
    }
}

void DrawingTextsView::selectText(std::optional<qsizetype> index, bool reveal)
{
    if (index && (*index < 0 || *index >= m_textCount)) {
        index.reset();
    }
    if (index == m_selected) {
        return;
    }
    m_selected = index;
    m_layer->setSelected(index);
    if (index && reveal) {
        ensureVisible(m_layer->textBounds(*index));
    }
}

QPoint DrawingTextsView::viewportPosition(qsizetype index) const
{
    return mapFromScene(m_layer->anchor(index));
}

void DrawingTextsView::zoomBy(double factor)
{
    m_fitted = false;
    scale(factor, factor);
    arrangeLabels();
}

void DrawingTextsView::fitPage()
{
    m_fitted = true;
    fitInView(contentRect(), Qt::KeepAspectRatio);
    arrangeLabels();
}

void DrawingTextsView::zoomTo(const QRectF &area)
{
    m_fitted = false;
    fitInView(QRectF(area.left(), -area.bottom(), area.width(), area.height()),
              Qt::KeepAspectRatio);
    arrangeLabels();
}

void DrawingTextsView::wheelEvent(QWheelEvent *event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0) {
        zoomBy(std::pow(1.25, steps));
    }
    event->accept();
}

void DrawingTextsView::mousePressEvent(QMouseEvent *event)
{
    m_pressPosition = event->position().toPoint();
    QGraphicsView::mousePressEvent(event);
}

void DrawingTextsView::mouseReleaseEvent(QMouseEvent *event)
{
    QGraphicsView::mouseReleaseEvent(event);
    // A press and release in one place is a click, anything longer a pan.
    if (event->button() == Qt::LeftButton &&
        (event->position().toPoint() - m_pressPosition).manhattanLength() <
            QApplication::startDragDistance()) {
        if (const std::optional<qsizetype> index = textAt(m_pressPosition)) {
            selectText(index, false);
            Q_EMIT textClicked(*index);
        } else {
            const QPointF point = mapToScene(m_pressPosition);
            Q_EMIT pointClicked(QPointF(point.x(), -point.y()));
        }
    }
}

void DrawingTextsView::mouseMoveEvent(QMouseEvent *event)
{
    QGraphicsView::mouseMoveEvent(event);
    if (event->buttons() != Qt::NoButton) {
        return;
    }
    const std::optional<qsizetype> index = textAt(event->position().toPoint());
    if (index != m_hovered) {
        m_hovered = index;
        Q_EMIT textHovered(index);
    }
}

void DrawingTextsView::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    if (m_fitted) {
        fitPage();
    }
}

std::optional<qsizetype> DrawingTextsView::textAt(const QPoint &viewportPoint) const
{
    // A few pixels of slack: small texts are hard to hit exactly.
    const double slack = 3 / std::max(transform().m11(), 1e-12);
    return m_layer->textAt(mapToScene(viewportPoint), slack);
}
