#include "registration/widgets/CSettingsClassCDeviceField.h"

#include "foundation/widgets/WidgetHelpers.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CSettingsClassCDeviceField::CSettingsClassCDeviceField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    setObjectName(QStringLiteral("classCSettings"));
    setGrName(tr("Настройки устройства класса C"));

    m_reactionTimeEdit = new QLineEdit(QStringLiteral("1000"));
    m_reactionTimeEdit->setObjectName(QStringLiteral("reactionTimeEdit"));
    QHBoxLayout* reactionRow = WIDGET::prepareInnerHLayout(innerLayout());
    reactionRow->addWidget(new QLabel(tr("Время реакции устройства класса С, (мс)")));
    reactionRow->addWidget(m_reactionTimeEdit);

    m_downlinkQueueBox = new QCheckBox(QStringLiteral("Use Downlink queue for Class C"));
    m_downlinkQueueBox->setObjectName(QStringLiteral("downlinkQueueBox"));
    WIDGET::prepareInnerHLayout(innerLayout())->addWidget(m_downlinkQueueBox);

    connect(m_reactionTimeEdit, &QLineEdit::textEdited, this, &CAbstatractSettingsField::edited);
    connect(m_downlinkQueueBox, &QCheckBox::toggled, this, &CAbstatractSettingsField::edited);

    hide();
}

CSettingsClassCDeviceField::SettStruct CSettingsClassCDeviceField::getSettings() const
{
    SettStruct settings;
    settings.reactionTime = m_reactionTimeEdit->text().toInt();
    settings.useDownlinkQueue = m_downlinkQueueBox->isChecked();
    settings.enabled = isInUse();
    return settings;
}

void CSettingsClassCDeviceField::setSettings(const SettStruct& settings)
{
    m_reactionTimeEdit->setText(QString::number(settings.reactionTime));
    m_downlinkQueueBox->setChecked(settings.useDownlinkQueue);
}

void CSettingsClassCDeviceField::showForClass(const QString& classText)
{
    setVisible(classText == QLatin1String("Class C"));
}
