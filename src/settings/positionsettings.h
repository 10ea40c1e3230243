#pragma once

#include "extract/titleextractor.h"

#include <QString>
#include <QStringList>

#include <array>

class SettingsStore;

// The twelve configured positions: entry 2k is the X and entry 2k + 1 the Y
// of title field k (column order). Held as the text the user typed, never
// trimmed or validated; stored under "Key1" .. "Key12". Sets 2 and 3 have
// the same keys in sections of their own; the label words and whether they
// are read are stored beside them and shared by all sets.
class PositionSettings
{
public:
    static constexpr int Count = 12;
    static constexpr int Sets = TitleExtractor::Sets;
    static QString keyName(int entry); // "Key" + (entry + 1)

    explicit PositionSettings(SettingsStore &store);

    void LoadPositionSettings();
    // Writes all twelve entries; false when the store could not be written
    // (the entries keep their values either way).
    bool SavePositionSettings();

    QString storeLocation() const;

    // Set 0 is XYPos.
    std::array<QString, Count> &set(int index);
    const std::array<QString, Count> &set(int index) const;
    // Writes set `index` alone (set 0 as SavePositionSettings).
    bool saveSet(int index);
    bool saveLabels();

    // What a drop or the batch program reads drawings with.
    TitleExtractor::Sources sources() const;

    std::array<QString, Count> XYPos;
    std::array<std::array<QString, Count>, Sets - 1> otherSets;
    std::array<QStringList, TitleLabels::Fields> labelWords = TitleLabels::defaultWords();
    bool byLabels = true;

private:
    SettingsStore &m_store;
};
