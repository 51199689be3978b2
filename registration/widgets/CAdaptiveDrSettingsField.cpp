#include "registration/widgets/CAdaptiveDrSettingsField.h"

#include "foundation/widgets/SettingsCombo.h"
#include "foundation/widgets/WidgetHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CAdaptiveDrSettingsField::CAdaptiveDrSettingsField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    setObjectName(QStringLiteral("adaptiveDrSettings"));
    setGrName(tr("Адаптивная скорость передачи данных"));

    m_serverAdrBox = new QCheckBox(QStringLiteral("Enable server ADR"));
    m_serverAdrBox->setObjectName(QStringLiteral("serverAdrBox"));
    m_serverAdrBox->setChecked(true);
    WIDGET::prepareInnerHLayout(innerLayout())->addWidget(m_serverAdrBox);

    m_dataRateBox = new QComboBox;
    m_dataRateBox->setObjectName(QStringLiteral("preferDrBox"));
    SettingsCombo::addItems(m_dataRateBox, SettingsCombo::numberedItems(QStringLiteral("DR"), 0, 5));
    SettingsCombo::selectCode(m_dataRateBox, 5);
    QHBoxLayout* dataRateRow = WIDGET::prepareInnerHLayout(innerLayout());
    dataRateRow->addWidget(new QLabel(tr("Скорость передачи данных")));
    dataRateRow->addWidget(m_dataRateBox);

    m_powerBox = new QComboBox;
    m_powerBox->setObjectName(QStringLiteral("preferPowerBox"));
    SettingsCombo::addItems(m_powerBox, {{QStringLiteral("14 dBm"), 14},
                                         {QStringLiteral("11 dBm"), 11},
                                         {QStringLiteral("8 dBm"), 8},
                                         {QStringLiteral("5 dBm"), 5},
                                         {QStringLiteral("2 dBm"), 2}});
    SettingsCombo::selectCode(m_powerBox, 14);
    QHBoxLayout* powerRow = WIDGET::prepareInnerHLayout(innerLayout());
    powerRow->addWidget(new QLabel(tr("Мощность передачи данных")));
    powerRow->addWidget(m_powerBox);

    connect(m_serverAdrBox, &QCheckBox::toggled, this, &CAbstatractSettingsField::edited);
    connect(m_dataRateBox, QOverload<int>::of(&QComboBox::activated), this,
            &CAbstatractSettingsField::edited);
    connect(m_powerBox, QOverload<int>::of(&QComboBox::activated), this, &CAbstatractSettingsField::edited);
}

CAdaptiveDrSettingsField::SettStruct CAdaptiveDrSettingsField::getSettings() const
{
    SettStruct settings;
    settings.enabled = isInUse();
    settings.serverAdrEnable = m_serverAdrBox->isChecked();
    settings.preferDr = SettingsCombo::currentIntCode(m_dataRateBox);
    settings.preferPower = SettingsCombo::currentIntCode(m_powerBox);
    return settings;
}

void CAdaptiveDrSettingsField::setSettings(const SettStruct& settings)
{
    m_serverAdrBox->setChecked(settings.serverAdrEnable);
    SettingsCombo::selectCode(m_dataRateBox, settings.preferDr);
    SettingsCombo::selectCode(m_powerBox, settings.preferPower);
}
