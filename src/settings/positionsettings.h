#pragma once

#include <QString>

#include <array>

class SettingsStore;

// The twelve configured positions: entry 2k is the X and entry 2k + 1 the Y
// of title field k (column order). Held as the text the user typed, never
// trimmed or validated; stored under "Key1" .. "Key12".
class PositionSettings
{
public:
    static constexpr int Count = 12;
    static QString keyName(int entry); // "Key" + (entry + 1)

    explicit PositionSettings(SettingsStore &store);

    void LoadPositionSettings();
    // Whether the store holds any of the twelve entries; when none, every
    // position reads as the default "0" and nothing near the origin is a title.
    bool anyStored() const;
    // Writes all twelve entries; false when the store could not be written
    // (the entries keep their values either way).
    bool SavePositionSettings();

    QString storeLocation() const;

    std::array<QString, Count> XYPos;

private:
    SettingsStore &m_store;
};
