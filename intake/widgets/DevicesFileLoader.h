#pragma once

#include "server/LoRaDevice.h"

#include <QDialog>
#include <QPair>
#include <QVector>

class QDialogButtonBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class ReadDevicesListModel;

// Reads a device file, shows its devices for confirmation, hands them on for registration and
// shows the server's result of every row as it comes: a progress bar of answered rows, a summary
// once the run has ended, the result as a CSV file, and another run for the rows that failed.
// Cancel during a run stops the requests not yet sent; the dialog stays with what came.
class DevicesFileLoader : public QDialog
{
    Q_OBJECT
public:
    enum class State
    {
        confirming, // waiting for Ok
        sending,    // a run is under way
        stopping,   // Cancel pressed during a run: waiting for the answer to the last request
        ended       // the run is over: results shown, retry and save possible
    };

    explicit DevicesFileLoader(QWidget* parent = nullptr);

    // Asks for the file, reads and parses it; true when at least one device was read.
    bool readDevicesFile();
    // Reads and parses the given file with the same messages as readDevicesFile.
    bool loadDevicesFile(const QString& path);
    // Writes the rows with their statuses as CSV; false (with a message box) when that fails.
    bool saveResults(const QString& path);

    State state() const { return m_state; }
    ReadDevicesListModel* model() const { return m_model; }
    QVector<int> droppedLines() const { return m_droppedLines; }

signals:
    void sendDevices(QVector<LoRaDevice> devices);
    // The operator wants no more requests of this run sent.
    void stopSending();

public slots:
    void okClicked();
    void showAddResults(QVector<QPair<QString, QString>> statuses);
    // The run is over: notSent rows never went out, unanswered ones went out without an answer.
    void showRunEnd(int notSent, int unanswered);
    // Empties the status of every row that did not succeed and sends those rows again.
    void retryFailed();
    void reject() override;

private:
    static bool loggedIn();
    void startRun(const QVector<int>& rows);
    void onConnectionChanged();
    void showSummary(int added);
    void askSaveFile();

    QString m_lastFile;
    QTableView* m_table = nullptr;
    ReadDevicesListModel* m_model = nullptr;
    bool m_sent = false;
    QLabel* m_question = nullptr;
    QDialogButtonBox* m_buttons = nullptr;

    QLabel* m_droppedLabel = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_retryButton = nullptr;
    State m_state = State::confirming;
    QVector<int> m_droppedLines;
    QVector<int> m_runRows; // the rows of the current or last run
    int m_answered = 0;
};
