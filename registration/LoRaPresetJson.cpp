#include "registration/LoRaPresetJson.h"

#include "foundation/DebugLog.h"
#include "foundation/JsonGuard.h"
#include "server/JsonText.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <array>

namespace {

std::array<qint32, 5> channelFrequencies(const FreqPlanSettings& plan)
{
    return {plan.freq4, plan.freq5, plan.freq6, plan.freq7, plan.freq8};
}

void setChannelFrequency(FreqPlanSettings* plan, int channelNumber, qint32 value)
{
    switch (channelNumber) {
    case 4:
        plan->freq4 = value;
        break;
    case 5:
        plan->freq5 = value;
        break;
    case 6:
        plan->freq6 = value;
        break;
    case 7:
        plan->freq7 = value;
        break;
    case 8:
        plan->freq8 = value;
        break;
    default:
        break;
    }
}

// Collects the first difference; later comparisons are skipped once one was found.
class FirstDifference
{
public:
    template <typename T> void compare(const QString& tag, const T& current, const T& saved)
    {
        if (m_result.found() || current == saved)
            return;
        m_result.tag = tag;
        m_result.current = QVariant::fromValue(current);
        m_result.saved = QVariant::fromValue(saved);
    }
    LoRaPresetJson::Difference result() const { return m_result; }

private:
    LoRaPresetJson::Difference m_result;
};

} // namespace

