#include "registration/CAbstatractSettingsField.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

CAbstatractSettingsField::CAbstatractSettingsField(QWidget* parent) : QWidget(parent)
{
    m_outerLayout = new QVBoxLayout(this);
    m_outerLayout->setContentsMargins(1, 1, 1, 1);
    m_outerLayout->setSpacing(2);

    m_headerBox = new QCheckBox(this);
    m_headerBox->setObjectName(QStringLiteral("groupHeaderBox"));
    m_outerLayout->addWidget(m_headerBox);

    m_groupBox = new QGroupBox(this);
    m_groupBox->setObjectName(QStringLiteral("groupBox"));
    m_groupBox->setCheckable(true);
    m_groupBox->setChecked(false);
    m_groupBox->hide();
    m_outerLayout->addWidget(m_groupBox);

    m_innerLayout = new QVBoxLayout(m_groupBox);
    m_innerLayout->setContentsMargins(1, 1, 1, 1);
    m_innerLayout->setSpacing(2);

    connect(m_headerBox, &QCheckBox::toggled, this, &CAbstatractSettingsField::onHeaderToggled);
    connect(m_groupBox, &QGroupBox::toggled, this, &CAbstatractSettingsField::onGroupToggled);
}

bool CAbstatractSettingsField::isGroupEnabled() const
{
    return m_groupBox->isChecked();
}

void CAbstatractSettingsField::expand()
{
    m_headerBox->setChecked(true);
}

void CAbstatractSettingsField::expandAll()
{
    expand();
    for (const QPointer<CAbstatractSettingsField>& nested : qAsConst(m_nestedGroups)) {
        if (nested)
            nested->expandAll();
    }
}

void CAbstatractSettingsField::setGrName(QString name)
{
    m_headerBox->setText(name);
    m_groupBox->setTitle(name);
}

void CAbstatractSettingsField::appendWidget(QWidget* widget)
{
    m_innerLayout->addWidget(widget);
    if (auto* nested = qobject_cast<CAbstatractSettingsField*>(widget))
        m_nestedGroups.append(nested);
}

void CAbstatractSettingsField::appendLayout(QLayout* layout)
{
    m_innerLayout->addLayout(layout);
}

void CAbstatractSettingsField::onHeaderToggled(bool checked)
{
    if (!checked)
        return;
    m_groupBox->show();
    m_groupBox->setChecked(true);
    m_headerBox->hide();
}

void CAbstatractSettingsField::onGroupToggled(bool checked)
{
    if (checked)
        return;
    m_groupBox->hide();
    m_headerBox->show();
    m_headerBox->setChecked(false);
}
