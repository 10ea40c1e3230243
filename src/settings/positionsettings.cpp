#include "positionsettings.h"

#include "settingsstore.h"

namespace {

const QString application = QStringLiteral("Radoverurid");
const QString section = QStringLiteral("XYIni");

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
}

bool PositionSettings::anyStored() const
{
    // No text a user types holds this character, so it can only be the default.
    const QString absent(QChar(0xFFFF));
    for (int entry = 0; entry < Count; ++entry) {
        if (m_store.GetSetting(application, section, keyName(entry), absent) != absent) {
            return true;
        }
    }
    return false;
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
