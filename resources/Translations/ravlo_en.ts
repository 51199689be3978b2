<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>CMessageParser</name>
    <message>
        <source>Имя не установлено</source>
        <translation>Name not set</translation>
    </message>
</context>
<context>
    <name>CServerSettingsWidget</name>
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
    <name>RegistrationStatus</name>
    <message>
        <source>Не было описания ошибки emptyDataForUpdate</source>
        <translation>No error description: emptyDataForUpdate</translation>
    </message>
</context>
</TS>
