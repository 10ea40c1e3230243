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
    const QFontMetricsF metrics(m_font, m_painter.device());
    m_painter.setFont(m_font);
    const QPointF topLeft = toDevice(CurrentX, CurrentY);
    // Texts are never clipped: a long one runs on over the next column.
    m_painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
    CurrentY += metrics.height() / m_pixelsPerMillimetre;
}

void DrawingTarget::Print(int number)
{
    Print((number < 0 ? QStringLiteral("-") : QStringLiteral(" ")) +
          QString::number(std::abs(number)));
}
