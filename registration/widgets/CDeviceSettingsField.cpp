#include "registration/widgets/CDeviceSettingsField.h"

#include "foundation/widgets/SettingsCombo.h"
#include "foundation/widgets/WidgetHelpers.h"
#include "server/Protocol.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CDeviceSettingsField::CDeviceSettingsField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    setObjectName(QStringLiteral("deviceSettings"));
    setGrName(tr("Устройство"));

    m_nameEdit = new QLineEdit(QStringLiteral("%deveui"));
    m_nameEdit->setObjectName(QStringLiteral("nameTemplateEdit"));
    m_nameEdit->setPlaceholderText(QStringLiteral("%deveui") + QStringLiteral(" = deveui ,") +
                                   QStringLiteral("%date") + QStringLiteral(" = date"));
    QHBoxLayout* nameRow = WIDGET::prepareInnerHLayout(innerLayout());
    nameRow->addWidget(new QLabel(tr("Имя устройства")));
    nameRow->addWidget(m_nameEdit);

    m_classBox = new QComboBox;
    m_classBox->setObjectName(QStringLiteral("deviceClassBox"));
    SettingsCombo::addItems(m_classBox, {{QStringLiteral("Class A"), Protocol::DeviceClass::classA},
                                         {QStringLiteral("Class C"), Protocol::DeviceClass::classC}});
    m_classBox->setCurrentIndex(0);
    QHBoxLayout* classRow = WIDGET::prepareInnerHLayout(innerLayout());
    classRow->addWidget(new QLabel(tr("Класс устройства")));
    classRow->addWidget(m_classBox);

    connect(m_nameEdit, &QLineEdit::textEdited, this, &CAbstatractSettingsField::edited);
    connect(m_classBox, QOverload<int>::of(&QComboBox::activated), this, [this] {
        emit showSetDeviceClassC(m_classBox->currentText());
        emit edited();
    });
}

CDeviceSettingsField::SettStruct CDeviceSettingsField::getSettings() const
{
    SettStruct settings;
    settings.nameTemplate = m_nameEdit->text();
    settings.devClass = m_classBox->currentData().toString();
    settings.enabled = isInUse();
    return settings;
}

void CDeviceSettingsField::setSettings(const SettStruct& settings)
{
    m_nameEdit->setText(settings.nameTemplate);
    SettingsCombo::selectCode(m_classBox, settings.devClass);
}
