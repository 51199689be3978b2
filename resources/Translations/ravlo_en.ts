<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>CAdaptiveDrSettingsField</name>
    <message>
        <source>Адаптивная скорость передачи данных</source>
        <translation>Adaptive data rate</translation>
    </message>
    <message>
        <source>Скорость передачи данных</source>
        <translation>Preferred data rate</translation>
    </message>
    <message>
        <source>Мощность передачи данных</source>
        <translation>Preferred transmit power</translation>
    </message>
</context>
<context>
    <name>CDeviceSettingsField</name>
    <message>
        <source>Устройство</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Имя устройства</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>Класс устройства</source>
        <translation>Device class</translation>
    </message>
</context>
<context>
    <name>CExpertSettingsField</name>
    <message>
        <source>Экспертные настройки</source>
        <translation>Expert settings</translation>
    </message>
</context>
<context>
    <name>CExtPulseSettingsField</name>
    <message>
        <source>Дополнительные настройки</source>
        <translation>Advanced settings</translation>
    </message>
    <message>
        <source>Адрес</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Имя объекта</source>
        <translation>Object name</translation>
    </message>
    <message>
        <source>Помещение</source>
        <translation>Room</translation>
    </message>
    <message>
        <source>Пользовательское имя</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>Информация/комментарий</source>
        <translation>Information/comment</translation>
    </message>
    <message>
        <source>Индивидуальный адрес</source>
        <translation>Individual address</translation>
    </message>
    <message>
        <source>Заводской номер</source>
        <translation>Factory number</translation>
    </message>
    <message>
        <source>Дата поверки</source>
        <translation>Verification date</translation>
    </message>
    <message>
        <source>Межповерочный интервал, лет</source>
        <translation>Verification interval, years</translation>
    </message>
    <message>
        <source>Номер лицевого счета</source>
        <translation>Account number</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Количество тарифов</source>
        <translation>Number of rates</translation>
    </message>
    <message>
        <source>Количество фаз</source>
        <translation>Number of phase</translation>
    </message>
    <message>
        <source>Вода</source>
        <translation>Water</translation>
    </message>
    <message>
        <source>Перечень телефонов</source>
        <translation>Telephones list</translation>
    </message>
    <message>
        <source>Перечень email</source>
        <translation>Email list</translation>
    </message>
    <message>
        <source>Перечень telegram</source>
        <translation>Telegram list</translation>
    </message>
    <message>
        <source>Текс смс сообщений</source>
        <translation>SMS message text</translation>
    </message>
    <message>
        <source>Текст сообщений</source>
        <translation>Message text</translation>
    </message>
    <message>
        <source>Текст голосовых сообщений</source>
        <translation>Voice message text</translation>
    </message>
    <message>
        <source>Отправка SMS о тревогах</source>
        <translation>Send SMS about alarms</translation>
    </message>
    <message>
        <source>Отправка email о тревогах</source>
        <translation>Send email about alarms</translation>
    </message>
    <message>
        <source>Отправка телеграм сообщений о тревогах</source>
        <translation>Send telegram message about alarms</translation>
    </message>
    <message>
        <source>Отправка голосовых сообщений о тревогах</source>
        <translation>Send voice message about alarms</translation>
    </message>
    <message>
        <source>Включить уведомления о тревогах</source>
        <translation>Enable notifications about alarms</translation>
    </message>
    <message>
        <source>Отправка настраиваемых сообщений</source>
        <translation>Sending custom messages</translation>
    </message>
    <message>
        <source>Отправка сообщений предустановленного формата</source>
        <translation>Sending messages in a predefined format</translation>
    </message>
    <message>
        <source>Отображать профиль мощности</source>
        <translation>Display power profile</translation>
    </message>
    <message>
        <source>Наличие реле</source>
        <translation>Relay presence</translation>
    </message>
    <message>
        <source>Отображать как</source>
        <translation>Display as</translation>
    </message>
    <message>
        <source>Статус</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Цвет</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>Однофазный</source>
        <translation>One-phase</translation>
    </message>
    <message>
        <source>Трехфазный</source>
        <translation>Three-phase</translation>
    </message>
    <message>
        <source>Горячая</source>
        <translation>Hot</translation>
    </message>
    <message>
        <source>Холодная</source>
        <translation>Cold</translation>
    </message>
    <message>
        <source>Меркурий %1</source>
        <translation>Mercury %1</translation>
    </message>
    <message>
        <source>другой</source>
        <translation>other</translation>
    </message>
    <message>
        <source>ЦЭ 2726А</source>
        <translation>CE 2726A</translation>
    </message>
    <message>
        <source>ЦЭ 2727А</source>
        <translation>CE 2727A</translation>
    </message>
    <message>
        <source>Топаз 104/105</source>
        <translation>Topaz 104/105</translation>
    </message>
    <message>
        <source>Меркурий 206 (Инкотекс)</source>
        <translation>Mercury 206 (Incotex)</translation>
    </message>
    <message>
        <source>В эксплуатации</source>
        <translation>In operation</translation>
    </message>
    <message>
        <source>Не активно</source>
        <translation>Not active</translation>
    </message>
    <message>
        <source>На ремонте</source>
        <translation>On repair</translation>
    </message>
    <message>
        <source>Тестируется</source>
        <translation>Testing</translation>
    </message>
