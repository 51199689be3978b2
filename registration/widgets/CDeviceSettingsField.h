#pragma once

#include "foundation/widgets/CAbstatractSettingsField.h"
#include "registration/LoRaSettings.h"

#include <QCoreApplication>

class QComboBox;
class QLineEdit;

// The device's name template ("%deveui", "%date", "%sn", "%n" are filled in when it is
// registered) and its LoRaWAN class.
class CDeviceSettingsField : public CAbstatractSettingsField
{
    Q_DECLARE_TR_FUNCTIONS(CDeviceSettingsField)
public:
    using SettStruct = DeviceSettings;

    explicit CDeviceSettingsField(QWidget* parent = nullptr);

    SettStruct getSettings() const;
    // Selects the class without emitting showSetDeviceClassC: only the operator's own
    // choice shows or hides the class C settings.
    void setSettings(const SettStruct& settings);

private:
    QLineEdit* m_nameEdit = nullptr;
    QComboBox* m_classBox = nullptr;
};
