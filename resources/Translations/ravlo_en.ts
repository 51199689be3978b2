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
    <name>COptionalSettingsField</name>
    <message>
        <source>Опциональные настройки</source>
        <translation>Optional settings</translation>
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
    <name>RegistrationStatus</name>
    <message>
        <source>Не было описания ошибки emptyDataForUpdate</source>
        <translation>No error description: emptyDataForUpdate</translation>
    </message>
</context>
</TS>
