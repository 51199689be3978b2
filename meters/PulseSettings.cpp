#include "meters/PulseSettings.h"

void registerPulseSettingsMetaTypes()
{
    static const bool registered = [] {
        qRegisterMetaType<ExtPulseSettings>("ExtPulseSettings");
        qRegisterMetaType<ExtPulseSettings>("CExtPulseSettingsField::SettStruct");
        qRegisterMetaType<PulseSettings>("PulseSettings");
        qRegisterMetaType<PulseSettings>("CPulseSettingsField::SettStruct");
        return true;
    }();
    Q_UNUSED(registered)
}
