#include "registration/widgets/COptionalSettingsField.h"

COptionalSettingsField::COptionalSettingsField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    setObjectName(QStringLiteral("optionalSettings"));
    setGrName(tr("Опциональные настройки"));

    m_device = new CDeviceSettingsField;
    m_classC = new CSettingsClassCDeviceField;
    m_freqPlan = new CFreqPlanSettingsField;
    appendNestedGroup(m_device);
    appendNestedGroup(m_classC);
    appendNestedGroup(m_freqPlan);
    connect(m_device, &CAbstatractSettingsField::showSetDeviceClassC, m_classC,
            [this](const QString& classText) { m_classC->showForClass(classText); });
}

COptionalSettingsField::SettStruct COptionalSettingsField::getSettings() const
{
    SettStruct settings;
    settings.device = m_device->getSettings();
    settings.classC = m_classC->getSettings();
    settings.freqPlan = m_freqPlan->getSettings();
    settings.enabled = settings.device.enabled || settings.classC.enabled || settings.freqPlan.enabled;
    return settings;
}

void COptionalSettingsField::setSettings(const SettStruct& settings)
{
    m_device->setSettings(settings.device);
    m_classC->setSettings(settings.classC);
    m_freqPlan->setSettings(settings.freqPlan);
}