LoRaPresetJson::Stored LoRaPresetJson::checkStored(const QString& storedText)
{
    Stored stored;
    const QByteArray utf8 = storedText.toUtf8();
    // Qt's parser keeps only the last of repeated keys and loses the memory of the others.
    const RepeatedJsonKey repeated = JsonGuard::findRepeatedKey(utf8);
    if (repeated.found) {
        DEBUG_LOG << "presets:" << repeated.description() << ", read as an empty list";
        constexpr int shownCharacters = 40;
        stored.problem = Stored::Problem::repeatedKey;
        stored.repeatedKey = repeated.key.size() > shownCharacters
                                 ? repeated.key.left(shownCharacters) + QStringLiteral("...")
                                 : repeated.key;
        return stored;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(utf8, &error);
    if (document.isArray()) {
        DEBUG_LOG << "presets: array";
        stored.presets = document.array();
        return stored;
    }
    if (storedText.isEmpty()) {
        DEBUG_LOG << "presets: null";
        return stored;
    }
    if (document.isNull()) {
        DEBUG_LOG << "presets: null" << error.errorString();
        stored.problem = Stored::Problem::notJson;
    } else {
        DEBUG_LOG << "presets: object, read as an empty list";
        stored.problem = Stored::Problem::notArray;
    }
    return stored;
}

QJsonArray LoRaPresetJson::readStored(const QString& storedText)
{
    return checkStored(storedText).presets;
}

QString LoRaPresetJson::toStoredText(const QJsonArray& presets)
{
    return compactJsonArrayText(presets);
}

QStringList LoRaPresetJson::presetNames(const QJsonArray& presets)
{
    QStringList names;
    for (const QJsonValue& element : presets) {
        const QString name = element.toObject().value(LoRaPresetKey::preset).toString();
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names;
}

int LoRaPresetJson::lastIndexOf(const QJsonArray& presets, const QString& name)
{
    for (int i = presets.size() - 1; i >= 0; --i) {
        if (presets.at(i).toObject().value(LoRaPresetKey::preset).toString() == name)
            return i;
    }
    return -1;
}

QJsonObject LoRaPresetJson::lastSettingsOf(const QJsonArray& presets, const QString& name)
{
    const int index = lastIndexOf(presets, name);
    if (index < 0)
        return QJsonObject();
    return presets.at(index).toObject().value(LoRaPresetKey::settings).toObject();
}

QJsonObject LoRaPresetJson::makeElement(const QString& name, const ExpertSettings& expert,
                                        const OptionalSettings& optional)
{
    QJsonObject adaptiveDataRate;
    adaptiveDataRate.insert(LoRaPresetKey::preferDr, expert.adr.preferDr);
    adaptiveDataRate.insert(LoRaPresetKey::preferPower, expert.adr.preferPower);

    QJsonObject rx;
    rx.insert(LoRaPresetKey::rxWindow, expert.rx.rxWindow);
    rx.insert(LoRaPresetKey::delayRx1, expert.rx.delayRx1);
    rx.insert(LoRaPresetKey::drRx2, expert.rx.drRx2);
    rx.insert(LoRaPresetKey::delayJoin1, expert.rx.delayJoin1);

    QJsonObject position;
    position.insert(LoRaPresetKey::altitude, expert.location.altitude);
    position.insert(LoRaPresetKey::latitude, expert.location.latitude);
    position.insert(LoRaPresetKey::longitude, expert.location.longitude);

    QJsonObject device;
    device.insert(LoRaPresetKey::devName, name + QLatin1Char('_') + optional.device.nameTemplate);
    device.insert(LoRaPresetKey::devClass, optional.device.devClass);

    QJsonObject freqPlan;
    freqPlan.insert(LoRaPresetKey::freqPlan, optional.freqPlan.plan);
    const std::array<qint32, 5> frequencies = channelFrequencies(optional.freqPlan);
    for (int channel = 4; channel <= 8; ++channel)
        freqPlan.insert(LoRaPresetKey::freq(channel), frequencies[size_t(channel - 4)]);
    freqPlan.insert(LoRaPresetKey::freqRx2, optional.freqPlan.freqRx2);
    for (int channel = 1; channel <= FreqPlanSettings::channelCount; ++channel)
        freqPlan.insert(LoRaPresetKey::channelEn(channel), optional.freqPlan.channelEn[size_t(channel - 1)]);

    QJsonObject settings;
    settings.insert(LoRaPresetKey::adaptiveDataRate, adaptiveDataRate);
    settings.insert(LoRaPresetKey::rxDeviceSettings, rx);
    settings.insert(LoRaPresetKey::position, position);
    settings.insert(LoRaPresetKey::device, device);
    settings.insert(LoRaPresetKey::freqPlan, freqPlan);
    settings.insert(LoRaPresetKey::serverAdrEnable, expert.adr.serverAdrEnable);

    QJsonObject element;
    element.insert(LoRaPresetKey::preset, name);
    element.insert(LoRaPresetKey::settings, settings);
    return element;
}

void LoRaPresetJson::readExpert(const QJsonObject& settings, ExpertSettings* target)
{
    const QJsonObject adaptiveDataRate = settings.value(LoRaPresetKey::adaptiveDataRate).toObject();
    target->adr.serverAdrEnable = settings.value(LoRaPresetKey::serverAdrEnable).toBool();
    target->adr.preferDr = adaptiveDataRate.value(LoRaPresetKey::preferDr).toInt();
    target->adr.preferPower = adaptiveDataRate.value(LoRaPresetKey::preferPower).toInt();

    const QJsonObject rx = settings.value(LoRaPresetKey::rxDeviceSettings).toObject();
    target->rx.rxWindow = rx.value(LoRaPresetKey::rxWindow).toInt();
    target->rx.delayRx1 = rx.value(LoRaPresetKey::delayRx1).toInt();
    target->rx.drRx2 = rx.value(LoRaPresetKey::drRx2).toInt();
    target->rx.delayJoin1 = rx.value(LoRaPresetKey::delayJoin1).toInt();

    const QJsonObject position = settings.value(LoRaPresetKey::position).toObject();
    target->location.altitude = position.value(LoRaPresetKey::altitude).toInt();
    target->location.latitude = position.value(LoRaPresetKey::latitude).toDouble();
    target->location.longitude = position.value(LoRaPresetKey::longitude).toDouble();
}

void LoRaPresetJson::readOptional(const QJsonObject& settings, OptionalSettings* target)
{
    const QJsonObject device = settings.value(LoRaPresetKey::device).toObject();
    target->device.nameTemplate = device.value(LoRaPresetKey::devName).toString();
    target->device.devClass = device.value(LoRaPresetKey::devClass).toString();

    const QJsonObject freqPlan = settings.value(LoRaPresetKey::freqPlan).toObject();
    for (int channel = 4; channel <= 8; ++channel)
        setChannelFrequency(&target->freqPlan, channel, freqPlan.value(LoRaPresetKey::freq(channel)).toInt());
    target->freqPlan.freqRx2 = freqPlan.value(LoRaPresetKey::freqRx2).toInt();
    for (int channel = 1; channel <= FreqPlanSettings::channelCount; ++channel)
        target->freqPlan.channelEn[size_t(channel - 1)] =
            freqPlan.value(LoRaPresetKey::channelEn(channel)).toBool();
    target->freqPlan.plan = freqPlan.value(LoRaPresetKey::freqPlan).toString();
}

LoRaPresetJson::Difference LoRaPresetJson::expertDifference(const ExpertSettings& current,
                                                            const QJsonObject& savedSettings)
{
    ExpertSettings saved;
    readExpert(savedSettings, &saved);
    FirstDifference first;
    first.compare(QStringLiteral("srvEnableADR"), current.adr.serverAdrEnable, saved.adr.serverAdrEnable);
    first.compare(QStringLiteral("preferDr"), current.adr.preferDr, saved.adr.preferDr);
    first.compare(QStringLiteral("preferPower"), current.adr.preferPower, saved.adr.preferPower);
    first.compare(QStringLiteral("acceptDelay"), current.rx.delayJoin1, saved.rx.delayJoin1);
    first.compare(QStringLiteral("rx1Delay"), current.rx.delayRx1, saved.rx.delayRx1);
    first.compare(QStringLiteral("rx2Dr"), current.rx.drRx2, saved.rx.drRx2);
    first.compare(QStringLiteral("rxWindow"), current.rx.rxWindow, saved.rx.rxWindow);
    first.compare(QStringLiteral("altitude"), current.location.altitude, saved.location.altitude);
    first.compare(QStringLiteral("longtitude"), current.location.longitude, saved.location.longitude);
    first.compare(QStringLiteral("latitude"), current.location.latitude, saved.location.latitude);
    return first.result();
}

LoRaPresetJson::Difference LoRaPresetJson::optionalDifference(const OptionalSettings& current,
                                                              const QJsonObject& savedSettings)
{
    OptionalSettings saved;
    readOptional(savedSettings, &saved);
    FirstDifference first;
    first.compare(QStringLiteral("devClass  edited"), current.device.devClass, saved.device.devClass);
    first.compare(QStringLiteral("devName edited"), current.device.nameTemplate, saved.device.nameTemplate);
    const std::array<qint32, 5> currentFrequencies = channelFrequencies(current.freqPlan);
    const std::array<qint32, 5> savedFrequencies = channelFrequencies(saved.freqPlan);
    for (size_t i = 0; i < currentFrequencies.size(); ++i)
        first.compare(QStringLiteral("freq%1 edited").arg(i + 1), currentFrequencies[i], savedFrequencies[i]);
    first.compare(QStringLiteral("freqRx2 edited"), current.freqPlan.freqRx2, saved.freqPlan.freqRx2);
    for (size_t i = 0; i < current.freqPlan.channelEn.size(); ++i)
        first.compare(QStringLiteral("mask%1 edited").arg(i + 1), current.freqPlan.channelEn[i],
                      saved.freqPlan.channelEn[i]);
    first.compare(QStringLiteral("freq pan edited"), current.freqPlan.plan, saved.freqPlan.plan);
    return first.result();
}
