#pragma once

#include "server/LoRaDevice.h"

#include <QAbstractTableModel>
#include <QPair>
#include <QVector>

#include <vector>

// The devices read from a device file, each with the status the server answered for it
// (empty until a result arrives). Results are matched by DevEUI to the first row of that
// DevEUI that has no status yet, so a DevEUI standing twice gets its first result in its first
// row; an index of the rows still waiting keeps the matching quick for any number of rows.
class ReadDevicesListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        devEuiColumn,
        appEuiColumn,
        appKeyColumn,
        statusColumn,
        columns
    };

    explicit ReadDevicesListModel(QObject* parent = nullptr);

    // Replaces all rows; every status is empty.
    void setDevices(QVector<LoRaDevice> devices);
    QVector<LoRaDevice> devices() const;
    // Writes each result into the first row of its DevEUI without a status; a result without
    // such a row is ignored. Rows that already have a status keep it. Returns the number of
    // results that found a row.
    int setStatuses(const QVector<QPair<QString, QString>>& statuses);
    // Empties the status of the given rows, so that results fill them again.
    void clearStatuses(const QVector<int>& rows);

    const LoRaDevice& device(int row) const { return m_devices.at(row); }
    QString status(int row) const { return m_statuses.at(row); }
    int rowsWithoutStatus() const { return m_withoutStatus; }
    // Rows whose status says the device is not on the server as it was read (a refusal, or
    // no status at all), in row order.
    QVector<int> unsuccessfulRows() const;
    // The server's words after which a device is on the server with what was sent.
    static bool isSuccess(const QString& status);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // The rows without a status, by DevEUI: an open-addressing table of DevEUI groups (no
    // allocation per entry, so it is built for a hundred thousand rows in a few milliseconds).
    struct Group
    {
        int keyRow;       // a row holding the group's DevEUI
        int firstWaiting; // the group's first row without a status, -1 when none is left
    };
    void rebuildIndex();
    // The group of the DevEUI, or -1.
    int findGroup(const QString& devEui) const;
    size_t slotOf(const QString& devEui) const;

    QVector<LoRaDevice> m_devices;
    QVector<QString> m_statuses; // one per device
    std::vector<int> m_slots;    // group + 1, 0 for an empty slot; the size is 2^(64 - m_shift)
    int m_shift = 60;
    std::vector<Group> m_groups;
    // From a row without a status to the next row of its DevEUI without one (-1 at the end).
    std::vector<int> m_nextWaiting;
    int m_withoutStatus = 0;
};
