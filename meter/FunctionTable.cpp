#include "meter/FunctionTable.h"

namespace {
using Limits = QPair<double, double>;

const QString ohm = QStringLiteral("\u03A9");
const QString kOhm = QStringLiteral("k\u03A9");
const QString MOhm = QStringLiteral("M\u03A9");
const QString mV = QStringLiteral("mV"), V = QStringLiteral("V"), nF = QStringLiteral("nF"),
              uF = QStringLiteral("uF"), mF = QStringLiteral("mF"), Hz = QStringLiteral("Hz"),
              kHz = QStringLiteral("kHz"), MHz = QStringLiteral("MHz"), uA = QStringLiteral("uA"),
              mA = QStringLiteral("mA"), A = QStringLiteral("A");
}  // namespace

const QVector<QString> FunctionTable::functionNames = {
    QStringLiteral("DCmV"), QStringLiteral("ACmV"), QStringLiteral("DCV"), QStringLiteral("ACV"),
    QStringLiteral("OHM"), QStringLiteral("DIODE"), QStringLiteral("BEEP"), QStringLiteral("CAP"),
    QStringLiteral("FREQ"), QStringLiteral("DUTY"), QStringLiteral("TEMP"), QStringLiteral("TEMP"),
    QStringLiteral("DCuA"), QStringLiteral("ACuA"), QStringLiteral("DCmA"), QStringLiteral("ACmA"),
    QStringLiteral("DCA"), QStringLiteral("ACA"),
};

const QVector<QVector<QString>> FunctionTable::unitTable = {
    {mV},
    {mV},
    {V, V, V, V},
    {V, V, V, V},
    {ohm, kOhm, kOhm, kOhm, MOhm, MOhm, MOhm},
    {V},
    {ohm},
    {nF, nF, uF, uF, uF, mF, mF, mF},
    {Hz, Hz, QString(), kHz, kHz, MHz, MHz, MHz},
    {QStringLiteral("%")},
    {QStringLiteral("\u2103")},
    {QStringLiteral("\u2109")},
    {uA, uA},
    {uA, uA},
    {mA, mA},
    {mA, mA},
    {A},
    {A},
};

const QVector<QVector<int>> FunctionTable::decimalTable = {
    {2}, {2}, {4, 3, 2, 1}, {4, 3, 2, 1}, {2, 4, 3, 2, 4, 3, 2}, {4}, {2},
    {3, 2, 4, 3, 2, 4, 3, 2}, {2, 1, 0, 3, 2, 4, 3, 2}, {1}, {1}, {1},
    {2, 1}, {2, 1}, {3, 2}, {3, 2}, {3}, {3},
};

const QVector<QVector<double>> FunctionTable::overloadTable = {
    {230}, {230}, {2.3, 23, 230, 1100}, {2.3, 23, 230, 760}, {230, 2.3, 23, 230, 2.3, 23, 230},
    {2.6}, {230}, {23, 230, 2.3, 23, 230, 2.3, 23, 230}, {23, 230, 0, 23, 230, 2.3, 23, 60},
    {100}, {1100, 22}, {1850, 5}, {230, 2300}, {230, 2300}, {23, 230}, {23, 230}, {11}, {11},
};

const QVector<QVector<QPair<double, double>>> FunctionTable::plotLimitTable = {
    {Limits(240, -240)},
    {Limits(240, -240)},
    {Limits(2.4, -2.4), Limits(24, -24), Limits(240, -240), Limits(1110, -1110)},
    {Limits(2.4, 0), Limits(24, 0), Limits(240, 0), Limits(770, 0)},
    {Limits(240, 0), Limits(2.4, 0), Limits(24, 0), Limits(240, 0), Limits(2.4, 0), Limits(24, 0),
        Limits(240, 0)},
    {Limits(3.0, 0)},
    {Limits(240, 0)},
    {Limits(24, 0), Limits(240, 0), Limits(2.4, 0), Limits(24, 0), Limits(240, 0), Limits(2.4, 0),
        Limits(24, 0), Limits(240, 0)},
    {Limits(24, 0), Limits(240, 0), Limits(0, 0), Limits(24, 0), Limits(240, 0), Limits(2.4, 0),
        Limits(24, 0), Limits(70, 0)},
    {Limits(110, 0)},
    {Limits(1110, -25)},
    {Limits(1900, -10)},
    {Limits(240, -240), Limits(2400, -2400)},
    {Limits(240, 0), Limits(2400, 0)},
    {Limits(24, -24), Limits(240, -240)},
    {Limits(24, 0), Limits(240, 0)},
    {Limits(12, -12)},
    {Limits(12, 0)},
};
