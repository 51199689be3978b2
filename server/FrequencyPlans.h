#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

// The named LoRaWAN frequency plans the program offers, written once: the plan field lists
// them and a device read back from the server is named after the plan its frequencies match.
namespace FrequencyPlans {

struct Plan
{
    QString name;
    std::array<qint32, 5> channels; // extra channels 4 to 8, Hz
    qint32 rx2;                     // RX2 frequency, Hz
};

// "custom": frequencies typed by the operator, or matching no named plan.
extern const QString customName;

// RU868, EU868 and KZ868, in the order the plan field lists them.
const QVector<Plan>& namedPlans();

// The named plans' names followed by "custom".
QStringList names();

// The named plan of that exact name, or null ("custom" and unknown names).
const Plan* find(const QString& name);

// The name of the plan whose channels and RX2 frequency are these, or "custom".
QString nameOf(const std::array<qint32, 5>& channels, qint32 rx2);

} // namespace FrequencyPlans
