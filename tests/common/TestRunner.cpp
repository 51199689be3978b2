#include "common/TestRunner.h"

#include "common/TestRegistry.h"
#include "resources/RavloResources.h"
#include "server/ServerRecords.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

std::vector<TestFactory>& registeredTests()
{
    static std::vector<TestFactory> tests;
    return tests;
}

int runRegisteredTests(int argc, char** argv)
{
    initRavloResources();
    registerProtocolMetaTypes();
    QTemporaryDir workDir;
    if (!workDir.isValid() || !QDir::setCurrent(workDir.path()))
        return 1;
    int status = 0;
    for (const TestFactory& makeTest : registeredTests()) {
        std::unique_ptr<QObject> test = makeTest();
        status |= QTest::qExec(test.get(), argc, argv);
        test.reset();
        // Objects a test left to deleteLater go before the next test starts, not never.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return status;
}
