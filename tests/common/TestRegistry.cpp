#include "tests/common/TestRegistry.h"

#include <QObject>
#include <QTest>
#include <QVector>

#include <algorithm>
#include <utility>

namespace {
struct Entry
{
    QByteArray name;
    TestRegistry::Factory factory;
};

QVector<Entry> &entries()
{
    static QVector<Entry> list;
    return list;
}
}

bool TestRegistry::add(const char *name, Factory factory)
{
    entries().append({QByteArray(name), std::move(factory)});
    return true;
}

int TestRegistry::runAll(int argc, char *argv[])
{
    // Static registration runs in link order; sort so a run is repeatable.
    std::sort(entries().begin(), entries().end(),
              [](const Entry &a, const Entry &b) { return a.name < b.name; });
    // "tst_x TestClass [args]" runs that class alone, with the rest of the
    // arguments (test functions, options) passed to it.
    QByteArray only;
    QVector<char *> args(argv, argv + argc);
    if (argc > 1) {
        for (const Entry &entry : qAsConst(entries())) {
            if (entry.name == argv[1]) {
                only = entry.name;
                args.remove(1);
                break;
            }
        }
    }
    int failed = 0;
    for (const Entry &entry : qAsConst(entries())) {
        if (!only.isEmpty() && entry.name != only)
            continue;
        QObject *test = entry.factory();
        failed += QTest::qExec(test, args.size(), args.data());
        delete test;
    }
    return failed == 0 ? 0 : 1;
}
