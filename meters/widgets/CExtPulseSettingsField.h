#pragma once

#include "foundation/widgets/CAbstatractSettingsField.h"
#include "meters/PulseSettings.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QSpinBox;

// The inner pulse group, "Дополнительные настройки": where the meter is, which meter it is
// and who is told about alarms. Which meter inputs apply depends on the device type that
// the outer group offers (checkDeviceType).
class CExtPulseSettingsField : public CAbstatractSettingsField
{
    Q_OBJECT
public:
    using SettStruct = ExtPulseSettings;

    explicit CExtPulseSettingsField(QWidget* parent = nullptr);

public slots:
    SettStruct getSettings();
    // Loads a record into the editors; the group's check state stays as it is.
    void settSettings(SettStruct optSet);
    void setDefaultSettings();
    // Enables the meter inputs that apply to a device type code.
    void checkDeviceType(int type);

private:
    QLineEdit* addLineEdit(const QString& label, const char* objectName);
    QComboBox* addComboBox(const QString& label, const char* objectName);
    QCheckBox* addCheckBox(const QString& text, const char* objectName);
    void fillComboBoxes();

    QLineEdit* m_addressLevel1 = nullptr;
    QLineEdit* m_nameLevel1 = nullptr;
    QLineEdit* m_level2 = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_infoChannel = nullptr;
    QLineEdit* m_ia = nullptr;
    QLineEdit* m_serial = nullptr;
    QDateTimeEdit* m_lastDate = nullptr;
    QSpinBox* m_calibInterval = nullptr;
    QLineEdit* m_personalNum = nullptr;
    QLineEdit* m_model = nullptr;
    QSpinBox* m_countRate = nullptr;
    QComboBox* m_countPhase = nullptr;
    QComboBox* m_water = nullptr;
    QLineEdit* m_telephones = nullptr;
    QLineEdit* m_emails = nullptr;
    QLineEdit* m_telegramChats = nullptr;
    QLineEdit* m_messageSms = nullptr;
    QLineEdit* m_messageMessenger = nullptr;
    QLineEdit* m_voiceMessage = nullptr;
    QCheckBox* m_sms = nullptr;
    QCheckBox* m_email = nullptr;
    QCheckBox* m_telegram = nullptr;
    QCheckBox* m_voice = nullptr;
    QCheckBox* m_enableDanger = nullptr;
    QCheckBox* m_userMessageDanger = nullptr;
    QCheckBox* m_appMessageDanger = nullptr;
    QCheckBox* m_displayPowerProfile = nullptr;
    QCheckBox* m_relay = nullptr;
    QComboBox* m_typeMeter = nullptr;
    QComboBox* m_status = nullptr;
    QComboBox* m_color = nullptr;
};
