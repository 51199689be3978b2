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
    <name>RegistrationStatus</name>
    <message>
        <source>Не было описания ошибки emptyDataForUpdate</source>
        <translation>No error description: emptyDataForUpdate</translation>
    </message>
</context>
</TS>
