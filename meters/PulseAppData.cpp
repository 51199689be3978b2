#include "meters/PulseAppData.h"

#include "meters/AppDataKeys.h"
#include "server/JsonText.h"

#include <QJsonObject>

namespace {

// Channel types the server expects for the Betar meters, whatever the record says.
constexpr int betarSveChannelType = 8;
constexpr int betarSgbmChannelType = 15;

// The server takes these codes as text: 12 as "12", one and a half as "1.5".
QString codeText(double code)
{
    return QString::number(code, 'g', 6);
}

QJsonObject meterDescription(const PulseSettings& set, const QString& sn)
{
    const bool spbzip = set.device_type == PulseDeviceType::spbzip;
    const bool betarSve = set.device_type == PulseDeviceType::betarSve;
    const bool betarSgbm = set.device_type == PulseDeviceType::betarSgbm;

    QJsonObject inner{{AppDataKey::addressLevel1, set.address_level_1},
                      {AppDataKey::nameLevel1, set.name_level_1},
                      {AppDataKey::level2, set.level_2},
                      {AppDataKey::name, set.name},
                      {AppDataKey::numChannel, set.num_channel},
                      {AppDataKey::status, codeText(set.status)},
                      {AppDataKey::color, set.color},
                      {AppDataKey::infoChannel, set.info_channel},
                      {AppDataKey::kt, set.kt},
                      {AppDataKey::lastDate, set.last_date},
                      {AppDataKey::calibInterval, set.calib_interval},
                      // Only the SpbZIP meter has an address and number of its own; the others
                      // are known by the device's serial number.
                      {AppDataKey::ia, spbzip ? set.ia : sn},
                      {AppDataKey::serial, spbzip ? set.serial : sn},
                      {AppDataKey::personalNum, set.personal_num},
                      {AppDataKey::typeMeter, set.type_meter},
                      {AppDataKey::telephones, set.telephones},
                      {AppDataKey::emails, set.emails},
                      {AppDataKey::telegramChats, set.telegram_chats},
                      {AppDataKey::sms, set.sms},
                      {AppDataKey::email, set.email},
                      {AppDataKey::telegram, set.telegram},
                      {AppDataKey::enableDanger, set.enable_danger},
                      {AppDataKey::messageSms, set.message_sms},
                      {AppDataKey::messageMessenger, set.message_messenger},
                      {AppDataKey::voice, set.voice},
                      {AppDataKey::voiceMessage, set.voice_message},
                      {AppDataKey::countRate, set.count_rate},
                      {AppDataKey::displayPowerProfile, set.display_power_profile},
                      {AppDataKey::relay, set.relay},
                      {AppDataKey::userMessageDanger, set.user_message_danger},
                      {AppDataKey::appMessageDanger, set.app_message_danger}};

    if (betarSve)
        inner.insert(AppDataKey::typeChannel, betarSveChannelType);
    else if (betarSgbm)
        inner.insert(AppDataKey::typeChannel, betarSgbmChannelType);
    else
        inner.insert(AppDataKey::typeChannel, set.type_channel);

    // A water meter has neither a model nor phases, only hot or cold water.
    if (betarSve) {
        inner.insert(AppDataKey::water, set.water);
    } else {
        inner.insert(AppDataKey::model, set.model);
        inner.insert(AppDataKey::countPhase, set.count_phase);
    }
    return inner;
}

} // namespace

QJsonDocument buildPulseAppData(const PulseSettings& settings, const QString& devEui, const QString& sn)
{
    const QJsonObject inner = meterDescription(settings, sn);
    const QJsonObject outer{{AppDataKey::devEui, devEui},
                            {AppDataKey::sn, sn},
                            {AppDataKey::deviceType, codeText(settings.device_type)},
                            {AppDataKey::version, codeText(settings.version)},
                            {AppDataKey::group, settings.group},
                            {AppDataKey::otherInfo1, compactJsonText(inner)}};
    return QJsonDocument(outer);
}
