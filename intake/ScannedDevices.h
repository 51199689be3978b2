#pragma once

#include <QObject>
#include <QStringList>

// The devices sent for registration during this run, by DevEUI, in order of addition.
// Lives in memory only; the top panel counts them and can remove them all from the server.
class ScannedDevices : public QObject
{
    Q_OBJECT
public:
    static ScannedDevices* instance(QObject* parent = nullptr);
    ~ScannedDevices() override;

    void add(const QString& devEui);
    void remove(const QString& devEui);
    void clear();
    QStringList keys() const;

signals:
    void devicesChanged(int count);

protected:
    explicit ScannedDevices(QObject* parent = nullptr);

private:
    QStringList m_devEuis;
};
