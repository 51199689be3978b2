#pragma once

#include "server/ServerDeviceRow.h"

#include <QAbstractTableModel>
#include <QJsonDocument>
#include <QString>
#include <QVector>

// The devices the server holds, as the server listed them: name, DevEUI and a column for the
// delete action (drawn by DetailsButtonDelegate). Qt::UserRole gives the row's DevEUI in every column.
class DeviceListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        nameColumn = 0,
        devEuiColumn = 1,
        actionColumn = 2,
        columnCountValue = 3
    };

    explicit DeviceListModel(QObject* parent = nullptr);

    // Replaces all rows with the devices of a "get_devices_resp"; a response without devices
    // leaves the rows as they are, or with emptyListClears (the answer to a request for the
    // whole list: the server holds none) removes them all.
    void setDevices(const QJsonDocument& devicesResponse, bool emptyListClears = false);
    // The same from rows read straight from a large frame.
    void setRows(const ServerDeviceRows& rows, bool emptyListClears = false);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    // Rows are kept as the server sent them; a missing or empty name is shown as unnamed.
    ServerDeviceRows m_rows;
    QString m_unnamed;
};
