#include "foundation/widgets/CAbstatractSettingsField.h"

#include "foundation/DebugLog.h"

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

bool CAbstatractSettingsField::isInUse() const
{
    if (!isGroupEnabled())
        return false;
    for (QWidget* ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        const auto* enclosing = qobject_cast<const CAbstatractSettingsField*>(ancestor);
        if (enclosing && !enclosing->isGroupEnabled())
            return false;
    }
    return true;
}

void CAbstatractSettingsField::expand()
{
    m_headerBox->setChecked(true);
}

void CAbstatractSettingsField::expandAll()
{
    expand();
    // Destroyed children have left null references behind: drop them, expand the rest.
    m_nestedGroups.removeAll(QPointer<CAbstatractSettingsField>());
    const QList<QPointer<CAbstatractSettingsField>> nestedGroups = m_nestedGroups;
    for (const QPointer<CAbstatractSettingsField>& nested : nestedGroups) {
        if (nested && isAncestorOf(nested))
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
    if (!widget) {
        DEBUG_LOG << "Некорректный аргумент!";
        return;
    }
    m_innerLayout->addWidget(widget);
    auto* nested = qobject_cast<CAbstatractSettingsField*>(widget);
    if (nested && !m_nestedGroups.contains(nested))
        m_nestedGroups.append(nested);
}

void CAbstatractSettingsField::appendNestedGroup(CAbstatractSettingsField* group)
{
    appendWidget(group);
    connect(group, &CAbstatractSettingsField::edited, this, &CAbstatractSettingsField::edited);
}

void CAbstatractSettingsField::appendLayout(QLayout* layout)
{
    if (!layout) {
        DEBUG_LOG << "Некорректный аргумент!";
        return;
    }
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
