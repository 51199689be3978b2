// The stored presets text: read, every preset applied to the settings and compared with
// them, and written back.
#include "FuzzSupport.h"

#include "registration/LoRaPresetJson.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QJsonArray presets = LoRaPresetJson::readStored(QString::fromUtf8(FuzzSupport::bytes(data, size)));
    for (const QString& name : LoRaPresetJson::presetNames(presets)) {
        LoRaPresetJson::lastIndexOf(presets, name);
        const QJsonObject settings = LoRaPresetJson::lastSettingsOf(presets, name);
        ExpertSettings expert;
        OptionalSettings optional;
        LoRaPresetJson::readExpert(settings, &expert);
        LoRaPresetJson::readOptional(settings, &optional);
        LoRaPresetJson::expertDifference(expert, settings);
        LoRaPresetJson::optionalDifference(optional, settings);
        QJsonArray written = presets;
        written.append(LoRaPresetJson::makeElement(name, expert, optional));
        LoRaPresetJson::readStored(LoRaPresetJson::toStoredText(written));
    }
    return 0;
}
