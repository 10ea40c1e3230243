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
    // Like Print, but the text stays between left and right (mm): one that
    // would run past right moves left, and one wider than the space is
    // condensed to fit; below half its width the font shrinks as well.
    void PrintBetween(const QString &text, double left, double right);

    double CurrentX = 0;
    double CurrentY = 0;

    QFont font() const { return m_font; }

    // Narrowest condensing before the font shrinks, as a share of the width.
    static constexpr double minimumStretch = 0.5;

private:
    void drawAt(const QString &text, double x, const QFont &font, double stretch);
    QPointF toDevice(double x, double y) const;

    QPainter &m_painter;
    QFont m_font;
    double m_pixelsPerMillimetre = 1;
};
