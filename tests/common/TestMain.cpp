#include "common/TestRegistry.h"
#include "resources/RavloResources.h"
#include "server/ServerRecords.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

std::vector<TestFactory>& registeredTests()
{
    static std::vector<TestFactory> tests;
    return tests;
}

// Every executable works in a fresh temporary directory, so the settings store
// (which opens "settings.cfg" in the working directory) never touches a real one.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    initRavloResources();
    registerProtocolMetaTypes();
    QTemporaryDir workDir;
    if (!workDir.isValid() || !QDir::setCurrent(workDir.path()))
        return 1;
    int status = 0;
    for (const TestFactory& makeTest : registeredTests()) {
        std::unique_ptr<QObject> test = makeTest();
        status |= QTest::qExec(test.get(), argc, argv);
    }
    return status;
}
