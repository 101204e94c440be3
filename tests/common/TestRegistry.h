#ifndef TESTREGISTRY_H
#define TESTREGISTRY_H

#include <QList>
#include <functional>

class QObject;

// Lets one test executable per subsystem hold several QtTest classes, each in
// a file named after the unit it checks. A file registers its class with
// QUORVANE_TEST(ClassName); the shared main() runs them all in turn, or only
// the class named as the first argument. That main() comes from the core
// support (quorvane_testmain: no GUI) or the GUI support
// (quorvane_testsupport_gui: widgets offscreen in the program's font).
namespace TestRegistry {
using Factory = std::function<QObject *()>;
bool add(const char *name, Factory factory);
int runAll(int argc, char *argv[]);
}

#define QUORVANE_TEST(TestClass)                                                         \
    static const bool TestClass##Registered =                                            \
        TestRegistry::add(#TestClass, [] { return static_cast<QObject *>(new TestClass); })

#endif
