#include "registration/CExpertSettingsField.h"

CExpertSettingsField::CExpertSettingsField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    setObjectName(QStringLiteral("expertSettings"));
    setGrName(tr("Экспертные настройки"));

    m_adaptiveDr = new CAdaptiveDrSettingsField;
    m_rx = new CRxSettingsField;
    m_location = new CLocationSettingsField;
    for (CAbstatractSettingsField* nested :
         {static_cast<CAbstatractSettingsField*>(m_adaptiveDr), static_cast<CAbstatractSettingsField*>(m_rx),
          static_cast<CAbstatractSettingsField*>(m_location)}) {
        appendWidget(nested);
        connect(nested, &CAbstatractSettingsField::edited, this, &CAbstatractSettingsField::edited);
    }
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
