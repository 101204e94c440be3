#include "app/DesignFont.h"
#include "tests/common/TestRegistry.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Widgets are checked in the font the program gives them.
    DesignFont::apply();
    return TestRegistry::runAll(argc, argv);
}
