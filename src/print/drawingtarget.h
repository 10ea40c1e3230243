#pragma once

#include <QFont>
#include <QString>

class QPainter;

// The surface one page is drawn on (the preview canvas, a printer, a PDF),
// seen through the few operations the page layout uses: positions in
// millimetres from the top-left corner of the drawable area, line widths in
// device pixels (never thinner than a tenth of a millimetre each), and a
// text cursor (CurrentX, CurrentY) at the top-left
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
    enum class Align { Left, Centre, Right };
    // Like Print, but the text stays between left and right (mm), against
    // the one edge `align` names, fitted as TextFit says; two lines share
    // the band from bandTop to bandBottom. True when the text was cut.
    bool PrintFitted(const QString &text, double left, double right, Align align, double bandTop,
                     double bandBottom);

    double CurrentX = 0;
    double CurrentY = 0;

    QFont font() const { return m_font; }

private:
    // Draws at x (mm) on the baseline (device pixels), condensed by `stretch`.
    void drawAt(const QString &text, double x, double baseline, const QFont &font, double stretch);
    double widthOf(const QString &text, const QFont &font) const;
    QPointF toDevice(double x, double y) const;

    // Where the baseline of a line lies in its em box, as in Japanese faces.
    static constexpr double ideographicAscent = 0.88;

    QPainter &m_painter;
    QFont m_font;
    double m_pixelsPerMillimetre = 1;
};
