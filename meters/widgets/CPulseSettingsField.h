#pragma once

#include "foundation/widgets/CAbstatractSettingsField.h"
#include "meters/PulseSettings.h"
#include "meters/widgets/CExtPulseSettingsField.h"

class QComboBox;
class QLineEdit;

// The outer pulse group, "Настройки Qelt Pulse": group name, firmware version and device
// type of a pulse-counter device, with the additional settings group inside it. When it is
// checked the registration page attaches application data to the devices it registers.
class CPulseSettingsField : public CAbstatractSettingsField
{
    Q_OBJECT
public:
    using SettStruct = PulseSettings;

    explicit CPulseSettingsField(QWidget* parent = nullptr);

public slots:
    SettStruct getSettings();
    // Loads a record into the editors of both groups; the check states stay as they are.
    void settSettings(SettStruct optSet);

private:
    void onDeviceTypeChanged();

    QLineEdit* m_group = nullptr;
    QComboBox* m_version = nullptr;
    QComboBox* m_deviceType = nullptr;
    CExtPulseSettingsField* m_extSettings = nullptr;
};
