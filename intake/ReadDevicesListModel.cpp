#include "intake/ReadDevicesListModel.h"

#include "server/Protocol.h"

ReadDevicesListModel::ReadDevicesListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ReadDevicesListModel::setDevices(QVector<LoRaDevice> devices)
{
    beginResetModel();
    // The devices are taken over as they are: no copy of a hundred thousand records.
    m_devices = std::move(devices);
    m_statuses = QVector<QString>(m_devices.size());
    rebuildIndex();
    endResetModel();
}

QVector<LoRaDevice> ReadDevicesListModel::devices() const
{
    return m_devices;
}

size_t ReadDevicesListModel::slotOf(const QString& devEui) const
{
    // Fibonacci hashing spreads EUIs that differ in one digit over the whole table.
    return size_t((quint64(qHash(devEui)) * 0x9E3779B97F4A7C15ull) >> m_shift);
}

void ReadDevicesListModel::rebuildIndex()
{
    size_t capacity = 16;
    m_shift = 60;
    while (capacity < size_t(m_devices.size()) * 2) {
        capacity *= 2;
        --m_shift;
    }
    m_slots.assign(capacity, 0);
    m_groups.clear();
    m_nextWaiting.assign(size_t(m_devices.size()), -1);
    m_withoutStatus = 0;
    const size_t mask = capacity - 1;
    // From the last row up, so that each DevEUI ends with its first waiting row at the head.
    for (int row = m_devices.size() - 1; row >= 0; --row) {
        if (!m_statuses.at(row).isEmpty())
            continue;
        ++m_withoutStatus;
        const QString& devEui = m_devices.at(row).devEui;
        size_t slot = slotOf(devEui);
        while (m_slots[slot] != 0 &&
               m_devices.at(m_groups[size_t(m_slots[slot] - 1)].keyRow).devEui != devEui)
            slot = (slot + 1) & mask;
        if (m_slots[slot] == 0) {
            m_groups.push_back({row, -1});
            m_slots[slot] = int(m_groups.size());
        }
        Group& group = m_groups[size_t(m_slots[slot] - 1)];
        m_nextWaiting[size_t(row)] = group.firstWaiting;
        group.firstWaiting = row;
    }
}

int ReadDevicesListModel::findGroup(const QString& devEui) const
{
    if (m_slots.empty())
        return -1;
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = slotOf(devEui); m_slots[slot] != 0; slot = (slot + 1) & mask) {
        const int group = m_slots[slot] - 1;
        if (m_devices.at(m_groups[size_t(group)].keyRow).devEui == devEui)
            return group;
    }
    return -1;
}

int ReadDevicesListModel::setStatuses(const QVector<QPair<QString, QString>>& statuses)
{
    int matched = 0;
    int firstRow = m_devices.size();
    int lastRow = -1;
    for (const auto& pair : statuses) {
        if (pair.second.isEmpty())
            continue; // no word: the row waits on
        const int group = findGroup(pair.first);
        if (group < 0)
            continue;
        int& firstWaiting = m_groups[size_t(group)].firstWaiting;
        const int row = firstWaiting;
        if (row < 0)
            continue;
        firstWaiting = m_nextWaiting[size_t(row)];
        m_statuses[row] = pair.second;
        --m_withoutStatus;
        ++matched;
        firstRow = qMin(firstRow, row);
        lastRow = qMax(lastRow, row);
    }
    if (lastRow >= 0)
        emit dataChanged(index(firstRow, statusColumn), index(lastRow, statusColumn), {Qt::DisplayRole});
    return matched;
}

void ReadDevicesListModel::clearStatuses(const QVector<int>& rows)
{
    int firstRow = m_devices.size();
    int lastRow = -1;
    for (int row : rows) {
        if (row < 0 || row >= m_devices.size() || m_statuses.at(row).isEmpty())
            continue;
        m_statuses[row].clear();
        firstRow = qMin(firstRow, row);
        lastRow = qMax(lastRow, row);
    }
    if (lastRow < 0)
        return;
    rebuildIndex();
    emit dataChanged(index(firstRow, statusColumn), index(lastRow, statusColumn), {Qt::DisplayRole});
}

bool ReadDevicesListModel::isSuccess(const QString& status)
{
    return status == Protocol::Status::added || status == Protocol::Status::updated ||
           status == Protocol::Status::nothingToUpdate;
}

QVector<int> ReadDevicesListModel::unsuccessfulRows() const
{
    QVector<int> rows;
    for (int row = 0; row < m_devices.size(); ++row) {
        if (!isSuccess(m_statuses.at(row)))
            rows.append(row);
    }
    return rows;
}

int ReadDevicesListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_devices.size();
}

int ReadDevicesListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns);
}

QVariant ReadDevicesListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_devices.size())
        return QVariant();
    const LoRaDevice& device = m_devices.at(index.row());
    switch (index.column()) {
    case devEuiColumn:
        return device.devEui;
    case appEuiColumn:
        return device.appEui;
    case appKeyColumn:
        return device.appKey;
    case statusColumn:
        return m_statuses.at(index.row());
    default:
        return QVariant();
    }
}

QVariant ReadDevicesListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case devEuiColumn:
        return tr("DevEUI");
    case appEuiColumn:
        return tr("AppEUI");
    case appKeyColumn:
        return tr("AppKey");
    case statusColumn:
        return tr("Статус");
    default:
        return QVariant();
    }
}
