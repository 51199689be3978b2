#pragma once

#include <QString>
#include <QWidget>

class CMainWindow;
class SimProcess;

// The window's child with this object name; a missing one ends the test run at once, since every
// later step would act on nothing.
template <typename T> T* find(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QLatin1String(name));
    if (!child)
        qFatal("no widget %s", name);
    return child;
}

// The operator logs in to the simulator through the connection panel, and the login completes.
void logIn(CMainWindow& window, const SimProcess& sim, const QString& password = QStringLiteral("ravlo"));