</context>
<context>
    <name>CFreqPlanSettingsField</name>
    <message>
        <source>Частотный план</source>
        <translation>Frequency plan</translation>
    </message>
    <message>
        <source>Частота</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>Активно</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>RX2 Частота, Hz</source>
        <translation>RX2 frequency, Hz</translation>
    </message>
</context>
<context>
    <name>CIAboutDevice</name>
    <message>
        <source>Регистрация устройства</source>
        <translation>Device registration</translation>
    </message>
    <message>
        <source>Таблица устройств</source>
        <translation>Device table</translation>
    </message>
    <message>
        <source>Основные данные</source>
        <translation>General data</translation>
    </message>
    <message>
        <source>Дополнительные данные</source>
        <translation>Additional data</translation>
    </message>
    <message>
        <source>&amp;Добавить</source>
        <translation>&amp;Add</translation>
    </message>
    <message>
        <source>Добавлять в автоматическом режиме</source>
        <translation>Add in auto-mode</translation>
    </message>
    <message>
        <source>Открыть файл с запросами</source>
        <translation>Open requests file</translation>
    </message>
    <message>
        <source>Стоп</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Удаление устройства</source>
        <translation>Remove device</translation>
    </message>
    <message>
        <source>Вы действительно хотите удалить устройство DevEUI:%1 с сервера?</source>
        <translation>Are you sure you want to remove device DevEUI:%1 from server?</translation>
    </message>
    <message>
        <source>сервер не сообщил результат</source>
        <translation>the server gave no result</translation>
    </message>
    <message>
        <source>Не удалено: %1</source>
        <translation>Not removed: %1</translation>
    </message>
    <message>
        <source>Нет подключения к серверу: запросы из файла не отправлены.</source>
        <translation>No connection to the server: the requests of the file were not sent.</translation>
    </message>
    <message>
        <source>Открыть файл</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>Текстовые файлы (*.txt);</source>
        <translation>Text files (*.txt);</translation>
    </message>
    <message>
        <source>Отправлено запросов: %1, пропущено строк: %2</source>
        <translation>Requests sent: %1, lines skipped: %2</translation>
    </message>
    <message>
        <source>Остановлено.</source>
        <translation>Stopped.</translation>
    </message>
    <message>
        <source>Нет подключения к серверу: остальные запросы не отправлены.</source>
        <translation>No connection to the server: the remaining requests were not sent.</translation>
    </message>
    <message>
        <source>Не удалось открыть файл.</source>
        <translation>The file could not be opened.</translation>
    </message>
</context>
<context>
    <name>CLeftPanel</name>
    <message>
        <source>:/icons/Qelt_logo_ru.png</source>
        <translation>:/icons/Qelt_logo_en.png</translation>
    </message>
    <message>
        <source>Отправить данные</source>
        <translation>Send data</translation>
    </message>
    <message>
        <source>Считать устройства из файла</source>
        <translation>Read devices from file</translation>
    </message>
