#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a Qt signal on the event loop, so that a stop ends the loop and
// everything closes in order, instead of the process dying between two database writes. The
// handler only writes the signal's number into a pipe (all a handler may safely do); the
// notifier reads it on the loop. After the first stop the handlers are gone: a second Ctrl+C
// ends the process at once. One instance per process.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    bool install(QString* error);

signals:
    void stopRequested(const QString& signalName);

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
};
