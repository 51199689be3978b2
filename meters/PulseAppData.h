#pragma once

#include "meters/PulseSettings.h"

#include <QJsonDocument>
#include <QString>

// The application data of one meter device: one element of the "data_list" of
// "manage_device_appdata_req". The meter description travels as compact JSON text under
// "other_info_1". Has no side effects.
QJsonDocument buildPulseAppData(const PulseSettings& settings, const QString& devEui, const QString& sn);
