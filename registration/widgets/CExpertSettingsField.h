#pragma once

#include "foundation/widgets/CAbstatractSettingsField.h"
#include "registration/widgets/CAdaptiveDrSettingsField.h"
#include "registration/widgets/CLocationSettingsField.h"
#include "registration/widgets/CRxSettingsField.h"

#include <QCoreApplication>

// The expert settings of the registration page: adaptive data rate, RX windows, location.
class CExpertSettingsField : public CAbstatractSettingsField
{
    Q_DECLARE_TR_FUNCTIONS(CExpertSettingsField)
public:
    using SettStruct = ExpertSettings;

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
