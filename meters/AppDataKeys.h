#pragma once

#include <QString>

// Keys of a meter device's application-data document, exactly as the server stores them.
namespace AppDataKey {

// Outer object: one element of the "data_list" of "manage_device_appdata_req".
inline const QString devEui = QStringLiteral("devEui");
inline const QString sn = QStringLiteral("sn");
inline const QString deviceType = QStringLiteral("device_type");
inline const QString version = QStringLiteral("version");
inline const QString group = QStringLiteral("group");
inline const QString otherInfo1 = QStringLiteral("other_info_1"); // the inner object as JSON text

// Inner object.
inline const QString addressLevel1 = QStringLiteral("address_level_1");
inline const QString nameLevel1 = QStringLiteral("name_level_1");
inline const QString level2 = QStringLiteral("level_2");
inline const QString name = QStringLiteral("name");
inline const QString numChannel = QStringLiteral("num_channel");
inline const QString status = QStringLiteral("status");
inline const QString color = QStringLiteral("color");
inline const QString infoChannel = QStringLiteral("info_channel");
inline const QString kt = QStringLiteral("kt");
inline const QString lastDate = QStringLiteral("last_date");
inline const QString calibInterval = QStringLiteral("calib_interval");
inline const QString ia = QStringLiteral("ia");
inline const QString serial = QStringLiteral("serial");
inline const QString model = QStringLiteral("model");
inline const QString personalNum = QStringLiteral("personal_num");
inline const QString typeMeter = QStringLiteral("type_meter");
inline const QString typeChannel = QStringLiteral("type_channel");
inline const QString telephones = QStringLiteral("telephones");
inline const QString emails = QStringLiteral("emails");
inline const QString telegramChats = QStringLiteral("telegram_chats");
inline const QString sms = QStringLiteral("sms");
inline const QString email = QStringLiteral("email");
inline const QString telegram = QStringLiteral("telegram");
inline const QString enableDanger = QStringLiteral("enable_danger");
inline const QString messageSms = QStringLiteral("message_sms");
inline const QString messageMessenger = QStringLiteral("message_messenger");
inline const QString voice = QStringLiteral("voice");
inline const QString voiceMessage = QStringLiteral("voice_message");
inline const QString countRate = QStringLiteral("count_rate");
inline const QString countPhase = QStringLiteral("count_phase");
inline const QString displayPowerProfile = QStringLiteral("display_power_profile");
inline const QString relay = QStringLiteral("relay");
inline const QString userMessageDanger = QStringLiteral("user_message_danger");
inline const QString appMessageDanger = QStringLiteral("app_message_danger");
inline const QString water = QStringLiteral("water");

} // namespace AppDataKey
