#include "intake/ScannedDevices.h"

#include <QMutex>
#include <QMutexLocker>

namespace {
ScannedDevices* g_scannedDevices = nullptr;
QMutex g_scannedDevicesMutex;
} // namespace

ScannedDevices* ScannedDevices::instance(QObject* parent)
{
    if (!g_scannedDevices) {
        QMutexLocker lock(&g_scannedDevicesMutex);
        if (!g_scannedDevices)
            g_scannedDevices = new ScannedDevices(parent);
    }
    return g_scannedDevices;
}

ScannedDevices::ScannedDevices(QObject* parent) : QObject(parent) {}

ScannedDevices::~ScannedDevices()
{
    // Destroyed with its owner: a later instance() makes a new record instead of using a dead one.
    if (g_scannedDevices == this)
        g_scannedDevices = nullptr;
}

void ScannedDevices::add(const QString& devEui)
{
    m_devEuis.append(devEui);
    emit devicesChanged(m_devEuis.size());
}

void ScannedDevices::remove(const QString& devEui)
{
    m_devEuis.removeAll(devEui);
    emit devicesChanged(m_devEuis.size());
}

void ScannedDevices::clear()
{
    m_devEuis.clear();
    emit devicesChanged(0);
}

QStringList ScannedDevices::keys() const
{
    return m_devEuis;
}