</context>
<context>
    <name>CLoRaPresets</name>
    <message>
        <source>Список готовых настроек</source>
        <translation>List of presets</translation>
    </message>
    <message>
        <source>Имя пресета</source>
        <translation>Preset name</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Не удалось записать пресеты в файл настроек: они сохранятся только до закрытия программы.</source>
        <translation>Could not write the presets to the settings file: they are kept only until the program is closed.</translation>
    </message>
    <message>
        <source>ключ &quot;%1&quot; повторяется</source>
        <translation>the key &quot;%1&quot; is repeated</translation>
    </message>
    <message>
        <source>это не список</source>
        <translation>it is not a list</translation>
    </message>
    <message>
        <source>это не JSON</source>
        <translation>it is not JSON</translation>
    </message>
    <message>
        <source>Сохранённые пресеты не удалось прочитать (%1). Их текст остаётся в файле настроек и будет скопирован в отдельный файл перед первым сохранением пресета.</source>
        <translation>The stored presets could not be read (%1). Their text stays in the settings file and is copied to a file of its own before a preset is first saved.</translation>
    </message>
    <message>
        <source>Не удалось сохранить копию прежних пресетов рядом с файлом настроек: пресет не сохранён, прежний текст оставлен как есть.</source>
        <translation>Could not keep a copy of the earlier presets beside the settings file: the preset was not saved and the earlier text was left as it is.</translation>
    </message>
    <message>
        <source>Прежний текст пресетов, который не удалось прочитать, сохранён в файл %1.</source>
        <translation>The earlier presets text, which could not be read, was kept in the file %1.</translation>
    </message>
</context>
<context>
    <name>CLocationSettingsField</name>
    <message>
        <source>Расположение</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>Широта</source>
        <translation>Latitude</translation>
    </message>
    <message>
        <source>Максимум 90.00</source>
        <translation>Max 90.00</translation>
    </message>
    <message>
        <source>Долгота</source>
        <translation>Longtitude</translation>
    </message>
    <message>
        <source>Максимум 180.00</source>
        <translation>Max 180.00</translation>
    </message>
    <message>
        <source>Высота над уровнем моря</source>
        <translation>Altitude</translation>
    </message>
</context>
<context>
    <name>CMessageParser</name>
    <message>
        <source>Имя не установлено</source>
        <translation>Name not set</translation>
    </message>
</context>
<context>
    <name>COptionalSettingsField</name>
    <message>
        <source>Опциональные настройки</source>
        <translation>Optional settings</translation>
    </message>
</context>
<context>
    <name>CPulseSettingsField</name>
    <message>
        <source>Настройки Qelt Pulse</source>
        <translation>Qelt Pulse settings</translation>
    </message>
    <message>
        <source>Группа</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>младше 1.0</source>
        <translation>older than 1.0</translation>
    </message>
    <message>
        <source>1.1 и старше</source>
        <translation>1.1 and newer</translation>
    </message>
    <message>
        <source>Версия прошивки</source>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>ЦЭ 2726А, ЦЭ 2727А, Меркурий 206...</source>
        <translation>CE 2726A, CE 2727A, Mercury 206...</translation>
    </message>
    <message>
        <source>ЦЭ 2726А, ЦЭ 2727А, Меркурий 206,Меркурий 200.02,Топаз 104/105,Меркурий 206 (Инкотекс)</source>
        <translation>CE 2726A, CE 2727A, Mercury 206,Mercury 200.02,Topaz 104/105,Mercury 206 (Incotex)</translation>
    </message>
    <message>
        <source>Меркурий 203.2TD, Меркурий 204, Меркурий 208...</source>
        <translation>Mercury 203.2TD, Mercury 204, Mercury 208...</translation>
    </message>
    <message>
        <source>Меркурий 203.2TD, Меркурий 204, Меркурий 208, Меркурий 230,Меркурий 231,Меркурий 233,Меркурий 234,Меркурий 236,Меркурий 238</source>
        <translation>Mercury 203.2TD, Mercury 204, Mercury 208, Mercury 230,Mercury 231,Mercury 233,Mercury 234,Mercury 236,Mercury 238</translation>
    </message>
    <message>
        <source>СпбЗИП</source>
        <translation>SpBZIP</translation>
    </message>
    <message>
        <source>Бетар СВЭ</source>
        <translation>Betar SVE</translation>
    </message>
    <message>
        <source>Бетар СГБМ</source>
        <translation>Betar SGBM</translation>
    </message>
    <message>
        <source>Тип устройства</source>
        <translation>Device type</translation>
    </message>
