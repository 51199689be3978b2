<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
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
</context>
</TS>
