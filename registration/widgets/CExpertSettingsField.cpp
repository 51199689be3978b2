#include "registration/widgets/CExpertSettingsField.h"

CExpertSettingsField::CExpertSettingsField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    setObjectName(QStringLiteral("expertSettings"));
    setGrName(tr("Экспертные настройки"));

    m_adaptiveDr = new CAdaptiveDrSettingsField;
    m_rx = new CRxSettingsField;
    m_location = new CLocationSettingsField;
    appendNestedGroup(m_adaptiveDr);
    appendNestedGroup(m_rx);
    appendNestedGroup(m_location);
}

CExpertSettingsField::SettStruct CExpertSettingsField::getSettings() const
{
    SettStruct settings;
    settings.adr = m_adaptiveDr->getSettings();
    settings.rx = m_rx->getSettings();
    settings.location = m_location->getSettings();
    settings.enabled = settings.adr.enabled || settings.rx.enabled || settings.location.enabled;
    return settings;
}

void CExpertSettingsField::setSettings(const SettStruct& settings)
{
    m_adaptiveDr->setSettings(settings.adr);
    m_rx->setSettings(settings.rx);
    m_location->setSettings(settings.location);
}
