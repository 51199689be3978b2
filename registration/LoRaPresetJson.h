#pragma once

#include "registration/LoRaSettings.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVariant>

// Keys of the stored presets (a JSON array kept in the settings under loraPresets).
namespace LoRaPresetKey {
inline const QString preset = QStringLiteral("preset");
inline const QString settings = QStringLiteral("settings");
inline const QString adaptiveDataRate = QStringLiteral("adaptiveDataRate");
inline const QString preferDr = QStringLiteral("preferDr");
inline const QString preferPower = QStringLiteral("preferPower");
inline const QString rxDeviceSettings = QStringLiteral("rxDeviceSettings");
inline const QString rxWindow = QStringLiteral("rxWindow");
inline const QString delayRx1 = QStringLiteral("delayRx1");
inline const QString drRx2 = QStringLiteral("drRx2");
inline const QString delayJoin1 = QStringLiteral("delayJoin1");
inline const QString position = QStringLiteral("position");
inline const QString altitude = QStringLiteral("altitude");
inline const QString latitude = QStringLiteral("latitude");
inline const QString longitude = QStringLiteral("longitude");
inline const QString device = QStringLiteral("device");
inline const QString devName = QStringLiteral("devName");
inline const QString devClass = QStringLiteral("class");
inline const QString freqPlan = QStringLiteral("freqPlan");
inline const QString freqRx2 = QStringLiteral("freqRx2");
inline const QString serverAdrEnable = QStringLiteral("serverAdrEnable");
// "freq4" .. "freq8"
inline QString freq(int channelNumber)
{
    return QStringLiteral("freq%1").arg(channelNumber);
}
// "channel1En" .. "channel8En"
inline QString channelEn(int channelNumber)
{
    return QStringLiteral("channel%1En").arg(channelNumber);
}
} // namespace LoRaPresetKey

// Building and reading the stored presets, apart from any widget. An element is
// {"preset": name, "settings": {...}}; a missing value reads as 0, 0.0, false or empty text.
class LoRaPresetJson
{
public:
    // The first field in which the settings differ from a stored preset.
    struct Difference
    {
        QString tag; // empty: no difference
        QVariant current;
        QVariant saved;
        bool found() const { return !tag.isEmpty(); }
    };

    // What a stored text holds: the presets, or why it cannot be read. An empty text holds no
    // presets and is not refused; any other text that is not a JSON array, or repeats a key in
    // one of its objects, is refused and reads as an empty list.
    struct Stored
    {
        enum class Problem
        {
            none,
            notJson,
            notArray,
            repeatedKey
        };
        QJsonArray presets;
        Problem problem = Problem::none;
        QString repeatedKey; // shortened for a message
        bool refused() const { return problem != Problem::none; }
    };
    static Stored checkStored(const QString& storedText);
    // The presets of checkStored.
    static QJsonArray readStored(const QString& storedText);
    static QString toStoredText(const QJsonArray& presets);

    // Non-empty names in stored order, each once.
    static QStringList presetNames(const QJsonArray& presets);
    // Index of the last element with exactly this name, or -1.
    static int lastIndexOf(const QJsonArray& presets, const QString& name);
    // The "settings" object of the last element with exactly this name (empty when absent).
    static QJsonObject lastSettingsOf(const QJsonArray& presets, const QString& name);

    // One element; "devName" is stored as name + "_" + the name template.
    static QJsonObject makeElement(const QString& name, const ExpertSettings& expert,
                                   const OptionalSettings& optional);

    // Write a preset's stored values over the given settings; values a preset does not hold
    // (enabled states, class C settings) stay as they are.
    static void readExpert(const QJsonObject& settings, ExpertSettings* target);
    static void readOptional(const QJsonObject& settings, OptionalSettings* target);

    // Field by field, in a fixed order; exact equality (texts case-sensitive, coordinates as doubles).
    static Difference expertDifference(const ExpertSettings& current, const QJsonObject& savedSettings);
    static Difference optionalDifference(const OptionalSettings& current, const QJsonObject& savedSettings);
};
