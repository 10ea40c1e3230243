#pragma once

#include "extract/drawingtexts.h"

#include <QGraphicsScene>
#include <QGraphicsView>

#include <array>
#include <optional>

class QGraphicsRectItem;
class QGraphicsSimpleTextItem;

// Draws a drawing's texts where they stand (X to the right, Y up) with the
// six capture squares over them. The wheel zooms, dragging pans; a click
// or a hover names the text under the mouse by its index in file order.
class DrawingTextsView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit DrawingTextsView(QWidget *parent = nullptr);

    void setTexts(const QList<DrawingTexts::Text> &texts);
    // The configured point of each field; none hides its square.
    void setCapturePoints(const std::array<std::optional<QPointF>, 6> &points);
    // The square of a field in drawing coordinates, empty when hidden.
    QRectF captureSquare(int field) const;

    // Marks a text, scrolling it into sight unless `reveal` is false (it is
    // under the mouse already: scrolling then would move it from there).
    void selectText(std::optional<qsizetype> index, bool reveal = true);
    std::optional<qsizetype> selectedText() const { return m_selected; }
    // Where a text's position is on the viewport.
    QPoint viewportPosition(qsizetype index) const;
    // Where a field's label stands on the viewport, empty when hidden.
    QRect labelRect(int field) const;

    void zoomBy(double factor);
    void fitPage();
    // Shows this part of the drawing (X right, Y up) as large as it fits.
    void zoomTo(const QRectF &area);

Q_SIGNALS:
    void textClicked(qsizetype index);
    // A click away from every text, at this point of the drawing.
    void pointClicked(const QPointF &point);
    void textHovered(std::optional<qsizetype> index);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    std::optional<qsizetype> textAt(const QPoint &viewportPoint) const;
    void updateSceneRect(bool anew = false);
    // The texts and squares with a little margin: what 「ページ全体」 shows.
    QRectF contentRect() const;
    // Stacks labels whose squares meet, so each stays readable at any zoom.
    void arrangeLabels();

    class TextLayer;

    QGraphicsScene m_scene;
    TextLayer *m_layer;
    qsizetype m_textCount = 0;
    std::array<QGraphicsRectItem *, 6> m_squares{};
    std::array<QGraphicsSimpleTextItem *, 6> m_labels{};
    QRectF m_textsRect;
    std::optional<qsizetype> m_selected;
    std::optional<qsizetype> m_hovered;
    QPoint m_pressPosition;
    bool m_fitted = true; // follows the window's size until the user zooms
};
