#include "meters/widgets/CPulseSettingsField.h"

#include "foundation/widgets/WidgetHelpers.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CPulseSettingsField::CPulseSettingsField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    registerPulseSettingsMetaTypes();
    setGrName(tr("Настройки Qelt Pulse"));

    m_group = new QLineEdit(this);
    m_group->setObjectName(QStringLiteral("group"));
    QHBoxLayout* row = WIDGET::prepareInnerHLayout(innerLayout());
    row->addWidget(new QLabel(tr("Группа"), this));
    row->addWidget(m_group);
    connect(m_group, &QLineEdit::textEdited, this, &CAbstatractSettingsField::edited);

    m_version = new QComboBox(this);
    m_version->setObjectName(QStringLiteral("version"));
    m_version->addItem(tr("младше 1.0"), 0);
    m_version->addItem(QStringLiteral("1.0"), 1);
    m_version->addItem(tr("1.1 и старше"), 2);
    row = WIDGET::prepareInnerHLayout(innerLayout());
    row->addWidget(new QLabel(tr("Версия прошивки"), this));
    row->addWidget(m_version);
    connect(m_version, QOverload<int>::of(&QComboBox::activated), this, &CAbstatractSettingsField::edited);

    m_deviceType = new QComboBox(this);
    m_deviceType->setObjectName(QStringLiteral("device_type"));
    m_deviceType->addItem(tr("ЦЭ 2726А, ЦЭ 2727А, Меркурий 206..."), PulseDeviceType::ce2726Family);
    m_deviceType->setItemData(m_deviceType->count() - 1,
                              tr("ЦЭ 2726А, ЦЭ 2727А, Меркурий 206,Меркурий 200.02,Топаз 104/105,"
                                 "Меркурий 206 (Инкотекс)"),
                              Qt::ToolTipRole);
    m_deviceType->addItem(tr("Меркурий 203.2TD, Меркурий 204, Меркурий 208..."),
                          PulseDeviceType::mercury203Family);
    m_deviceType->setItemData(m_deviceType->count() - 1,
                              tr("Меркурий 203.2TD, Меркурий 204, Меркурий 208, Меркурий 230,Меркурий 231,"
                                 "Меркурий 233,Меркурий 234,Меркурий 236,Меркурий 238"),
                              Qt::ToolTipRole);
    m_deviceType->addItem(tr("СпбЗИП"), PulseDeviceType::spbzip);
    m_deviceType->addItem(tr("Бетар СВЭ"), PulseDeviceType::betarSve);
    m_deviceType->addItem(tr("Бетар СГБМ"), PulseDeviceType::betarSgbm);
    row = WIDGET::prepareInnerHLayout(innerLayout());
    row->addWidget(new QLabel(tr("Тип устройства"), this));
    row->addWidget(m_deviceType);
    connect(m_deviceType, QOverload<int>::of(&QComboBox::activated), this, &CAbstatractSettingsField::edited);

    m_extSettings = new CExtPulseSettingsField(this);
    m_extSettings->setObjectName(QStringLiteral("extPulseSettings"));
    appendNestedGroup(m_extSettings);

    connect(m_deviceType, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CPulseSettingsField::onDeviceTypeChanged);
    onDeviceTypeChanged();
}

void CPulseSettingsField::onDeviceTypeChanged()
{
    // No current item (a loaded code outside the list) counts as an unknown type.
    m_extSettings->checkDeviceType(m_deviceType->currentData().toInt());
}

CPulseSettingsField::SettStruct CPulseSettingsField::getSettings()
{
    SettStruct set;
    static_cast<ExtPulseSettings&>(set) = m_extSettings->getSettings();
    set.group = m_group->text();
    set.version = m_version->currentData().toDouble();
    set.device_type = m_deviceType->currentData().toDouble();
    set.enabled = isGroupEnabled();
    return set;
}

void CPulseSettingsField::settSettings(SettStruct optSet)
{
    m_group->setText(optSet.group);
    m_version->setCurrentIndex(m_version->findData(optSet.version));
    m_deviceType->setCurrentIndex(m_deviceType->findData(optSet.device_type));
    m_extSettings->settSettings(optSet);
}
