#pragma once

#include <QString>

// The vocabulary of the network server's WebSocket protocol: every command name,
// key and status word, spelled once. Keys are written exactly as the server expects them.
namespace Protocol {

// A line of 124 dashes that the client writes to the log when it is created.
inline const QString separatorLine = QString(124, QLatin1Char('-'));

namespace Cmd {
inline const QString authReq = QStringLiteral("auth_req");
inline const QString authResp = QStringLiteral("auth_resp");
inline const QString closeAuthReq = QStringLiteral("close_auth_req");
inline const QString closeAuthResp = QStringLiteral("close_auth_resp");
inline const QString serverInfoReq = QStringLiteral("server_info_req");
inline const QString serverInfoResp = QStringLiteral("server_info_resp");
inline const QString manageDevicesReq = QStringLiteral("manage_devices_req");
inline const QString manageDevicesResp = QStringLiteral("manage_devices_resp");
inline const QString getDevicesReq = QStringLiteral("get_devices_req");
inline const QString getDevicesResp = QStringLiteral("get_devices_resp");
inline const QString deleteDevicesReq = QStringLiteral("delete_devices_req");
inline const QString deleteDevicesResp = QStringLiteral("delete_devices_resp");
inline const QString sendDataReq = QStringLiteral("send_data_req");
inline const QString manageDeviceAppdataReq = QStringLiteral("manage_device_appdata_req");
inline const QString manageDeviceAppdataResp = QStringLiteral("manage_device_appdata_resp");
inline const QString rx = QStringLiteral("rx");
} // namespace Cmd

namespace Key {
inline const QString cmd = QStringLiteral("cmd");
inline const QString login = QStringLiteral("login");
inline const QString password = QStringLiteral("password");
inline const QString status = QStringLiteral("status");
inline const QString token = QStringLiteral("token");
inline const QString deviceAccess = QStringLiteral("device_access");
inline const QString errString = QStringLiteral("err_string");
inline const QString deviceCount = QStringLiteral("device_count");
inline const QString deviceCountOther = QStringLiteral("device_count_other");
inline const QString deviceCountQelt = QStringLiteral("device_count_qelt");
inline const QString devicesList = QStringLiteral("devices_list");
inline const QString select = QStringLiteral("select");
inline const QString devEuiList = QStringLiteral("devEui_list");
inline const QString devEui = QStringLiteral("devEui");
inline const QString devName = QStringLiteral("devName");
inline const QString devClass = QStringLiteral("class");
inline const QString reactionTime = QStringLiteral("reactionTime");
inline const QString useDownlinkQueueClassC = QStringLiteral("useDownlinkQueueClassC");
inline const QString frequencyPlan = QStringLiteral("frequencyPlan");
inline const QString freq4 = QStringLiteral("freq4");
inline const QString freq5 = QStringLiteral("freq5");
inline const QString freq6 = QStringLiteral("freq6");
inline const QString freq7 = QStringLiteral("freq7");
inline const QString freq8 = QStringLiteral("freq8");
inline const QString freqRx2 = QStringLiteral("freqRx2");
inline const QString rxWindow = QStringLiteral("rxWindow");
inline const QString delayRx1 = QStringLiteral("delayRx1");
inline const QString delayJoin1 = QStringLiteral("delayJoin1");
inline const QString drRx2 = QStringLiteral("drRx2");
inline const QString preferDr = QStringLiteral("preferDr");
inline const QString preferPower = QStringLiteral("preferPower");
inline const QString channelMask = QStringLiteral("channelMask");
inline const QString position = QStringLiteral("position");
inline const QString longitude = QStringLiteral("longitude");
inline const QString latitude = QStringLiteral("latitude");
inline const QString altitude = QStringLiteral("altitude");
inline const QString serverAdrEnable = QStringLiteral("serverAdrEnable");
inline const QString abp = QStringLiteral("ABP");
inline const QString devAddress = QStringLiteral("devAddress");
inline const QString appsKey = QStringLiteral("appsKey");
inline const QString nwksKey = QStringLiteral("nwksKey");
inline const QString otaa = QStringLiteral("OTAA");
inline const QString appEui = QStringLiteral("appEui");
inline const QString appKey = QStringLiteral("appKey");
inline const QString deviceAddStatus = QStringLiteral("device_add_status");
inline const QString deviceDeleteStatus = QStringLiteral("device_delete_status");
inline const QString dataList = QStringLiteral("data_list");
inline const QString updateStatus = QStringLiteral("update_status");
inline const QString data = QStringLiteral("data");
inline const QString port = QStringLiteral("port");
inline const QString ack = QStringLiteral("ack");
inline const QString type = QStringLiteral("type");

// "channel1En" .. "channel16En" for channel numbers 1 to 16.
inline QString channelEn(int channelNumber)
{
    return QStringLiteral("channel%1En").arg(channelNumber);
}
// "freq4" .. "freq8" for channel numbers 4 to 8.
inline QString freq(int channelNumber)
{
    return QStringLiteral("freq%1").arg(channelNumber);
}
} // namespace Key

namespace Status {
inline const QString added = QStringLiteral("added");
inline const QString updated = QStringLiteral("updated");
inline const QString emptyDataForUpdate = QStringLiteral("emptyDataForUpdate");
inline const QString nothingToUpdate = QStringLiteral("nothingToUpdate");
inline const QString updateViaMacBuffer = QStringLiteral("updateViaMacBuffer");
inline const QString repetitionDevAddr = QStringLiteral("repetitionDevAddr");
inline const QString reginfoAlreadyExist = QStringLiteral("reginfoAlreadyExist");
inline const QString maxDevCountReached = QStringLiteral("maxDevCountReached");
inline const QString abpReginfoAlreadyExist = QStringLiteral("abpReginfoAlreadyExist");
inline const QString noRegisterKeys = QStringLiteral("noRegisterKeys");
inline const QString invalidDevEui = QStringLiteral("invalidDevEui");
inline const QString invalidAbpParamList = QStringLiteral("invalidAbpParamList");
inline const QString invalidDevAddrValue = QStringLiteral("invalidDevAddrValue");
inline const QString invalidSessionKeyValue = QStringLiteral("invalidSessionKeyValue");
inline const QString invalidOtaaParamList = QStringLiteral("invalidOtaaParamList");
inline const QString invalidAppKeyValue = QStringLiteral("invalidAppKeyValue");
inline const QString invalidPower = QStringLiteral("invalidPower");
inline const QString invalidChannelMaskParamList = QStringLiteral("invalidChannelMaskParamList");
// Further validation words a server may answer; the page shows no text for them.
inline const QString invalidDelay = QStringLiteral("invalidDelay");
inline const QString invalidDataRate = QStringLiteral("invalidDataRate");
inline const QString invalidRxWindow = QStringLiteral("invalidRxWindow");
inline const QString unsupportClass = QStringLiteral("unsupportClass");
inline const QString invalidClass = QStringLiteral("invalidClass");
inline const QString invalidFrequencyPlan = QStringLiteral("invalidFrequencyPlan");
inline const QString frequencyPlanIsAbsant = QStringLiteral("frequencyPlanIsAbsant");
// "delete_devices_resp" status of a removed device.
inline const QString deleted = QStringLiteral("deleted");
// The login error the connection panel recognises.
inline const QString invalidLoginOrPassword = QStringLiteral("invalid_login_or_password");
} // namespace Status

namespace UplinkType {
inline const QString unconfirmed = QStringLiteral("UNCONF_UP");
inline const QString confirmed = QStringLiteral("CONF_UP");
} // namespace UplinkType

namespace DeviceClass {
inline const QString classA = QStringLiteral("CLASS_A");
inline const QString classC = QStringLiteral("CLASS_C");
} // namespace DeviceClass

// Keys of scanned label lines and of the device file.
namespace LabelKey {
inline const QString devEui = QStringLiteral("DevEUI");
inline const QString appEui = QStringLiteral("AppEUI");
inline const QString appKey = QStringLiteral("AppKey");
inline const QString devAddr = QStringLiteral("DevAdd");
inline const QString appSKey = QStringLiteral("AppSKey");
inline const QString nwkSKey = QStringLiteral("NwkSKey");
inline const QString serialNumber = QStringLiteral("SerNum");
} // namespace LabelKey

} // namespace Protocol