</context>
<context>
    <name>CRxSettingsField</name>
    <message>
        <source>Настройки устройства RX</source>
        <translation>Device RX settings</translation>
    </message>
    <message>
        <source>Окно RX</source>
        <translation>RX window</translation>
    </message>
    <message>
        <source>Задержка Join RX1</source>
        <translation>RX1 delay</translation>
    </message>
    <message>
        <source>Скорость передачи RX2</source>
        <translation>RX2 data rate</translation>
    </message>
    <message>
        <source>Задержка присоединения</source>
        <translation>Accept Join Delay</translation>
    </message>
</context>
<context>
    <name>CScanerSettings</name>
    <message>
        <source>Сканер</source>
        <translation>Scanner</translation>
    </message>
    <message>
        <source>&amp;Обновить</source>
        <translation>&amp;Refresh</translation>
    </message>
    <message>
        <source>Загрузить файл ключей…</source>
        <translation>Load key file…</translation>
    </message>
    <message>
        <source>Выберите файл ключей</source>
        <translation>Choose the key file</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv);;Все файлы (*)</source>
        <translation>CSV files (*.csv);;All files (*)</translation>
    </message>
    <message>
        <source>Файл ключей не загружен</source>
        <translation>No key file loaded</translation>
    </message>
    <message>
        <source>Файл ключей: %1 (устройств: %2)</source>
        <translation>Key file: %1 (%2 devices)</translation>
    </message>
</context>
<context>
    <name>CServerDataView</name>
    <message>
        <source>Данные устройства с сервера</source>
        <translation>Device data from the server</translation>
    </message>
    <message>
        <source>Зарегистрировано устройств: </source>
        <translation>Registered devices: </translation>
    </message>
    <message>
        <source>AppsKye:</source>
        <translation>AppsKye:</translation>
    </message>
    <message>
        <source>Имя устройства: </source>
        <translation>Device name: </translation>
    </message>
    <message>
        <source>Класс устройства: </source>
        <translation>Device class: </translation>
    </message>
    <message>
        <source>Время отклика(мс): </source>
        <translation>Response time(ms): </translation>
    </message>
    <message>
        <source>Частотный план: </source>
        <translation>Frequency plan: </translation>
    </message>
    <message>
        <source>Частота 4:</source>
        <translation>Freq 4:</translation>
    </message>
    <message>
        <source>Частота 5:</source>
        <translation>Freq 5:</translation>
    </message>
    <message>
        <source>Частота 6:</source>
        <translation>Freq 6:</translation>
    </message>
    <message>
        <source>Частота 7:</source>
        <translation>Freq 7:</translation>
    </message>
    <message>
        <source>Частота 8:</source>
        <translation>Freq 8:</translation>
    </message>
    <message>
        <source>Rx2 частота: </source>
        <translation>RX2 frequency: </translation>
    </message>
    <message>
        <source>Скорость передачи: </source>
        <translation>Data rate: </translation>
    </message>
    <message>
        <source>Мощность передачи: </source>
        <translation>Transmit power: </translation>
    </message>
    <message>
        <source>Окно RX: </source>
        <translation>RX window: </translation>
    </message>
    <message>
        <source>Задержка RX1: </source>
        <translation>RX1 delay: </translation>
    </message>
    <message>
        <source>Скорость передачи RX2: </source>
        <translation>RX2 data rate: </translation>
    </message>
    <message>
        <source>Задержка присоединения:</source>
        <translation>Accept Join Delay:</translation>
    </message>
    <message>
        <source>Широта: </source>
        <translation>Latitude: </translation>
    </message>
    <message>
        <source>Долгота: </source>
        <translation>Longtitude: </translation>
    </message>
    <message>
        <source>Высота над уровнем моря: </source>
        <translation>Altitude: </translation>
    </message>
</context>
<context>
    <name>CServerClient</name>
    <message>
        <source>Сервер не завершил вход за %1 с</source>
        <translation>The server did not complete the login within %1 s</translation>
    </message>
    <message>
        <source>Связь с сервером потеряна: нет ответа на ping за %1 с</source>
        <translation>Connection to the server lost: no answer to a ping within %1 s</translation>
    </message>
