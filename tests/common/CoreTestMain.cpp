#include "common/TestRunner.h"

#include <QCoreApplication>

// Tests of ravlo_core run without any widget or display.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return runRegisteredTests(argc, argv);
}
