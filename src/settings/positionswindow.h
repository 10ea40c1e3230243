#pragma once

#include <QPointer>
#include <QWidget>

#include <array>

class Dialogs;
class DrawingTextsWindow;
class PositionSettings;
class QLineEdit;

// The window in which the user reads and changes the twelve positions of one
// set. It
// shows the values last confirmed; "ｾｯﾄ" takes the fields over and stores
// them at once. Fields whose text is no number are marked, never refused.
// A drawing chosen with 「図面から選ぶ…」 or dropped on the window opens in
// 「図面の文字」, where positions are picked instead of typed.
class PositionsWindow : public QWidget
{
    Q_OBJECT

public:
    // `set`: 0 to 2, the set the window shows and stores.
    PositionsWindow(PositionSettings &positions, Dialogs &dialogs, int set = 0);

    int set() const { return m_set; }
    const PositionSettings &positions() const { return m_positions; }

    // Refills every field from the confirmed values.
    void reload();
    QLineEdit *field(int entry) const { return m_fields[std::size_t(entry)]; }

    // The "ｾｯﾄ" button: copies the fields into the positions and stores them.
    void confirm();

    // The boxes as they stand, typed or picked, stored or not.
    std::array<QString, 12> fieldTexts() const;
    // Puts a point into field `column`'s two boxes as if typed.
    void typePoint(int column, const QString &x, const QString &y);

    // Shows a drawing's texts in 「図面の文字」; a drawing that cannot be read is told.
    void openDrawing(const QString &path);
    void chooseDrawing();
    DrawingTextsWindow *drawingWindow() const;

    // 「項目名…」: the label words and whether drawings are read by them.
    void editLabels();

Q_SIGNALS:
    // Any box changed, by typing, picking or reloading.
    void fieldsEdited();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The six frames with their X and Y boxes, in twips.
    void createFields(int frameWidth, int fieldWidth);
    void markField(int entry);

    PositionSettings &m_positions;
    Dialogs &m_dialogs;
    int m_set;
    std::array<QLineEdit *, 12> m_fields{};
    QPointer<DrawingTextsWindow> m_drawingWindow;
    QString m_lastDrawing;
};
