#include "registration/DeviceCompletion.h"

#include "server/Protocol.h"

#include <QtGlobal>

namespace {
const QString devEuiPlaceholder = QStringLiteral("%deveui");
const QString datePlaceholder = QStringLiteral("%date");
const QString serialPlaceholder = QStringLiteral("%sn");
const QString counterPlaceholder = QStringLiteral("%n");
const QString dateFormat = QStringLiteral("dd.MM.yyyy");
} // namespace

QString DeviceCompletion::deviceName(const QString& nameTemplate, const NameValues& values, int* listCounter)
{
    QString name = nameTemplate;
    name.replace(devEuiPlaceholder, values.devEui);
    name.replace(datePlaceholder, values.date.toString(dateFormat));
    name.replace(serialPlaceholder, values.serialNumber);
    if (listCounter && name.contains(counterPlaceholder)) {
        name.replace(counterPlaceholder, QString::number(*listCounter));
        ++*listCounter;
    }
    return name;
}

double DeviceCompletion::limitedCoordinate(double value, double limit)
{
    return qBound(-limit, value, limit);
}

LoRaDevice DeviceCompletion::completed(const LoRaDevice& device, const ChosenSettings& settings,
                                       const QString& name)
{
    LoRaDevice result = device;
    result.devName = name;
    applyClass(&result, settings.optional);
    applyFrequencyPlan(&result, settings.optional.freqPlan);
    applyExpert(&result, settings.expert);
    return result;
}

QVector<LoRaDevice> DeviceCompletion::completedList(const QVector<LoRaDevice>& devices,
                                                    const ChosenSettings& settings, const QDate& date,
                                                    int* listCounter)
{
    QVector<LoRaDevice> result;
    result.reserve(devices.size());
    int ownCounter = 1;
    int& counter = listCounter ? *listCounter : ownCounter;
    for (const LoRaDevice& device : devices) {
        if (!device.hasOtaaCredentials()) {
            result.append(device);
            continue;
        }
        const QString name =
            deviceName(settings.optional.device.nameTemplate, {device.devEui, device.sn, date}, &counter);
        result.append(completed(device, settings, name));
    }
    return result;
}

void DeviceCompletion::applyClass(LoRaDevice* device, const OptionalSettings& optional)
{
    const QString& devClass = optional.device.devClass;
    if (!devClass.isEmpty())
        device->devClass = devClass;
    if (devClass == Protocol::DeviceClass::classC && optional.classC.enabled) {
        device->reactionTime = optional.classC.reactionTime;
        device->useDownlinkQueueClassC = optional.classC.useDownlinkQueue;
        // The downlink-queue flag goes out only with an open gate: the operator chose it.
        device->classCGate = 1;
    } else {
        device->reactionTime = -1;
        device->classCGate = -1;
    }
}

void DeviceCompletion::applyFrequencyPlan(LoRaDevice* device, const FreqPlanSettings& plan)
{
    for (size_t i = 0; i < device->channelEn.size(); ++i)
        device->channelEn[i] = i < plan.channelEn.size() && plan.channelEn[i];
    device->freq4 = plan.freq4;
    device->freq5 = plan.freq5;
    device->freq6 = plan.freq6;
    device->freq7 = plan.freq7;
    device->freq8 = plan.freq8;
    device->freqRx2 = plan.freqRx2;
}

void DeviceCompletion::applyExpert(LoRaDevice* device, const ExpertSettings& expert)
{
    if (expert.adr.enabled) {
        device->serverAdrEnable = expert.adr.serverAdrEnable;
        device->preferDr = expert.adr.preferDr;
        device->preferPower = expert.adr.preferPower;
    } else {
        // The server's own ADR choice is left as the record has it.
        device->preferDr = -1;
        device->preferPower = -1;
    }
    if (expert.rx.enabled) {
        device->rxWindow = expert.rx.rxWindow;
        device->delayRx1 = expert.rx.delayRx1;
        device->drRx2 = expert.rx.drRx2;
        device->delayJoin1 = expert.rx.delayJoin1;
    } else {
        device->rxWindow = device->delayRx1 = device->drRx2 = device->delayJoin1 = -1;
    }
    if (expert.location.enabled) {
        device->latitude = limitedCoordinate(expert.location.latitude, latitudeLimit);
        device->longitude = limitedCoordinate(expert.location.longitude, longitudeLimit);
        device->altitude = expert.location.altitude;
    } else {
        device->altitude = -1;
        device->latitude = device->longitude = -1.0;
    }
}
