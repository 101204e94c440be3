#include "tools/metersim/Scenario.h"

#include <QtGlobal>

#include <cmath>

namespace {
// Rows that can read below zero: the DC rows and both temperature rows.
bool canBeNegative(int functionIndex)
{
    switch (functionIndex) {
    case 0: case 2: case 10: case 11: case 12: case 14: case 16:
        return true;
    default:
        return false;
    }
}

// Below zero the temperature probe reaches only a few tens of degrees.
const int negativeTemperatureCounts = 200;

// The DC voltage ranges the dc scenario moves through.
const double dcFullScale[] = {2.3, 23.0, 230.0, 1100.0};
const int dcDecimals[] = {4, 3, 2, 1};
const int dcRangeCount = 4;
const int dcFunctionIndex = 2;
const double dcCentre = 1.9;       // volts the wandering value is drawn back to
const double dcPull = 0.01;        // share of the distance to the centre closed per frame
const double dcStep = 0.03;        // volts, spread of the random step per frame
// Going down a range only below this share of the lower range's full scale,
// so a value near a boundary does not flap between two ranges.
const double dcDownShare = 0.9;

QString flagText(const FrameEncoder::Fields &f)
{
    QStringList flags;
    if (f.negative) flags << QStringLiteral("NEG");
    if (f.overload) flags << QStringLiteral("OL");
    if (f.hold) flags << QStringLiteral("HOLD");
    if (f.relative) flags << QStringLiteral("REL");
    if (f.max) flags << QStringLiteral("MAX");
    if (f.min) flags << QStringLiteral("MIN");
    if (f.maxMinBlink) flags << QStringLiteral("BLINK");
    if (f.lowBattery) flags << QStringLiteral("BAT");
    if (!f.autoRange) flags << QStringLiteral("MANU");
    return flags.join(QLatin1Char(' '));
}
}

// The display count each range reaches before the meter shows an overload,
// per function index and range: values in the tour stay below it.
const QVector<QVector<int>> Scenario::fullScaleCounts = {
    {23000},                                               // DCmV
    {23000},                                               // ACmV
    {23000, 23000, 23000, 11000},                          // DCV
    {23000, 23000, 23000, 7600},                           // ACV
    {23000, 23000, 23000, 23000, 23000, 23000, 23000},     // OHM
    {26000},                                               // DIODE
    {23000},                                               // BEEP
    {23000, 23000, 23000, 23000, 23000, 23000, 23000, 23000}, // CAP
    {2300, 2300, 9999, 23000, 23000, 23000, 23000, 6000},  // FREQ
    {1000},                                                // DUTY
    {11000},                                               // TEMP, Celsius
    {10000},                                               // TEMP, Fahrenheit (counts are Celsius)
    {23000, 23000},                                        // DCuA
    {23000, 23000},                                        // ACuA
    {23000, 23000},                                        // DCmA
    {23000, 23000},                                        // ACmA
    {11000},                                               // DCA
    {11000},                                               // ACA
};

Scenario::Scenario(const QString &name, quint32 seed, int framesPerState)
    : scenarioName(name), holdFrames(qMax(1, framesPerState)), random(seed)
{
    if (name == QLatin1String("dc")) {
        kind = Kind::Dc;
    } else if (name == QLatin1String("tour")) {
        kind = Kind::Tour;
        buildTour();
    }
}

QStringList Scenario::names()
{
    return {QStringLiteral("dc"), QStringLiteral("tour")};
}

bool Scenario::isValid() const
{
    return kind != Kind::Invalid;
}

QString Scenario::name() const
{
    return scenarioName;
}

int Scenario::framesPerState() const
{
    return holdFrames;
}

int Scenario::tourLength() const
{
    return tour.size();
}

Scenario::Frame Scenario::next()
{
    switch (kind) {
    case Kind::Dc:
        return nextDc();
    case Kind::Tour: {
        const Frame frame = tour.at(tourIndex);
        if (++framesInState >= holdFrames) {
            framesInState = 0;
            tourIndex = (tourIndex + 1) % tour.size();
        }
        return frame;
    }
    case Kind::Invalid:
        break;
    }
    return Frame();
}

int Scenario::randomCount(int below)
{
    // A tenth of full scale or more, so the digits are worth looking at.
    return random.bounded(below / 10, below);
}

void Scenario::addTourState(int functionIndex, int range, int count,
                            const FrameEncoder::Fields &flags, const QString &what)
{
    Frame frame;
    frame.functionIndex = functionIndex;
    frame.range = range;
    frame.count = count;
    frame.fields = flags;
    FrameEncoder::fieldsFor(functionIndex, range, count, &frame.fields);
    frame.label = QStringLiteral("function %1 range %2 count %3 %4 %5")
                      .arg(functionIndex)
                      .arg(range)
                      .arg(count)
                      .arg(what, flagText(frame.fields))
                      .trimmed();
    tour.append(frame);
}