</context>
<context>
    <name>CServerSettingsWidget</name>
    <message>
        <source>Повторное подключение в %1 (попытка %2)</source>
        <translation>Connecting again at %1 (attempt %2)</translation>
    </message>
    <message>
        <source>Повторное подключение… (попытка %1)</source>
        <translation>Connecting again… (attempt %1)</translation>
    </message>
    <message>
        <source>Неверное имя пользователя или пароль</source>
        <translation>Wrong user name or password</translation>
    </message>
    <message>
        <source>Сервер отказал во входе</source>
        <translation>The server refused the login</translation>
    </message>
    <message>
        <source>example input -&gt; 127.0.0.1:XXXXX</source>
        <translation>example input -&gt; 127.0.0.1:XXXXX</translation>
    </message>
    <message>
        <source>Запомнить логин и пароль</source>
        <translation>Remember me</translation>
    </message>
    <message>
        <source>Статус :</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>Пользователь:</source>
        <translation>User:</translation>
    </message>
    <message>
        <source>Пароль:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>&amp;Отключиться</source>
        <translation>&amp;Disconnect</translation>
    </message>
    <message>
        <source>&amp;Подключиться</source>
        <translation>&amp;Connect</translation>
    </message>
</context>
<context>
    <name>CSettingsClassCDeviceField</name>
    <message>
        <source>Настройки устройства класса C</source>
        <translation>Class C device settings</translation>
    </message>
    <message>
        <source>Время реакции устройства класса С, (мс)</source>
        <translation>Class C device reaction time, (ms)</translation>
    </message>
</context>
<context>
    <name>CTopPanel</name>
    <message>
        <source>Зарегистрировано всего:</source>
        <translation>Registered total:</translation>
    </message>
    <message>
        <source>              Добавлено устройств:</source>
        <translation>              Added devices:</translation>
    </message>
    <message>
        <source>Удалить добавленые устройства</source>
        <translation>Remove added devices</translation>
    </message>
    <message>
        <source>Язык: </source>
        <translation>Language: </translation>
    </message>
    <message>
        <source>Нет подключения к серверу: добавленные устройства не удалены с сервера.</source>
        <translation>No connection to the server: the added devices were not removed from the server.</translation>
    </message>
    <message>
        <source>Удаление устройств</source>
        <translation>Remove devices</translation>
    </message>
    <message>
        <source>Удалить с сервера устройства, добавленные в этом сеансе (%1)?</source>
        <translation>Remove the devices added in this run (%1) from the server?</translation>
    </message>
</context>
<context>
    <name>CommissioningJournal</name>
    <message>
        <source>Журнал не записан (%1): %2</source>
        <translation>The journal was not written (%1): %2</translation>
    </message>
    <message>
        <source>Не удалось прочитать журнал %1: %2</source>
        <translation>The journal %1 could not be read: %2</translation>
    </message>
</context>
<context>
    <name>DetailsButtonDelegate</name>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>DeviceListModel</name>
    <message>
        <source>Имя не установлено</source>
        <translation>Name not set</translation>
    </message>
    <message>
        <source>Имя устройства</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>DevEUI</source>
        <translation>DevEUI</translation>
    </message>
    <message>
        <source>Действие</source>
        <translation>Action</translation>
    </message>
