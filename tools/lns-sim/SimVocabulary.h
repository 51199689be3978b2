#pragma once

#include <QString>

// Words the simulator speaks beyond Ravlo's own protocol vocabulary (server/Protocol.h):
// answers Ravlo does not need but a client may see, extra status words and the error replies.
namespace SimVocabulary {

namespace Cmd {
// Answer to a frame that is no request at all (not JSON, no "cmd", unknown command).
inline const QString error = QStringLiteral("error");
inline const QString sendDataResp = QStringLiteral("send_data_resp");
} // namespace Cmd

namespace Key {
// Per-downlink results of "send_data_resp".
inline const QString sendStatus = QStringLiteral("send_status");
// Extra fields of a pushed "rx" uplink.
inline const QString fcnt = QStringLiteral("fcnt");
inline const QString ts = QStringLiteral("ts");
inline const QString rssi = QStringLiteral("rssi");
inline const QString snr = QStringLiteral("snr");
// Application data keeps its meter description as JSON text under this key.
inline const QString otherInfo1 = QStringLiteral("other_info_1");
} // namespace Key

namespace Status {
// A device object with a wrong value the server has no own word for (name, position, flags).
inline const QString invalidParamValue = QStringLiteral("invalidParamValue");
// The device could not be written to the database; nothing of it was kept.
inline const QString storageError = QStringLiteral("storageError");
// "delete_devices_resp" for a DevEUI the server does not hold.
inline const QString notFound = QStringLiteral("notFound");
// "send_data_resp" words.
inline const QString queued = QStringLiteral("queued");
inline const QString invalidPort = QStringLiteral("invalidPort");
inline const QString invalidData = QStringLiteral("invalidData");
inline const QString queueFull = QStringLiteral("queueFull");
} // namespace Status

// "err_string" words of refused requests and error replies.
namespace Error {
inline const QString notAuthorized = QStringLiteral("not_authorized");
inline const QString invalidToken = QStringLiteral("invalid_token");
inline const QString invalidJson = QStringLiteral("invalid_json");
inline const QString missingCmd = QStringLiteral("missing_cmd");
inline const QString unknownCmd = QStringLiteral("unknown_cmd");
inline const QString invalidRequest = QStringLiteral("invalid_request");
inline const QString binaryFrame = QStringLiteral("binary_frame_not_supported");
inline const QString storage = QStringLiteral("storage_error");
} // namespace Error

// "device_access" of every login: the simulator has no per-user device rights.
inline const QString fullDeviceAccess = QStringLiteral("FULL");
// A LoRaWAN class the simulator knows but does not serve ("unsupportClass").
inline const QString classB = QStringLiteral("CLASS_B");

} // namespace SimVocabulary
