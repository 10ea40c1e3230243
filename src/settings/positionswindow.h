#pragma once

#include <QWidget>

#include <array>

class Dialogs;
class PositionSettings;
class QLineEdit;

// The window in which the user reads and changes the twelve positions. It
// shows the values last confirmed; "ｾｯﾄ" takes the fields over and stores
// them at once. Fields whose text is no number are marked, never refused.
class PositionsWindow : public QWidget
{
    Q_OBJECT

public:
    PositionsWindow(PositionSettings &positions, Dialogs &dialogs);

    // Refills every field from the confirmed values.
    void reload();
    QLineEdit *field(int entry) const { return m_fields[std::size_t(entry)]; }

    // The "ｾｯﾄ" button: copies the fields into the positions and stores them.
    void confirm();

private:
    void markField(int entry);

    PositionSettings &m_positions;
    Dialogs &m_dialogs;
    std::array<QLineEdit *, 12> m_fields{};
};
