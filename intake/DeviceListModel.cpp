#include "intake/DeviceListModel.h"

#include "server/Protocol.h"

#include <QJsonArray>
#include <QJsonObject>

DeviceListModel::DeviceListModel(QObject* parent)
    : QAbstractTableModel(parent), m_unnamed(tr("Имя не установлено"))
{
}

void DeviceListModel::setDevices(const QJsonDocument& devicesResponse, bool emptyListClears)
{
    const QJsonArray devices = devicesResponse.object().value(Protocol::Key::devicesList).toArray();
    ServerDeviceRows rows;
    rows.reserve(devices.size());
    // Every row takes only its own element's values: a device the server sent without
    // a name or DevEUI must not show its neighbour's.
    for (const QJsonValue& element : devices) {
        const QJsonObject device = element.toObject();
        rows.append(ServerDeviceRow{device.value(Protocol::Key::devName).toString(),
                                    device.value(Protocol::Key::devEui).toString(), element.isObject()});
    }
    setRows(rows, emptyListClears);
}

void DeviceListModel::setRows(const ServerDeviceRows& rows, bool emptyListClears)
{
    beginResetModel();
    if (!rows.isEmpty() || emptyListClears)
        m_rows = rows;
    endResetModel();
}

int DeviceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int DeviceListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnCountValue;
}

QVariant DeviceListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case nameColumn:
        return tr("Имя устройства");
    case devEuiColumn:
        return tr("DevEUI");
    case actionColumn:
        return tr("Действие");
    default:
        return QVariant();
    }
}

QVariant DeviceListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.parent().isValid() || index.row() >= m_rows.size() ||
        index.column() >= columnCountValue)
        return QVariant();
    const ServerDeviceRow& row = m_rows.at(index.row());
    if (role == Qt::UserRole)
        return row.devEui;
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (index.column()) {
    case nameColumn:
        return row.name.isEmpty() ? m_unnamed : row.name;
    case devEuiColumn:
        return row.devEui;
    default:
        return QVariant();
    }
}

bool DeviceListModel::setData(const QModelIndex&, const QVariant&, int)
{
    return false;
}
