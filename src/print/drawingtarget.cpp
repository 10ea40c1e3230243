#include "drawingtarget.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

DrawingTarget::DrawingTarget(QPainter &painter, const QFont &face)
    : m_painter(painter), m_font(face)
{
    ScaleMode(Millimetres);
    DrawWidth(1);
}

void DrawingTarget::ScaleMode(int mode)
{
    if (mode == Millimetres && m_painter.device()) {
        m_pixelsPerMillimetre = m_painter.device()->logicalDpiX() / 25.4;
    }
}

void DrawingTarget::DrawWidth(int pixels)
{
    QPen pen(Qt::black);
    pen.setCosmetic(true); // device pixels, whatever the transformation
    pen.setWidth(pixels);
    pen.setCapStyle(Qt::SquareCap);
    m_painter.setPen(pen);
}

QPointF DrawingTarget::toDevice(double x, double y) const
{
    return {x * m_pixelsPerMillimetre, y * m_pixelsPerMillimetre};
}

void DrawingTarget::Line(double x1, double y1, double x2, double y2)
{
    m_painter.drawLine(toDevice(x1, y1), toDevice(x2, y2));
}

void DrawingTarget::LineBox(double left, double top, double width, double height)
{
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(QRectF(toDevice(left, top), toDevice(left + width, top + height)));
}

void DrawingTarget::FontBold(bool bold)
{
    m_font.setBold(bold);
}

void DrawingTarget::FontSize(double points)
{
    m_font.setPointSizeF(points);
}

void DrawingTarget::Print(const QString &text)
{
    drawAt(text, CurrentX, m_font, 1);
}

void DrawingTarget::PrintBetween(const QString &text, double left, double right)
{
    const auto widthOf = [this, &text](const QFont &font) {
        return QFontMetricsF(font, m_painter.device()).horizontalAdvance(text) /
               m_pixelsPerMillimetre;
    };
    const double room = right - left;
    double width = widthOf(m_font);
    if (width <= 0 || room <= 0) {
        drawAt(text, CurrentX, m_font, 1);
        return;
    }
    if (CurrentX + width <= right) {
        drawAt(text, CurrentX, m_font, 1);
        return;
    }
    if (width <= room) { // fits when it starts further left
        drawAt(text, right - width, m_font, 1);
        return;
    }
    QFont font = m_font;
    if (room / width < minimumStretch) {
        font.setPointSizeF(m_font.pointSizeF() * room / width / minimumStretch);
        width = widthOf(font); // hinting keeps it from shrinking exactly in proportion
    }
    drawAt(text, left, font, std::min(1.0, room / width));
}

void DrawingTarget::drawAt(const QString &text, double x, const QFont &font, double stretch)
{
    // The baseline stays where the target's own font puts it, so a shrunk
    // text still stands on the line of its neighbours.
    const QFontMetricsF metrics(m_font, m_painter.device());
    const QPointF topLeft = toDevice(x, CurrentY);
    m_painter.save();
    m_painter.setFont(font);
    m_painter.translate(topLeft.x(), topLeft.y() + metrics.ascent());
    m_painter.scale(stretch, 1);
    m_painter.drawText(QPointF(0, 0), text);
    m_painter.restore();
    CurrentY += metrics.height() / m_pixelsPerMillimetre;
}

void DrawingTarget::Print(int number)
{
    Print((number < 0 ? QStringLiteral("-") : QStringLiteral(" ")) +
          QString::number(std::abs(number)));
}
