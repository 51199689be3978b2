#include "intake/widgets/DevicesFileLoader.h"

#include "foundation/CSettings.h"
#include "foundation/DebugLog.h"
#include "intake/DevicesFile.h"
#include "intake/DevicesResultCsv.h"
#include "intake/ReadDevicesListModel.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace {
const QString redStyle = QStringLiteral("color: rgb(255,0,0)");
const QString blackStyle = QStringLiteral("color: rgb(0,0,0)");
const QString fileFilter = QStringLiteral("CSV file (*.csv)");
} // namespace

DevicesFileLoader::DevicesFileLoader(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("devicesFileLoader"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle(tr("Добавление устройств из файла"));
    setMinimumWidth(600);
    m_lastFile =
        CSettings::readValue(CSettings::devicesFileName, CSettings::currentDevicesFileName).toString();

    auto* layout = new QGridLayout(this);
    auto* caption = new QLabel(tr("Список устройств, считанных из файла:"));
    layout->addWidget(caption, 0, 0);

    m_model = new ReadDevicesListModel(this);
    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("devicesFileTable"));
    m_table->setModel(m_model);
    // A fixed row height keeps a file of a hundred thousand devices quick to show and update.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->verticalHeader()->minimumSectionSize());
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1, 0);

    m_droppedLabel = new QLabel;
    m_droppedLabel->setObjectName(QStringLiteral("droppedLinesLabel"));
    m_droppedLabel->setWordWrap(true);
    m_droppedLabel->setStyleSheet(redStyle);
    m_droppedLabel->hide();
    layout->addWidget(m_droppedLabel, 2, 0);

    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("devicesFileProgress"));
    m_progress->setFormat(QStringLiteral("%v / %m"));
    m_progress->hide();
    layout->addWidget(m_progress, 3, 0);

    m_question = new QLabel(tr("Вы уверены что хотите добавить этот список устройств на сервер?"));
    m_question->setObjectName(QStringLiteral("devicesFileQuestion"));
    m_question->setWordWrap(true);
    layout->addWidget(m_question, 4, 0);

    auto* resultRow = new QHBoxLayout;
    m_saveButton = new QPushButton(tr("Сохранить результат…"));
    m_saveButton->setObjectName(QStringLiteral("saveResultsButton"));
    m_retryButton = new QPushButton(tr("Повторить неудачные"));
    m_retryButton->setObjectName(QStringLiteral("retryFailedButton"));
    m_retryButton->setEnabled(false);
    resultRow->addWidget(m_saveButton);
    resultRow->addWidget(m_retryButton);
    resultRow->addStretch();
    layout->addLayout(resultRow, 5, 0);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_buttons->setObjectName(QStringLiteral("devicesFileButtons"));
    m_buttons->setCenterButtons(true);
    layout->addWidget(m_buttons, 6, 0);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &DevicesFileLoader::okClicked);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &DevicesFileLoader::reject);
    connect(m_saveButton, &QPushButton::clicked, this, &DevicesFileLoader::askSaveFile);
    connect(m_retryButton, &QPushButton::clicked, this, &DevicesFileLoader::retryFailed);
    connect(CServerClient::instance(), &CServerClient::clientStateChanged, this,
            &DevicesFileLoader::onConnectionChanged);
    onConnectionChanged();
}

bool DevicesFileLoader::loggedIn()
{
    return CServerClient::instance()->clientState() == EClientStates::ready;
}

// ---- reading -----------------------------------------------------------------------------------

bool DevicesFileLoader::readDevicesFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Выберите файл для загрузки списка устройств"),
                                                      m_lastFile, fileFilter);
    if (path.isEmpty())
        return false;
    return loadDevicesFile(path);
}

