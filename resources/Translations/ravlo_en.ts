<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
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
    <name>RegistrationStatus</name>
    <message>
        <source>Не было описания ошибки emptyDataForUpdate</source>
        <translation>No error description: emptyDataForUpdate</translation>
    </message>
</context>
</TS>
