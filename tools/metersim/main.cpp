// quorvane-metersim: a simulated meter on a pseudo-terminal or serial device.

#include "tools/metersim/MeterSimulator.h"
#include "tools/metersim/Scenario.h"
#include "tools/metersim/TerminationWatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {
const int usageError = 2;
const int lineError = 1;

bool parseNumber(const QString &text, double *number)
{
    bool ok = false;
    *number = text.toDouble(&ok);
    return ok;
}

bool parseInteger(const QString &text, qint64 *number)
{
    bool ok = false;
    *number = text.toLongLong(&ok);
    return ok;
}
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvane-metersim"));
    QTextStream err(stderr);
    QTextStream out(stdout);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates the meter: sends its 14-byte frames on a new pseudo-terminal, whose path is "
        "printed on standard output, or on an existing serial device. Ends after --count "
        "frames or on SIGINT/SIGTERM."));
    parser.addHelpOption();
    const QCommandLineOption linkOption(QStringLiteral("link"),
        QStringLiteral("Also make <path> a symbolic link to the pseudo-terminal."), QStringLiteral("path"));
    const QCommandLineOption deviceOption(QStringLiteral("device"),
        QStringLiteral("Send on this existing serial device (19230 baud, 8N1) instead."), QStringLiteral("path"));
    const QCommandLineOption rateOption(QStringLiteral("rate"),
        QStringLiteral("Frames per second, up to %1 (default 2).").arg(MeterSimulator::maxRateText()),
        QStringLiteral("hz"), QStringLiteral("2"));
    const QCommandLineOption countOption(QStringLiteral("count"),
        QStringLiteral("Frames to send, 0 for no end (default 0)."), QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption scenarioOption(QStringLiteral("scenario"),
        QStringLiteral("What the meter shows: %1 (default dc).").arg(Scenario::names().join(QStringLiteral(", "))),
        QStringLiteral("name"), QStringLiteral("dc"));
    const QCommandLineOption noiseOption(QStringLiteral("noise"),
        QStringLiteral("Chance from 0 to 1 of stray bytes between two frames (default 0)."),
        QStringLiteral("p"), QStringLiteral("0"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
        QStringLiteral("Seed of the scenario and the noise; equal seeds give equal bytes (default 1)."),
        QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption holdOption(QStringLiteral("hold"),
        QStringLiteral("Frames the tour holds each state (default: from the rate, at least 2)."),
        QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
        QStringLiteral("Describe every frame on standard error."));
    parser.addOptions({linkOption, deviceOption, rateOption, countOption, scenarioOption, noiseOption,
                       seedOption, holdOption, verboseOption});

    if (!parser.parse(QCoreApplication::arguments())) {
        err << parser.errorText() << '\n';
        return usageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << "unexpected argument: " << parser.positionalArguments().first() << '\n';
        return usageError;
    }

    MeterSimulator::Options options;
    options.devicePath = parser.value(deviceOption);
    options.linkPath = parser.value(linkOption);
    options.scenario = parser.value(scenarioOption);
    options.verbose = parser.isSet(verboseOption);
    qint64 seed = 0;
    qint64 hold = 0;
    if (!parseNumber(parser.value(rateOption), &options.rate)
        || !parseInteger(parser.value(countOption), &options.count)
        || !parseNumber(parser.value(noiseOption), &options.noise)
        || !parseInteger(parser.value(seedOption), &seed) || seed < 0 || seed > 0xFFFFFFFFLL
        || !parseInteger(parser.value(holdOption), &hold) || hold > 1000000) {
        err << "rate, count, noise, seed and hold take numbers; see --help\n";
        return usageError;
    }
    options.seed = quint32(seed);
    options.framesPerState = int(hold);

    TerminationWatcher watcher;
    if (!watcher.install()) {
        err << "cannot watch for SIGINT/SIGTERM\n";
        return lineError;
    }
    MeterSimulator simulator(options);
    if (!simulator.checkOptions()) {
        err << simulator.errorString() << '\n';
        return usageError;
    }
    if (!simulator.open()) {
        err << simulator.errorString() << '\n';
        return lineError;
    }
    out << simulator.portName() << '\n';
    out.flush();

    QObject::connect(&watcher, &TerminationWatcher::signal_terminate, &simulator, &MeterSimulator::stop);
    QObject::connect(&simulator, &MeterSimulator::signal_finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    simulator.start();
    app.exec();
    if (!simulator.errorString().isEmpty()) {
        err << simulator.errorString() << '\n';
        return lineError;
    }
    return 0;
}
