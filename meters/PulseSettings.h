#pragma once

#include <QMetaType>
#include <QString>

// What the pulse settings groups hold about the meter behind a pulse-counter device. The
// field names are the keys of the application data they feed. Plain value records, so the
// application-data builder can use them without any widget.

// Device type codes ("Тип устройства") whose meter inputs or application data differ.
namespace PulseDeviceType {
constexpr int ce2726Family = 12;     // "ЦЭ 2726А, ЦЭ 2727А, Меркурий 206..."
constexpr int mercury203Family = 27; // "Меркурий 203.2TD, Меркурий 204, Меркурий 208..."
constexpr int spbzip = 24;           // "СпбЗИП": individual address and factory number of its own
constexpr int betarSve = 9;          // "Бетар СВЭ": a water meter, hot or cold
constexpr int betarSgbm = 17;        // "Бетар СГБМ"
} // namespace PulseDeviceType

// The inner group of additional settings: where the meter is, which meter it is and who is
// told about alarms.
struct ExtPulseSettings
{
    QString address_level_1 = QStringLiteral("-");
    QString name_level_1 = QStringLiteral("-");
    QString level_2 = QStringLiteral("-");
    QString name = QStringLiteral("-");
    QString info_channel = QStringLiteral("-");
    double last_date = 1604707200000.0; // verification date, ms since the epoch: 2020-11-07 00:00 UTC
    double calib_interval = 10;         // years
    QString personal_num = QStringLiteral("-");
    QString model = QStringLiteral("-");
    double count_rate = 1;
    double count_phase = 1;
    QString telephones = QStringLiteral("-");
    QString emails = QStringLiteral("-");
    QString telegram_chats = QStringLiteral("-");
    QString message_sms = QStringLiteral("-");
    QString message_messenger = QStringLiteral("-");
    QString voice_message = QStringLiteral("-");
    QString ia;
    QString serial;
    bool sms = false;
    bool email = false;
    bool telegram = false;
    bool voice = false;
    bool enable_danger = false;
    bool display_power_profile = true;
    bool relay = true;
    double type_meter = 0;
    double type_channel = 14; // no editor: every record read from the widgets carries 14
    double num_channel = 1;   // no editor
    double kt = 1;            // no editor
    double status = 1;
    int color = 1;
    bool user_message_danger = false;
    bool app_message_danger = false;
    double water = 1;
    bool enabled = false; // the inner group's check state
};

// The outer group's own inputs, which come first in its record.
struct PulseDeviceSettings
{
    QString group;
    double version = 2;
    double device_type = PulseDeviceType::ce2726Family;
};

// The outer group's record: group, version and device type, then every field of the inner
// group under its own name and in its order, then the outer group's check state. The inner
// group's check state stays reachable as ExtPulseSettings::enabled; slicing to
// ExtPulseSettings gives the inner group's record.
struct PulseSettings : PulseDeviceSettings, ExtPulseSettings
{
    bool enabled = false; // the outer group's check state: attach application data at all
};

Q_DECLARE_METATYPE(ExtPulseSettings)
Q_DECLARE_METATYPE(PulseSettings)

// Registers both records, also under the names the pulse groups use for them
// ("CExtPulseSettingsField::SettStruct", "CPulseSettingsField::SettStruct"). Safe to call often.
void registerPulseSettingsMetaTypes();
