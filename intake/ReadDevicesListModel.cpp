#include "intake/ReadDevicesListModel.h"

#include "server/Protocol.h"

ReadDevicesListModel::ReadDevicesListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ReadDevicesListModel::setDevices(QVector<LoRaDevice> devices)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(devices.size());
    for (LoRaDevice& device : devices)
        m_rows.append({std::move(device), QString()});
    rebuildIndex();
    endResetModel();
}

QVector<LoRaDevice> ReadDevicesListModel::devices() const
{
    QVector<LoRaDevice> result;
    result.reserve(m_rows.size());
    for (const Row& row : m_rows)
        result.append(row.device);
    return result;
}

void ReadDevicesListModel::rebuildIndex()
{
    m_firstWaiting.clear();
    m_firstWaiting.reserve(m_rows.size());
    m_nextWaiting.fill(-1, m_rows.size());
    m_withoutStatus = 0;
    // From the last row up, so that each DevEUI ends with its first waiting row at the head.
    for (int row = m_rows.size() - 1; row >= 0; --row) {
        if (!m_rows.at(row).status.isEmpty())
            continue;
        ++m_withoutStatus;
        int& head = m_firstWaiting[m_rows.at(row).device.devEui];
        // Rows are stored one up: a new entry of the hash starts at 0, meaning none.
        m_nextWaiting[row] = head - 1;
        head = row + 1;
    }
}

int ReadDevicesListModel::setStatuses(const QVector<QPair<QString, QString>>& statuses)
{
    int matched = 0;
    int firstRow = m_rows.size();
    int lastRow = -1;
    for (const auto& pair : statuses) {
        if (pair.second.isEmpty())
            continue; // no word: the row waits on
        const auto head = m_firstWaiting.find(pair.first);
        if (head == m_firstWaiting.end())
            continue;
        const int row = head.value() - 1;
        const int next = m_nextWaiting.at(row);
        if (next < 0)
            m_firstWaiting.erase(head);
        else
            head.value() = next + 1;
        m_rows[row].status = pair.second;
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
    int firstRow = m_rows.size();
    int lastRow = -1;
    for (int row : rows) {
        if (row < 0 || row >= m_rows.size() || m_rows.at(row).status.isEmpty())
            continue;
        m_rows[row].status.clear();
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
    for (int row = 0; row < m_rows.size(); ++row) {
        if (!isSuccess(m_rows.at(row).status))
            rows.append(row);
    }
    return rows;
}

int ReadDevicesListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int ReadDevicesListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns);
}

QVariant ReadDevicesListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const Row& row = m_rows.at(index.row());
    switch (index.column()) {
    case devEuiColumn:
        return row.device.devEui;
    case appEuiColumn:
        return row.device.appEui;
    case appKeyColumn:
        return row.device.appKey;
    case statusColumn:
        return row.status;
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