void Scenario::buildTour()
{
    const FrameEncoder::Fields plain;
    for (int index = 0; index < fullScaleCounts.size(); ++index) {
        const bool temperature = index == 10 || index == 11;
        for (int range = 0; range < fullScaleCounts.at(index).size(); ++range) {
            const int fullScale = fullScaleCounts.at(index).at(range);
            addTourState(index, range, randomCount(fullScale), plain, QStringLiteral("value"));
            FrameEncoder::Fields flags = plain;
            if (canBeNegative(index)) {
                flags.negative = true;
                const int below = temperature ? negativeTemperatureCounts : fullScale;
                addTourState(index, range, randomCount(below), flags, QStringLiteral("negative"));
            }
            flags = plain;
            flags.overload = true;
            addTourState(index, range, 0, flags, QStringLiteral("overload"));
            if (canBeNegative(index)) {
                flags.negative = true;
                addTourState(index, range, 0, flags, QStringLiteral("overload"));
            }
        }
    }

    // The indicators, one after the other, on an ordinary DC voltage range.
    const int index = 2;
    const int range = 1;
    const int fullScale = fullScaleCounts.at(index).at(range);
    struct Indicator
    {
        bool FrameEncoder::Fields::*flag;
        bool FrameEncoder::Fields::*second;
    };
    static const Indicator indicators[] = {
        {&FrameEncoder::Fields::hold, nullptr},
        {&FrameEncoder::Fields::relative, nullptr},
        {&FrameEncoder::Fields::max, nullptr},
        {&FrameEncoder::Fields::min, nullptr},
        {&FrameEncoder::Fields::max, &FrameEncoder::Fields::maxMinBlink},
        {&FrameEncoder::Fields::min, &FrameEncoder::Fields::maxMinBlink},
        {&FrameEncoder::Fields::lowBattery, nullptr},
    };
    for (const Indicator &indicator : indicators) {
        FrameEncoder::Fields flags = plain;
        flags.*indicator.flag = true;
        if (indicator.second)
            flags.*indicator.second = true;
        addTourState(index, range, randomCount(fullScale), flags, QStringLiteral("indicator"));
    }
    FrameEncoder::Fields manual = plain;
    manual.autoRange = false;
    addTourState(index, range, randomCount(fullScale), manual, QStringLiteral("indicator"));

    // The meter also reports frequency and duty cycle measured on the
    // voltage and current inputs: their function code with frequency mode.
    static const struct { int functionIndex; int range; int functionCode; } frequencyInputs[] = {
        {8, 3, 0xB}, {8, 1, 0xD}, {8, 4, 0xF}, {9, 0, 0x0},
    };
    for (const auto &input : frequencyInputs) {
        const int below = fullScaleCounts.at(input.functionIndex).at(input.range);
        addTourState(input.functionIndex, input.range, randomCount(below), plain,
                     QStringLiteral("frequency mode, code 0x%1").arg(input.functionCode, 0, 16));
        tour.last().fields.functionCode = input.functionCode;
        tour.last().fields.frequencyMode = true;
    }
}

Scenario::Frame Scenario::nextDc()
{
    // Roughly normal step: the sum of four uniform numbers, scaled to unit spread.
    double step = -2.0;
    for (int i = 0; i < 4; ++i)
        step += random.generateDouble();
    step *= std::sqrt(3.0);
    dcVolts += dcPull * (dcCentre - dcVolts) + dcStep * step;

    const double magnitude = std::fabs(dcVolts);
    while (dcRange < dcRangeCount - 1 && magnitude >= dcFullScale[dcRange])
        ++dcRange;
    while (dcRange > 0 && magnitude < dcDownShare * dcFullScale[dcRange - 1])
        --dcRange;

    Frame frame;
    frame.functionIndex = dcFunctionIndex;
    frame.range = dcRange;
    frame.fields.negative = dcVolts < 0.0;
    if (magnitude >= dcFullScale[dcRange]) {
        frame.fields.overload = true;
    } else {
        frame.count = qMin(99999, int(std::lround(magnitude * std::pow(10.0, dcDecimals[dcRange]))));
    }
    FrameEncoder::fieldsFor(dcFunctionIndex, dcRange, frame.count, &frame.fields);
    frame.label = QStringLiteral("function %1 range %2 count %3 %4")
                      .arg(dcFunctionIndex)
                      .arg(dcRange)
                      .arg(frame.count)
                      .arg(flagText(frame.fields))
                      .trimmed();
    return frame;
}