bool DevicesFileLoader::loadDevicesFile(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    m_lastFile = path;
    CSettings::writeValue(CSettings::devicesFileName, path);
    const qint64 remembered = timer.elapsed();
    DevicesFile::Content content;
    QString error;
    // A long file is read in pieces with the window repainting in between; the operator's
    // input waits until the file is read.
    const auto repaint = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    if (!DevicesFile::read(path, &content, &error, repaint)) {
        CRITICAL_LOG << "Error file opening" << path << error;
        QMessageBox::critical(this, tr("Ошибка"), tr("Не удалось открыть файл!"), QMessageBox::Ok);
        return false;
    }
    if (content.devices.isEmpty()) {
        CRITICAL_LOG << "Error file opening: no device in" << path << "," << content.droppedLines.size()
                     << "lines dropped";
        QMessageBox::critical(this, tr("Ошибка"),
                              tr("В выбранном файле не обнаружено корректно заданных устройств!"),
                              QMessageBox::Ok);
        return false;
    }
    const qint64 parsed = timer.elapsed();
    const int devices = content.devices.size();
    m_droppedLines = content.droppedLines;
    m_model->setDevices(std::move(content.devices));
    const qint64 modelled = timer.elapsed();
    m_table->resizeColumnsToContents();
    DEBUG_LOG << "device file" << QFileInfo(path).fileName() << ":" << devices << "devices,"
              << m_droppedLines.size() << "lines dropped; ms: settings" << remembered << "parse"
              << parsed - remembered << "model" << modelled - parsed << "table" << timer.elapsed() - modelled;
    if (!m_droppedLines.isEmpty()) {
        m_droppedLabel->setText(tr("Строки файла без устройства (пропущено: %1): %2")
                                    .arg(m_droppedLines.size())
                                    .arg(DevicesFile::lineList(m_droppedLines)));
        m_droppedLabel->show();
    }
    return true;
}

// ---- sending -----------------------------------------------------------------------------------

void DevicesFileLoader::okClicked()
{
    if (m_sent) {
        if (m_state == State::ended)
            accept();
        return;
    }
    if (!loggedIn()) {
        onConnectionChanged();
        return;
    }
    QVector<int> rows(m_model->rowCount());
    for (int row = 0; row < rows.size(); ++row)
        rows[row] = row;
    startRun(rows);
}

void DevicesFileLoader::retryFailed()
{
    if (m_state != State::ended)
        return;
    if (!loggedIn()) {
        m_question->setText(tr("Нет подключения к серверу: войдите на сервер, чтобы отправить список."));
        m_question->setStyleSheet(redStyle);
        return;
    }
    const QVector<int> rows = m_model->unsuccessfulRows();
    if (rows.isEmpty())
        return;
    m_model->clearStatuses(rows);
    startRun(rows);
}

void DevicesFileLoader::startRun(const QVector<int>& rows)
{
    m_sent = true;
    m_state = State::sending;
    m_runRows = rows;
    m_answered = 0;
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    m_retryButton->setEnabled(false);
    m_progress->setRange(0, rows.size());
    m_progress->setValue(0);
    m_progress->show();
    m_question->setText(tr("Устройства отправляются на сервер…"));
    m_question->setStyleSheet(blackStyle);
    QVector<LoRaDevice> devices;
    if (rows.size() == m_model->rowCount()) {
        devices = m_model->devices(); // shared, not copied
    } else {
        devices.reserve(rows.size());
        for (int row : rows)
            devices.append(m_model->device(row));
    }
    DEBUG_LOG << "sending" << devices.size() << "devices of the file";
    emit sendDevices(devices);
}

void DevicesFileLoader::showAddResults(QVector<QPair<QString, QString>> statuses)
{
    const bool inRun = m_state == State::sending || m_state == State::stopping;
    const int matched = m_model->setStatuses(statuses);
    if (!inRun) {
        DEBUG_LOG << "results outside a run:" << statuses.size() << "," << matched << "rows";
        return;
    }
    m_answered += matched;
    m_progress->setValue(qMin(m_answered, m_progress->maximum()));
    if (m_state == State::sending)
        m_question->setText(tr("Устройства отправлены на сервер! Результат можно увидеть в таблице"));
}

