#include "drawingtarget.h"

#include "textfit.h"

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
    // One dot of a 1200 dpi printer is too thin to survive a photocopier.
    const double least = 0.1 * pixels * m_painter.device()->logicalDpiX() / 25.4;
    pen.setWidthF(std::max<double>(pixels, least));
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
    drawAt(text, CurrentX, toDevice(0, CurrentY).y() + metrics.ascent(), m_font, 1);
    CurrentY += metrics.height() / m_pixelsPerMillimetre;
}

double DrawingTarget::widthOf(const QString &text, const QFont &font) const
{
    return QFontMetricsF(font, m_painter.device()).horizontalAdvance(text) / m_pixelsPerMillimetre;
}

bool DrawingTarget::PrintFitted(const QString &text, double left, double right, Align align,
                                double bandTop, double bandBottom)
{
    const double room = right - left;
    const TextFit::Fitted fitted =
        TextFit::fit(text, room, m_font.pointSizeF(), TextFit::referenceMeasure(m_font));
    QFont font = m_font;
    font.setPointSizeF(fitted.points);
    const auto place = [&](const QString &line, double baseline) {
        const double natural = widthOf(line, font);
        // The device's own widths may differ a little from the reference.
        const double stretch = natural > room && natural > 0 ? room / natural : 1;
        const double drawn = natural * stretch;
        const double x = align == Align::Right    ? right - drawn
                         : align == Align::Centre ? (left + right - drawn) / 2
                                                  : left;
        drawAt(line, x, baseline, font, stretch);
    };
    const QFontMetricsF own(m_font, m_painter.device());
    if (fitted.lines.size() == 1) {
        // The baseline stays where the target's own font puts it, so a
        // shrunk text still stands on the line of its neighbours.
        place(fitted.lines.constFirst(), toDevice(0, CurrentY).y() + own.ascent());
    } else {
        const double em = fitted.points * TextFit::millimetresPerPoint;
        const double gap = std::max(0.0, (bandBottom - bandTop - 2 * em) / 3);
        for (qsizetype line = 0; line < fitted.lines.size(); ++line) {
            const double top = bandTop + gap + double(line) * (em + gap);
            place(fitted.lines.at(line), toDevice(0, top + ideographicAscent * em).y());
        }
    }
    CurrentY += own.height() / m_pixelsPerMillimetre;
    return fitted.shortened;
}

void DrawingTarget::drawAt(const QString &text, double x, double baseline, const QFont &font,
                           double stretch)
{
    m_painter.save();
    m_painter.setFont(font);
    m_painter.translate(toDevice(x, 0).x(), baseline);
    m_painter.scale(stretch, 1);
    m_painter.drawText(QPointF(0, 0), text);
    m_painter.restore();
}

void DrawingTarget::Print(int number)
{
    Print((number < 0 ? QStringLiteral("-") : QStringLiteral(" ")) +
          QString::number(std::abs(number)));
}
