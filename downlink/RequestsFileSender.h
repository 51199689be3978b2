#pragma once

#include <QFile>
#include <QObject>
#include <QTextStream>
#include <QTimer>

// Sends the downlinks of a requests file, one line per pass of the event loop, so that the
// operator can stop in the middle and the window stays responsive. Lines that are not a
// valid downlink (RequestsFile::decodeLine) are counted as skipped; blank lines are not counted.
// Nothing goes out while the client is not logged in: the run ends with notLoggedIn.
class RequestsFileSender : public QObject
{
    Q_OBJECT
public:
    enum class End
    {
        done,
        stopped,
        notLoggedIn,
        cannotOpen
    };
    Q_ENUM(End)

    explicit RequestsFileSender(QObject* parent = nullptr);

    bool isRunning() const { return m_timer.isActive(); }
    int sent() const { return m_sent; }
    int skipped() const { return m_skipped; }

public slots:
    // Starts a run over the file (a run in progress is stopped first). false when it cannot
    // start; finished has then been emitted already.
    bool start(const QString& path);
    void stop();

signals:
    void progress(int sent, int skipped);
    void finished(RequestsFileSender::End end, int sent, int skipped);

private:
    void sendNextLine();
    void finish(End end);

    QTimer m_timer;
    QFile m_file;
    QTextStream m_stream;
    int m_sent = 0;
    int m_skipped = 0;
    int m_lineNumber = 0;
};