void DevicesFileLoader::showRunEnd(int notSent, int unanswered)
{
    if (m_state != State::sending && m_state != State::stopping)
        return;
    const bool stopped = m_state == State::stopping;
    m_state = State::ended;
    int added = 0;
    for (int row : qAsConst(m_runRows)) {
        if (m_model->status(row) == Protocol::Status::added)
            ++added;
    }
    QString text = tr("Устройства отправлены на сервер! Результат можно увидеть в таблице");
    if (notSent > 0 || unanswered > 0) {
        if (stopped)
            text = tr("Отправка остановлена. Не отправлено строк: %1.").arg(notSent);
        else if (!loggedIn())
            text = tr("Связь с сервером прервана. Не отправлено строк: %1.").arg(notSent);
        else
            text = tr("Отправка прервана. Не отправлено строк: %1.").arg(notSent);
        if (unanswered > 0)
            text += QLatin1Char(' ') + tr("Без ответа сервера осталось строк: %1.").arg(unanswered);
    }
    m_question->setText(text);
    m_question->setStyleSheet(notSent > 0 || unanswered > 0 ? redStyle : blackStyle);
    m_retryButton->setEnabled(!m_model->unsuccessfulRows().isEmpty());
    DEBUG_LOG << "run ended:" << m_runRows.size() << "rows," << added << "added," << notSent << "not sent,"
              << unanswered << "unanswered";
    // Shown from the event loop: the run's last answer is still being handed round now.
    QTimer::singleShot(0, this, [this, added] { showSummary(added); });
}

void DevicesFileLoader::showSummary(int added)
{
    QMessageBox::information(this, QStringLiteral("Добавление устройств завершено"),
                             QStringLiteral("Добавлено устройств на сервер: %1").arg(added), QMessageBox::Ok);
}

void DevicesFileLoader::reject()
{
    switch (m_state) {
    case State::sending:
        // The request under way is answered still; only the rest is not sent.
        m_state = State::stopping;
        m_question->setText(
            tr("Отправка останавливается: ожидается ответ на последний отправленный запрос…"));
        emit stopSending();
        return;
    case State::stopping:
        // Cancel pressed again: the operator does not wait for the last answer.
        QDialog::reject();
        return;
    case State::confirming:
    case State::ended:
        QDialog::reject();
        return;
    }
}

void DevicesFileLoader::onConnectionChanged()
{
    if (m_sent)
        return;
    const bool ready = loggedIn();
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(ready);
    if (ready) {
        m_question->setText(tr("Вы уверены что хотите добавить этот список устройств на сервер?"));
        m_question->setStyleSheet(blackStyle);
    } else {
        m_question->setText(tr("Нет подключения к серверу: войдите на сервер, чтобы отправить список."));
        m_question->setStyleSheet(redStyle);
    }
}

// ---- the result as a file ------------------------------------------------------------------------

void DevicesFileLoader::askSaveFile()
{
    const QFileInfo source(m_lastFile);
    const QString suggested =
        source.absoluteDir().filePath(source.completeBaseName() + QStringLiteral("-result.csv"));
    const QString path = QFileDialog::getSaveFileName(this, tr("Сохранить результат"), suggested, fileFilter);
    if (!path.isEmpty())
        saveResults(path);
}

bool DevicesFileLoader::saveResults(const QString& path)
{
    QString error;
    if (DevicesResultCsv::write(*m_model, path, &error)) {
        DEBUG_LOG << "results saved:" << m_model->rowCount() << "rows";
        return true;
    }
    CRITICAL_LOG << "results not saved:" << path << error;
    QMessageBox::critical(this, tr("Ошибка"), tr("Не удалось сохранить файл: %1").arg(error),
                          QMessageBox::Ok);
    return false;
}
