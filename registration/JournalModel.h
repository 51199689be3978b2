#pragma once

#include "registration/CommissioningJournal.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

// The commissioning journal as a table, newest line first, optionally narrowed to the DevEUIs that
// contain a text (in any letter case) and to one status word.
class JournalModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        timeColumn,
        serverColumn,
        loginColumn,
        actionColumn,
        devEuiColumn,
        nameColumn,
        statusColumn,
        columnCountValue
    };

    explicit JournalModel(QObject* parent = nullptr);

    // Replaces every line; entries oldest first, as the journal holds them.
    void setEntries(const QVector<JournalEntry>& entries);
    const QVector<JournalEntry>& entries() const { return m_entries; } // all, oldest first
    JournalEntry entryAt(int row) const;                               // of a shown row

    void setDevEuiFilter(const QString& text);
    void setStatusFilter(const QString& status); // empty: every status
    // The status words of all lines, sorted.
    QStringList statuses() const { return m_statuses; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

public slots:
    // A line just recorded: it becomes the first row when it passes the filters.
    void appendEntry(const JournalEntry& entry);
    // Lines recorded together, oldest first: they become the first rows in one insertion.
    void appendEntries(const QVector<JournalEntry>& entries);

signals:
    void statusesChanged();

private:
    bool passes(const JournalEntry& entry) const;
    void refilter();
    bool noteStatus(const QString& status);

    QVector<JournalEntry> m_entries; // oldest first
    QVector<int> m_shown;            // indexes into m_entries, oldest first; row 0 is the last one
    QStringList m_statuses;
    QString m_devEuiFilter;
    QString m_statusFilter;
};
