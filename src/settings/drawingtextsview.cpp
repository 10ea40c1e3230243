#include "drawingtextsview.h"

#include "shell/columnlayout.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QToolTip>
#include <QWheelEvent>

#include <cmath>

namespace {

// Texts are laid out in a font this many pixels tall and scaled down to
// their height, so that small drawing units still give sharp glyphs.
constexpr double layoutSize = 100.0;

// One field colour each, in column order.
const std::array<QColor, 6> fieldColours = {QColor(0xd0, 0x20, 0x20), QColor(0x10, 0x70, 0xd0),
                                            QColor(0x20, 0x90, 0x30), QColor(0xb0, 0x60, 0x00),
                                            QColor(0x80, 0x30, 0xb0), QColor(0x00, 0x90, 0x90)};

QFont layoutFont()
{
    QFont font;
    font.setPixelSize(int(layoutSize));
    return font;
}

// A text at its position: the point is at the left end, halfway up, as
// title texts are usually placed. Painted as a grey bar when too small to read.
class TextItem : public QGraphicsItem
{
public:
    enum { Type = UserType + 1 };

    TextItem(const DrawingTexts::Text &text, qsizetype index, const QFontMetricsF &metrics)
        : m_text(text.text), m_index(index), m_scale(text.height / layoutSize)
    {
        setPos(text.x, -text.y);
        const double width = metrics.horizontalAdvance(m_text) * m_scale;
        m_bounds =
            QRectF(0, -text.height * 0.75, std::max(width, text.height * 0.3), text.height * 1.5);
    }

    int type() const override { return Type; }
    qsizetype index() const { return m_index; }
    QRectF boundingRect() const override { return m_bounds.adjusted(-0.5, -0.5, 0.5, 0.5); }

    void setSelected(bool selected)
    {
        m_selected = selected;
        update();
    }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *) override
    {
        const double pixelsPerUnit = option->levelOfDetailFromTransform(painter->worldTransform());
        if (m_selected) {
            painter->fillRect(m_bounds, QColor(255, 220, 80));
        }
        if (m_bounds.height() * pixelsPerUnit < 5) {
            painter->fillRect(
                m_bounds.adjusted(0, m_bounds.height() / 3, 0, -m_bounds.height() / 3),
                QColor(90, 90, 90));
            return;
        }
        painter->save();
        painter->scale(m_scale, m_scale);
        painter->setFont(layoutFont());
        painter->setPen(Qt::black);
        // Cap height about half the em: the baseline sits below the middle.
        painter->drawText(QPointF(0, layoutSize * 0.36), m_text);
        painter->restore();
        const double dot = 2.5 / pixelsPerUnit;
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(200, 0, 0));
        painter->drawEllipse(QPointF(0, 0), dot, dot);
    }

private:
    QString m_text;
    qsizetype m_index;
    double m_scale;
    QRectF m_bounds;
    bool m_selected = false;
};

TextItem *textItem(QGraphicsItem *item)
{
    return item && item->type() == TextItem::Type ? static_cast<TextItem *>(item) : nullptr;
}

} // namespace

DrawingTextsView::DrawingTextsView(QWidget *parent) : QGraphicsView(parent)
{
    setScene(&m_scene);
    setBackgroundBrush(Qt::white);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    setDragMode(ScrollHandDrag);
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
        label->setZValue(3);
        label->hide();
        m_labels[std::size_t(field)] = label;
    }
}

void DrawingTextsView::setTexts(const QList<DrawingTexts::Text> &texts)
{
    for (QGraphicsItem *item : std::as_const(m_textItems)) {
        m_scene.removeItem(item);
        delete item;
    }
    m_textItems.clear();
    m_selected.reset();
    m_hovered.reset();
    const QFontMetricsF metrics(layoutFont());
    m_textItems.reserve(texts.size());
    QRectF bounds;
    for (qsizetype index = 0; index < texts.size(); ++index) {
        auto *item = new TextItem(texts[index], index, metrics);
        m_scene.addItem(item);
        m_textItems.append(item);
        bounds |= item->mapRectToScene(item->boundingRect());
    }
    m_textsRect = bounds;
    updateSceneRect();
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

void DrawingTextsView::updateSceneRect()
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
    m_scene.setSceneRect(rect.adjusted(-margin, -margin, margin, margin));
}

void DrawingTextsView::selectText(std::optional<qsizetype> index)
{
    if (index == m_selected) {
        return;
    }
    if (m_selected) {
        static_cast<TextItem *>(m_textItems[*m_selected])->setSelected(false);
    }
    m_selected = index && *index >= 0 && *index < m_textItems.size() ? index : std::nullopt;
    if (m_selected) {
        auto *item = static_cast<TextItem *>(m_textItems[*m_selected]);
        item->setSelected(true);
        ensureVisible(item);
    }
}

QPoint DrawingTextsView::viewportPosition(qsizetype index) const
{
    return mapFromScene(m_textItems[index]->pos());
}

void DrawingTextsView::zoomBy(double factor)
{
    m_fitted = false;
    scale(factor, factor);
}

void DrawingTextsView::fitPage()
{
    fitInView(m_scene.sceneRect(), Qt::KeepAspectRatio);
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
            selectText(index);
            Q_EMIT textClicked(*index);
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
    const QRect near(viewportPoint - QPoint(3, 3), QSize(7, 7));
    const QList<QGraphicsItem *> found = items(near);
    const QPointF scenePoint = mapToScene(viewportPoint);
    std::optional<qsizetype> best;
    double bestDistance = 0;
    for (QGraphicsItem *item : found) {
        if (const TextItem *text = textItem(item)) {
            const double distance = QLineF(text->pos(), scenePoint).length();
            if (!best || distance < bestDistance) {
                best = text->index();
                bestDistance = distance;
            }
        }
    }
    return best;
}
