#pragma once

#include <QFont>
#include <QString>

class QPainter;

// The surface one page is drawn on (the preview canvas, a printer, a PDF),
// seen through the few operations the page layout uses: positions in
// millimetres from the top-left corner of the drawable area, line widths in
// device pixels, and a text cursor (CurrentX, CurrentY) at the top-left
// corner of the next text.
class DrawingTarget
{
public:
    // `painter` is active on its device; `face` is the target's own typeface.
    DrawingTarget(QPainter &painter, const QFont &face);

    static constexpr int Millimetres = 6;
    void ScaleMode(int mode);
    void DrawWidth(int pixels);
    void Line(double x1, double y1, double x2, double y2);
    // The outline of a rectangle: top-left corner, width and height.
    void LineBox(double left, double top, double width, double height);
    void FontBold(bool bold);
    void FontSize(double points);
    // Draws the text at the text cursor, which then moves to the next line.
    void Print(const QString &text);
    // A whole number: a blank (the place of the sign) and its digits.
    void Print(int number);

    double CurrentX = 0;
    double CurrentY = 0;

    QFont font() const { return m_font; }

private:
    QPointF toDevice(double x, double y) const;

    QPainter &m_painter;
    QFont m_font;
    double m_pixelsPerMillimetre = 1;
};
