#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

// Test classes of one subsystem register themselves here; the common main runs them all,
// so each subsystem has one test executable however many test files it has.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
std::vector<TestFactory>& registeredTests();

struct TestRegistrar
{
    explicit TestRegistrar(TestFactory factory) { registeredTests().push_back(std::move(factory)); }
};

#define RAVLO_REGISTER_TEST(TestClass)                                                                       \
    static const TestRegistrar registrar##TestClass([] { return std::unique_ptr<QObject>(new TestClass); });
