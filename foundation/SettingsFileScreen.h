#pragma once

#include <QByteArray>
#include <QStringList>

// A settings file's text without the values Qt would decode as serialised binary data.
struct ScreenedSettingsText
{
    QByteArray text;         // the file's text, the dropped lines cut out and all else unchanged
    QStringList droppedKeys; // the keys of the dropped lines, as they stand in the file
};

// Qt reads an INI value of the form "@Variant(…)" or "@DateTime(…)" with QDataStream, which
// trusts the counts inside: a damaged or hostile value can make it allocate without bound and
// end the program. This program only ever stores texts, numbers and flags, so such a value is
// never its own. The screen follows Qt's INI reading (logical lines across quotes and escaped line
// ends, comment lines, comma lists, every escape form) to find those values before Qt sees them.
class SettingsFileScreen
{
public:
    static ScreenedSettingsText withoutSerializedValues(const QByteArray& iniText);
};
