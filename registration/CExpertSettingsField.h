#pragma once

#include "registration/CAbstatractSettingsField.h"
#include "registration/CAdaptiveDrSettingsField.h"
#include "registration/CLocationSettingsField.h"
#include "registration/CRxSettingsField.h"

#include <QCoreApplication>

// The expert settings of the registration page: adaptive data rate, RX windows, location.
class CExpertSettingsField : public CAbstatractSettingsField
{
    Q_DECLARE_TR_FUNCTIONS(CExpertSettingsField)
public:
    struct SettStruct
    {
        // True when any nested group is in use.
        bool enabled = false;
        CAdaptiveDrSettingsField::SettStruct adr;
        CRxSettingsField::SettStruct rx;
        CLocationSettingsField::SettStruct location;
    };

    explicit CExpertSettingsField(QWidget* parent = nullptr);

    SettStruct getSettings() const;
    // Hands each part to its nested group; no group's enabled state changes.
    void setSettings(const SettStruct& settings);

    CAdaptiveDrSettingsField* adaptiveDrField() const { return m_adaptiveDr; }
    CRxSettingsField* rxField() const { return m_rx; }
    CLocationSettingsField* locationField() const { return m_location; }

private:
    CAdaptiveDrSettingsField* m_adaptiveDr = nullptr;
    CRxSettingsField* m_rx = nullptr;
    CLocationSettingsField* m_location = nullptr;
};
