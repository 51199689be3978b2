#include "server/FrequencyPlans.h"

namespace FrequencyPlans {

const QString customName = QStringLiteral("custom");

const QVector<Plan>& namedPlans()
{
    static const QVector<Plan> plans{
        {QStringLiteral("RU868"), {864100000, 864300000, 864500000, 864700000, 864900000}, 869100000},
        {QStringLiteral("EU868"), {867100000, 867300000, 867500000, 867700000, 867900000}, 869525000},
        {QStringLiteral("KZ868"), {867100000, 867300000, 867500000, 867700000, 867900000}, 867500000},
    };
    return plans;
}

QStringList names()
{
    QStringList list;
    for (const Plan& plan : namedPlans())
        list.append(plan.name);
    list.append(customName);
    return list;
}

const Plan* find(const QString& name)
{
    for (const Plan& plan : namedPlans()) {
        if (plan.name == name)
            return &plan;
    }
    return nullptr;
}

QString nameOf(const std::array<qint32, 5>& channels, qint32 rx2)
{
    for (const Plan& plan : namedPlans()) {
        if (plan.channels == channels && plan.rx2 == rx2)
            return plan.name;
    }
    return customName;
}

} // namespace FrequencyPlans