</context>
<context>
    <name>DevicesFileLoader</name>
    <message>
        <source>Добавление устройств из файла</source>
        <translation>Adding devices from a file</translation>
    </message>
    <message>
        <source>Список устройств, считанных из файла:</source>
        <translation>List of devices read from the file:</translation>
    </message>
    <message>
        <source>Вы уверены что хотите добавить этот список устройств на сервер?</source>
        <translation>Are you sure you want to add this list of devices to the server?</translation>
    </message>
    <message>
        <source>Сохранить результат…</source>
        <translation>Save results…</translation>
    </message>
    <message>
        <source>Повторить неудачные</source>
        <translation>Retry failed</translation>
    </message>
    <message>
        <source>Выберите файл для загрузки списка устройств</source>
        <translation>Choose a file to load the list of devices</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Не удалось открыть файл!</source>
        <translation>The file could not be opened!</translation>
    </message>
    <message>
        <source>В выбранном файле не обнаружено корректно заданных устройств!</source>
        <translation>No correctly specified devices were found in the selected file!</translation>
    </message>
    <message>
        <source>Строки файла без устройства (пропущено: %1): %2</source>
        <translation>Lines of the file without a device (skipped: %1): %2</translation>
    </message>
    <message>
        <source>Нет подключения к серверу: войдите на сервер, чтобы отправить список.</source>
        <translation>No connection to the server: log in to send the list.</translation>
    </message>
    <message>
        <source>Устройства отправляются на сервер…</source>
        <translation>Sending the devices to the server…</translation>
    </message>
    <message>
        <source>Устройства отправлены на сервер! Результат можно увидеть в таблице</source>
        <translation>Devices were sent to the server! The result can be seen in the table</translation>
    </message>
    <message>
        <source>Отправка остановлена. Не отправлено строк: %1.</source>
        <translation>Sending stopped. Rows not sent: %1.</translation>
    </message>
    <message>
        <source>Связь с сервером прервана. Не отправлено строк: %1.</source>
        <translation>The connection to the server was lost. Rows not sent: %1.</translation>
    </message>
    <message>
        <source>Отправка прервана. Не отправлено строк: %1.</source>
        <translation>Sending interrupted. Rows not sent: %1.</translation>
    </message>
    <message>
        <source>Без ответа сервера осталось строк: %1.</source>
        <translation>Rows left without an answer from the server: %1.</translation>
    </message>
    <message>
        <source>Отправка останавливается: ожидается ответ на последний отправленный запрос…</source>
        <translation>Stopping: waiting for the answer to the last request sent…</translation>
    </message>
    <message>
        <source>Сохранить результат</source>
        <translation>Save results</translation>
    </message>
    <message>
        <source>Не удалось сохранить файл: %1</source>
        <translation>The file could not be saved: %1</translation>
    </message>
</context>
<context>
    <name>JournalModel</name>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Сервер</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>Пользователь</source>
        <translation>User</translation>
    </message>
    <message>
        <source>Действие</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>Имя устройства</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>Статус</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>регистрация</source>
        <translation>registration</translation>
    </message>
    <message>
        <source>удаление</source>
        <translation>deletion</translation>
    </message>
</context>
<context>
    <name>JournalView</name>
    <message>
        <source>Журнал</source>
        <translation>Journal</translation>
    </message>
    <message>
        <source>часть DevEUI</source>
        <translation>part of the DevEUI</translation>
    </message>
    <message>
        <source>Статус:</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>Выгрузить дни с</source>
        <translation>Export the days from</translation>
    </message>
    <message>
        <source>по</source>
        <translation>to</translation>
    </message>
    <message>
        <source>Экспорт в CSV…</source>
        <translation>Export to CSV…</translation>
    </message>
    <message>
        <source>Нечитаемых строк в журнале пропущено: %1</source>
        <translation>Unreadable journal lines skipped: %1</translation>
    </message>
    <message>
        <source>все</source>
        <translation>all</translation>
    </message>
    <message>
        <source>Сохранить журнал</source>
        <translation>Save the journal</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>Первый день выгрузки позже последнего</source>
        <translation>The first day of the export is after the last one</translation>
    </message>
    <message>
        <source>Не удалось сохранить %1: %2</source>
        <translation>Could not save %1: %2</translation>
    </message>
    <message>
        <source>Выгружено строк: %1 в %2</source>
        <translation>Lines exported: %1 to %2</translation>
    </message>
</context>
<context>
    <name>KeyFile</name>
    <message>
        <source>Не удалось открыть файл ключей: %1</source>
        <translation>The key file could not be opened: %1</translation>
    </message>
    <message>
        <source>Файл ключей слишком велик (больше %1 МБ)</source>
        <translation>The key file is too large (over %1 MB)</translation>
    </message>
    <message>
        <source>В файле нет ни одной строки с DevEUI и ключами (AppKey или AppSKey и NwkSKey)</source>
        <translation>The file has no line with a DevEUI and keys (AppKey, or AppSKey and NwkSKey)</translation>
    </message>
    <message>
        <source>Ключи взяты из файла ключей</source>
        <translation>Keys from the key file</translation>
    </message>
    <message>
        <source>В файле ключей нет ключей для этого DevEUI</source>
        <translation>No keys for this DevEUI in the key file</translation>
    </message>
