#include "positionsettings.h"

#include "settingsstore.h"

namespace {

const QString application = QStringLiteral("Radoverurid");
const QString section = QStringLiteral("XYIni");
const QString labelSection = QStringLiteral("XYLabels");

QString setSection(int index)
{
    return index == 0 ? section : section + QString::number(index + 1);
}

} // namespace

QString PositionSettings::keyName(int entry)
{
    return QStringLiteral("Key") + QString::number(entry + 1);
}

PositionSettings::PositionSettings(SettingsStore &store) : m_store(store) {}

void PositionSettings::LoadPositionSettings()
{
    for (int entry = 0; entry < Count; ++entry) {
        XYPos[entry] =
            m_store.GetSetting(application, section, keyName(entry), QStringLiteral("0"));
    }
    for (int index = 1; index < Sets; ++index) {
        for (int entry = 0; entry < Count; ++entry) {
            set(index)[std::size_t(entry)] = m_store.GetSetting(
                application, setSection(index), keyName(entry), QStringLiteral("0"));
        }
    }
    byLabels = m_store.GetSetting(application, labelSection, QStringLiteral("Use"),
                                  QStringLiteral("1")) != QLatin1String("0");
    const auto defaults = TitleLabels::defaultWords();
    for (int field = 0; field < TitleLabels::Fields; ++field) {
        const QString stored =
            m_store.GetSetting(application, labelSection, QStringLiteral("Words%1").arg(field + 1),
                               defaults[std::size_t(field)].join(QLatin1Char('\n')));
        labelWords[std::size_t(field)] = stored.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
}

std::array<QString, PositionSettings::Count> &PositionSettings::set(int index)
{
    return index == 0 ? XYPos : otherSets[std::size_t(index - 1)];
}

const std::array<QString, PositionSettings::Count> &PositionSettings::set(int index) const
{
    return index == 0 ? XYPos : otherSets[std::size_t(index - 1)];
}

bool PositionSettings::saveSet(int index)
{
    if (index == 0) {
        return SavePositionSettings();
    }
    for (int entry = 0; entry < Count; ++entry) {
        m_store.SaveSetting(application, setSection(index), keyName(entry),
                            set(index)[std::size_t(entry)]);
    }
    return m_store.flush();
}

bool PositionSettings::saveLabels()
{
    m_store.SaveSetting(application, labelSection, QStringLiteral("Use"),
                        byLabels ? QStringLiteral("1") : QStringLiteral("0"));
    for (int field = 0; field < TitleLabels::Fields; ++field) {
        m_store.SaveSetting(application, labelSection, QStringLiteral("Words%1").arg(field + 1),
                            labelWords[std::size_t(field)].join(QLatin1Char('\n')));
    }
    return m_store.flush();
}

TitleExtractor::Sources PositionSettings::sources() const
{
    return {{XYPos, otherSets[0], otherSets[1]}, byLabels, TitleLabels(labelWords)};
}

bool PositionSettings::SavePositionSettings()
{
    for (int entry = 0; entry < Count; ++entry) {
        m_store.SaveSetting(application, section, keyName(entry), XYPos[entry]);
    }
    return m_store.flush();
}

QString PositionSettings::storeLocation() const
{
    return m_store.location();
}
