#include "registration/widgets/JournalView.h"

#include "foundation/widgets/WidgetHelpers.h"
#include "registration/CommissioningJournal.h"
#include "registration/JournalModel.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QString dateFormat = QStringLiteral("dd.MM.yyyy");
}

QString JournalView::tabTitle()
{
    return tr("Журнал");
}

JournalView::JournalView(CommissioningJournal* journal, QWidget* parent)
    : QWidget(parent), m_journal(journal), m_model(new JournalModel(this))
{
    setObjectName(QStringLiteral("journalView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(2);

    QHBoxLayout* filterRow = WIDGET::prepareInnerHLayout(layout);
    filterRow->addWidget(new QLabel(QStringLiteral("DevEUI:"), this));
    m_devEuiFilter = new QLineEdit(this);
    m_devEuiFilter->setObjectName(QStringLiteral("journalDevEuiFilter"));
    m_devEuiFilter->setPlaceholderText(tr("часть DevEUI"));
    m_devEuiFilter->setClearButtonEnabled(true);
    filterRow->addWidget(m_devEuiFilter);
    filterRow->addWidget(new QLabel(tr("Статус:"), this));
    m_statusFilter = new QComboBox(this);
    m_statusFilter->setObjectName(QStringLiteral("journalStatusFilter"));
    m_statusFilter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    filterRow->addWidget(m_statusFilter);
    filterRow->addStretch(1);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("journalTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    // A journal grows to many thousands of lines: fixed row heights keep the table quick.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1);

    QHBoxLayout* exportRow = WIDGET::prepareInnerHLayout(layout);
    exportRow->addWidget(new QLabel(tr("Выгрузить дни с"), this));
    m_fromDate = new QDateEdit(QDate::currentDate(), this);
    m_fromDate->setObjectName(QStringLiteral("journalFromDate"));
    m_toDate = new QDateEdit(QDate::currentDate(), this);
    m_toDate->setObjectName(QStringLiteral("journalToDate"));
    for (QDateEdit* edit : {m_fromDate, m_toDate}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(dateFormat);
    }
    exportRow->addWidget(m_fromDate);
    exportRow->addWidget(new QLabel(tr("по"), this));
    exportRow->addWidget(m_toDate);
    m_exportButton = new QPushButton(tr("Экспорт в CSV…"), this);
    m_exportButton->setObjectName(QStringLiteral("journalExportButton"));
    exportRow->addWidget(m_exportButton);
    exportRow->addStretch(1);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("journalMessage"));
    m_message->setWordWrap(true);
    layout->addWidget(m_message);

    connect(m_devEuiFilter, &QLineEdit::textChanged, m_model, &JournalModel::setDevEuiFilter);
    connect(m_statusFilter, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int index) { m_model->setStatusFilter(m_statusFilter->itemData(index).toString()); });
    connect(m_model, &JournalModel::statusesChanged, this, &JournalView::refreshStatusChoices);
    connect(m_exportButton, &QPushButton::clicked, this, &JournalView::exportDays);
    if (m_journal) {
        connect(m_journal, &CommissioningJournal::recordedMany, m_model, &JournalModel::appendEntries);
        connect(m_journal, &CommissioningJournal::writeFailed, this,
                [this](const QString& reason) { showMessage(reason, true); });
    }
    refreshStatusChoices();
    reload();
}

void JournalView::reload()
{
    if (!m_journal)
        return;
    const CommissioningJournal::ReadResult result = CommissioningJournal::read(m_journal->path());
    m_model->setEntries(result.entries);
    m_table->resizeColumnsToContents();
    if (!result.ok())
        showMessage(result.error, true);
    else if (result.skippedLines > 0)
        showMessage(tr("Нечитаемых строк в журнале пропущено: %1").arg(result.skippedLines), true);
    else
        showMessage(QString(), false);
}

void JournalView::refreshStatusChoices()
{
    const QString current = m_statusFilter->currentData().toString();
    const QSignalBlocker blocker(m_statusFilter);
    m_statusFilter->clear();
    m_statusFilter->addItem(tr("все"), QString());
    for (const QString& status : m_model->statuses())
        m_statusFilter->addItem(status, status);
    const int index = m_statusFilter->findData(current);
    m_statusFilter->setCurrentIndex(index < 0 ? 0 : index);
    m_model->setStatusFilter(m_statusFilter->currentData().toString());
}

QString JournalView::askExportFileName()
{
    const QString suggested =
        QStringLiteral("journal-%1-%2.csv")
            .arg(m_fromDate->date().toString(Qt::ISODate), m_toDate->date().toString(Qt::ISODate));
    return QFileDialog::getSaveFileName(this, tr("Сохранить журнал"), suggested, tr("Файлы CSV (*.csv)"));
}

void JournalView::exportDays()
{
    const QDate from = m_fromDate->date();
    const QDate to = m_toDate->date();
    if (from > to) {
        showMessage(tr("Первый день выгрузки позже последнего"), true);
        return;
    }
    const QString path = askExportFileName();
    if (path.isEmpty())
        return;
    int written = 0;
    QString error;
    if (!CommissioningJournal::exportDays(m_model->entries(), from, to, path, &written, &error)) {
        showMessage(tr("Не удалось сохранить %1: %2").arg(path, error), true);
        return;
    }
    showMessage(tr("Выгружено строк: %1 в %2").arg(written).arg(path), false);
}

void JournalView::showMessage(const QString& text, bool error)
{
    m_message->setText(text);
    m_message->setStyleSheet(error ? QStringLiteral("color: rgb(255,0,0)")
                                   : QStringLiteral("color: rgb(0,0,0)"));
}
