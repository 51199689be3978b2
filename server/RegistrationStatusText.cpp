#include "server/RegistrationStatusText.h"

#include "server/Protocol.h"

#include <QCoreApplication>
#include <QHash>

QString registrationStatusText(const QString& status)
{
    using namespace Protocol::Status;
    // The server's own English descriptions; they are shown as they stand.
    static const QHash<QString, QString> texts = {
        {repetitionDevAddr, QStringLiteral("Device is already registered on server")},
        {invalidDevEui, QStringLiteral("Invalid size of device EUI")},
        {invalidAbpParamList, QStringLiteral("Invalid mandatory parameters list for “ABP” section")},
        {invalidDevAddrValue, QStringLiteral("Invalid “devAddress” value")},
        {invalidSessionKeyValue, QStringLiteral("Invaliud size of “appsKey” or/and “nwksKey”")},
        {invalidOtaaParamList, QStringLiteral("Invalid mandatory parameters list for “OTAA” section")},
        {invalidAppKeyValue, QStringLiteral("Invalid size of “appKey”")},
        {noRegisterKeys,
         QStringLiteral("Device is not exist yet and packet doesn’t contain registration information")},
        {abpReginfoAlreadyExist,
         QStringLiteral("ABP activation information for corresponding device is already existed on server")},
        {reginfoAlreadyExist,
         QStringLiteral("Registration information for corresponding device is already existed on server")},
        {maxDevCountReached, QStringLiteral("Maximum device count limitation has reached")},
        {added, QStringLiteral("Device is not existed on server before and is registered with corresponding "
                               "registration information")},
        {updated, QStringLiteral("Some parameters are updated for corresponding device")},
        {nothingToUpdate, QStringLiteral("Changes from existing device parameters is not detected")},
        {updateViaMacBuffer,
         QStringLiteral(
             "Received parameters should be updated via MAC commands and ones couldn’t be applied")},
        {invalidPower, QStringLiteral("Invalid value for “preferPower” parameter")},
        {invalidChannelMaskParamList,
         QStringLiteral("Invalid mandatory parameters list in section “channelMask”")},
    };
    if (status == emptyDataForUpdate)
        return QCoreApplication::translate("RegistrationStatus",
                                           "Не было описания ошибки emptyDataForUpdate");
    return texts.value(status);
}
