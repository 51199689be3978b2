#pragma once

#include "foundation/widgets/CAbstatractSettingsField.h"
#include "registration/widgets/CDeviceSettingsField.h"
#include "registration/widgets/CFreqPlanSettingsField.h"
#include "registration/widgets/CSettingsClassCDeviceField.h"

#include <QCoreApplication>

// The optional settings of the registration page: name template and class, the class C
// settings (shown for class C only) and the frequency plan.
class COptionalSettingsField : public CAbstatractSettingsField
{
    Q_DECLARE_TR_FUNCTIONS(COptionalSettingsField)
public:
    using SettStruct = OptionalSettings;

    explicit COptionalSettingsField(QWidget* parent = nullptr);

    SettStruct getSettings() const;
    // Hands each part to its nested group; no group's enabled state or visibility changes.
    void setSettings(const SettStruct& settings);

    CDeviceSettingsField* deviceField() const { return m_device; }
    CSettingsClassCDeviceField* classCField() const { return m_classC; }
    CFreqPlanSettingsField* freqPlanField() const { return m_freqPlan; }

private:
    CDeviceSettingsField* m_device = nullptr;
    CSettingsClassCDeviceField* m_classC = nullptr;
    CFreqPlanSettingsField* m_freqPlan = nullptr;
};
