#include "registration/widgets/CRxSettingsField.h"

#include "foundation/widgets/SettingsCombo.h"
#include "foundation/widgets/WidgetHelpers.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CRxSettingsField::CRxSettingsField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    setObjectName(QStringLiteral("rxSettings"));
    setGrName(tr("Настройки устройства RX"));

    const QString seconds = QStringLiteral(" s");

    m_rxWindowBox = addComboRow(tr("Окно RX"), QStringLiteral("rxWindowBox"));
    SettingsCombo::addItems(m_rxWindowBox, SettingsCombo::numberedItems(QString(), 1, 2));
    SettingsCombo::selectCode(m_rxWindowBox, 1);

    m_delayRx1Box = addComboRow(tr("Задержка Join RX1"), QStringLiteral("delayRx1Box"));
    SettingsCombo::addItems(m_delayRx1Box, SettingsCombo::numberedItems(QString(), 1, 15, seconds));
    SettingsCombo::selectCode(m_delayRx1Box, 1);

    m_drRx2Box = addComboRow(tr("Скорость передачи RX2"), QStringLiteral("drRx2Box"));
    SettingsCombo::addItems(m_drRx2Box, SettingsCombo::numberedItems(QStringLiteral("DR"), 0, 5));
    SettingsCombo::selectCode(m_drRx2Box, 0);

    m_delayJoinBox = addComboRow(tr("Задержка присоединения"), QStringLiteral("delayJoin1Box"));
    SettingsCombo::addItems(m_delayJoinBox, SettingsCombo::numberedItems(QString(), 1, 15, seconds));
    SettingsCombo::selectCode(m_delayJoinBox, 5);
}

QComboBox* CRxSettingsField::addComboRow(const QString& label, const QString& objectName)
{
    auto* combo = new QComboBox;
    combo->setObjectName(objectName);
    QHBoxLayout* row = WIDGET::prepareInnerHLayout(innerLayout());
    row->addWidget(new QLabel(label));
    row->addWidget(combo);
    connect(combo, QOverload<int>::of(&QComboBox::activated), this, &CAbstatractSettingsField::edited);
    return combo;
}

CRxSettingsField::SettStruct CRxSettingsField::getSettings() const
{
    SettStruct settings;
    settings.enabled = isInUse();
    settings.delayRx1 = SettingsCombo::currentIntCode(m_delayRx1Box);
    settings.rxWindow = SettingsCombo::currentIntCode(m_rxWindowBox);
    settings.drRx2 = SettingsCombo::currentIntCode(m_drRx2Box);
    settings.delayJoin1 = SettingsCombo::currentIntCode(m_delayJoinBox);
    return settings;
}

void CRxSettingsField::setSettings(const SettStruct& settings)
{
    SettingsCombo::selectCode(m_delayRx1Box, settings.delayRx1);
    SettingsCombo::selectCode(m_rxWindowBox, settings.rxWindow);
    SettingsCombo::selectCode(m_drRx2Box, settings.drRx2);
    SettingsCombo::selectCode(m_delayJoinBox, settings.delayJoin1);
}
