#pragma once

#include "registration/LoRaSettings.h"
#include "server/LoRaDevice.h"

#include <QDate>
#include <QString>
#include <QVector>

// The settings chosen on the registration page, read once for one registration or one list.
struct ChosenSettings
{
    ExpertSettings expert;
    OptionalSettings optional;
};

// Turns a device record (a scan or a file line) and the chosen settings into the record to
// send. Widget-free: the registration page and the bulk loader both complete devices here.
class DeviceCompletion
{
public:
    static constexpr double latitudeLimit = 90.0;
    static constexpr double longitudeLimit = 180.0;

    // What the placeholders of a name template stand for, for one device.
    struct NameValues
    {
        QString devEui;       // "%deveui"
        QString serialNumber; // "%sn"
        QDate date;           // "%date", as dd.MM.yyyy
    };

    // The template with every "%deveui", "%date" and "%sn" replaced. With a counter, a "%n"
    // is replaced with its value, which then grows by one; without one "%n" stays as it is.
    static QString deviceName(const QString& nameTemplate, const NameValues& values,
                              int* listCounter = nullptr);

    // A coordinate limited to -limit..limit (a value outside becomes the nearest limit).
    static double limitedCoordinate(double value, double limit);

    // The device with the chosen class, channels, frequencies and expert values applied, and
    // the given name. Values of a settings group that is not in use become -1 (-1.0), so the
    // server keeps its own.
    static LoRaDevice completed(const LoRaDevice& device, const ChosenSettings& settings,
                                const QString& name);

    // Every device of a file with DevEUI, AppEUI and AppKey completed and named, "%n"
    // counting from 1 over the completed ones; a device lacking one of the three stays as it came.
    // With a counter, "%n" counts on from its value (a list completed in parts).
    static QVector<LoRaDevice> completedList(const QVector<LoRaDevice>& devices,
                                             const ChosenSettings& settings, const QDate& date,
                                             int* counter = nullptr);

private:
    static void applyClass(LoRaDevice* device, const OptionalSettings& optional);
    static void applyFrequencyPlan(LoRaDevice* device, const FreqPlanSettings& plan);
    static void applyExpert(LoRaDevice* device, const ExpertSettings& expert);
};
