#include "registration/JournalModel.h"

#include <algorithm>

JournalModel::JournalModel(QObject* parent) : QAbstractTableModel(parent) {}

void JournalModel::setEntries(const QVector<JournalEntry>& entries)
{
    m_entries = entries;
    m_statuses.clear();
    for (const JournalEntry& entry : qAsConst(m_entries))
        noteStatus(entry.status);
    refilter();
    emit statusesChanged();
}

JournalEntry JournalModel::entryAt(int row) const
{
    if (row < 0 || row >= m_shown.size())
        return JournalEntry();
    return m_entries.at(m_shown.at(m_shown.size() - 1 - row));
}

void JournalModel::setDevEuiFilter(const QString& text)
{
    if (text == m_devEuiFilter)
        return;
    m_devEuiFilter = text;
    refilter();
}

void JournalModel::setStatusFilter(const QString& status)
{
    if (status == m_statusFilter)
        return;
    m_statusFilter = status;
    refilter();
}

void JournalModel::appendEntry(const JournalEntry& entry)
{
    m_entries.append(entry);
    if (passes(entry)) {
        beginInsertRows(QModelIndex(), 0, 0);
        m_shown.append(m_entries.size() - 1);
        endInsertRows();
    }
    if (noteStatus(entry.status))
        emit statusesChanged();
}

void JournalModel::appendEntries(const QVector<JournalEntry>& entries)
{
    QVector<int> shown;
    bool newStatus = false;
    for (const JournalEntry& entry : entries) {
        m_entries.append(entry);
        if (passes(entry))
            shown.append(m_entries.size() - 1);
        newStatus = noteStatus(entry.status) || newStatus;
    }
    if (!shown.isEmpty()) {
        beginInsertRows(QModelIndex(), 0, shown.size() - 1);
        m_shown += shown;
        endInsertRows();
    }
    if (newStatus)
        emit statusesChanged();
}

bool JournalModel::noteStatus(const QString& status)
{
    const auto at = std::lower_bound(m_statuses.begin(), m_statuses.end(), status);
    if (at != m_statuses.end() && *at == status)
        return false;
    m_statuses.insert(at, status);
    return true;
}

bool JournalModel::passes(const JournalEntry& entry) const
{
    return (m_statusFilter.isEmpty() || entry.status == m_statusFilter) &&
           (m_devEuiFilter.isEmpty() || entry.devEui.contains(m_devEuiFilter, Qt::CaseInsensitive));
}

void JournalModel::refilter()
{
    beginResetModel();
    m_shown.clear();
    for (int i = 0; i < m_entries.size(); ++i) {
        if (passes(m_entries.at(i)))
            m_shown.append(i);
    }
    endResetModel();
}

int JournalModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown.size();
}

int JournalModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnCountValue;
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case timeColumn:
        return tr("Время");
    case serverColumn:
        return tr("Сервер");
    case loginColumn:
        return tr("Пользователь");
    case actionColumn:
        return tr("Действие");
    case devEuiColumn:
        return QStringLiteral("DevEUI");
    case nameColumn:
        return tr("Имя устройства");
    case statusColumn:
        return tr("Статус");
    default:
        return QVariant();
    }
}

QVariant JournalModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown.size() || role != Qt::DisplayRole)
        return QVariant();
    const JournalEntry& entry = m_entries.at(m_shown.at(m_shown.size() - 1 - index.row()));
    switch (index.column()) {
    case timeColumn:
        return entry.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case serverColumn:
        return entry.server;
    case loginColumn:
        return entry.login;
    case actionColumn:
        if (entry.action == CommissioningJournal::actionRegistered)
            return tr("регистрация");
        if (entry.action == CommissioningJournal::actionDeleted)
            return tr("удаление");
        return entry.action;
    case devEuiColumn:
        return entry.devEui;
    case nameColumn:
        return entry.name;
    case statusColumn:
        return entry.status; // the server's word, as it came
    default:
        return QVariant();
    }
}