</context>
<context>
    <name>ReadDevicesListModel</name>
    <message>
        <source>DevEUI</source>
        <translation>DevEUI</translation>
    </message>
    <message>
        <source>AppEUI</source>
        <translation>AppEUI</translation>
    </message>
    <message>
        <source>AppKey</source>
        <translation>AppKey</translation>
    </message>
    <message>
        <source>Статус</source>
        <translation>Status</translation>
    </message>
</context>
<context>
    <name>RegistrationStatus</name>
    <message>
        <source>Не было описания ошибки emptyDataForUpdate</source>
        <translation>No error description: emptyDataForUpdate</translation>
    </message>
</context>
<context>
    <name>SendDataDialog</name>
    <message>
        <source>Порт должен быть числом от %1 до %2.</source>
        <translation>The port must be a number from %1 to %2.</translation>
    </message>
    <message>
        <source>Введите данные для отправки.</source>
        <translation>Enter the data to send.</translation>
    </message>
    <message>
        <source>Данные должны состоять из пар шестнадцатеричных цифр, например 0A1B.</source>
        <translation>The data must be pairs of hexadecimal digits, for example 0A1B.</translation>
    </message>
    <message>
        <source>Данных %1 байт, больше чем %2.</source>
        <translation>The data are %1 bytes long, more than %2.</translation>
    </message>
    <message>
        <source>Отправка данных на устройство</source>
        <translation>Sending data to a device</translation>
    </message>
    <message>
        <source>DevEui:</source>
        <translation>DevEui:</translation>
    </message>
    <message>
        <source>Порт:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Данные:</source>
        <translation>Data:</translation>
    </message>
    <message>
        <source>Нет подключения к серверу: данные не отправлены.</source>
        <translation>No connection to the server: the data was not sent.</translation>
    </message>
</context>
<context>
    <name>Tr005Code</name>
    <message>
        <source>Код LoRaWAN (LW:) должен быть одной строкой</source>
        <translation>A LoRaWAN code (LW:) must be a single line</translation>
    </message>
    <message>
        <source>В коде LoRaWAN (LW:) не хватает полей: %1 вместо не менее 5</source>
        <translation>The LoRaWAN code (LW:) lacks fields: %1 instead of at least 5</translation>
    </message>
    <message>
        <source>Неизвестная версия кода LoRaWAN: «%1» (ожидается D0)</source>
        <translation>Unknown LoRaWAN code version: &quot;%1&quot; (D0 expected)</translation>
    </message>
    <message>
        <source>JoinEUI в коде LoRaWAN должен состоять из 16 шестнадцатеричных цифр: «%1»</source>
        <translation>The JoinEUI of a LoRaWAN code must be 16 hexadecimal digits: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>DevEUI в коде LoRaWAN должен состоять из 16 шестнадцатеричных цифр: «%1»</source>
        <translation>The DevEUI of a LoRaWAN code must be 16 hexadecimal digits: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>ProfileID в коде LoRaWAN должен состоять из 8 шестнадцатеричных цифр: «%1»</source>
        <translation>The ProfileID of a LoRaWAN code must be 8 hexadecimal digits: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>В коде LoRaWAN есть пустое поле</source>
        <translation>The LoRaWAN code has an empty field</translation>
    </message>
    <message>
        <source>Поле %1 повторяется в коде LoRaWAN</source>
        <translation>Field %1 appears twice in the LoRaWAN code</translation>
    </message>
    <message>
        <source>Контрольная сумма кода LoRaWAN должна быть последним полем из 4 шестнадцатеричных цифр: «%1»</source>
        <translation>The checksum of a LoRaWAN code must be the last field, 4 hexadecimal digits: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Контрольная сумма кода LoRaWAN не совпадает: «%1» — код считан с ошибкой</source>
        <translation>The checksum of the LoRaWAN code does not match: &quot;%1&quot; — the code was misread</translation>
    </message>
</context>
</TS>
