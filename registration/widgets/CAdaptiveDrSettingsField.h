#pragma once

#include "foundation/widgets/CAbstatractSettingsField.h"
#include "registration/LoRaSettings.h"

#include <QCoreApplication>

class QCheckBox;
class QComboBox;

// Server-side adaptive data rate: whether the server runs ADR, and the data rate and
// transmit power the device should prefer.
class CAdaptiveDrSettingsField : public CAbstatractSettingsField
{
    Q_DECLARE_TR_FUNCTIONS(CAdaptiveDrSettingsField)
public:
    using SettStruct = AdaptiveDrSettings;

    explicit CAdaptiveDrSettingsField(QWidget* parent = nullptr);

    SettStruct getSettings() const;
    // Writes the values; the group's enabled state stays as it is.
    void setSettings(const SettStruct& settings);

private:
    QCheckBox* m_serverAdrBox = nullptr;
    QComboBox* m_dataRateBox = nullptr;
    QComboBox* m_powerBox = nullptr;
};
