#pragma once

#include <QWidget>

class CommissioningJournal;
class JournalModel;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The commissioning journal tab: the journal's lines, newest first, filtered by DevEUI and status,
// and the export of a range of days to a CSV file. Lines recorded while it is shown appear at once.
class JournalView : public QWidget
{
    Q_OBJECT
public:
    explicit JournalView(CommissioningJournal* journal, QWidget* parent = nullptr);

    // The title of the tab that holds the view: "Журнал".
    static QString tabTitle();

    JournalModel* model() const { return m_model; }

public slots:
    // Reads the journal file again.
    void reload();
    // Asks for a file and writes the lines of the chosen days to it.
    void exportDays();

protected:
    // Where the export goes; empty when the operator cancels.
    virtual QString askExportFileName();

private:
    void refreshStatusChoices();
    void showMessage(const QString& text, bool error);

    CommissioningJournal* m_journal = nullptr;
    JournalModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QLineEdit* m_devEuiFilter = nullptr;
    QComboBox* m_statusFilter = nullptr;
    QDateEdit* m_fromDate = nullptr;
    QDateEdit* m_toDate = nullptr;
    QPushButton* m_exportButton = nullptr;
    QLabel* m_message = nullptr;
};
