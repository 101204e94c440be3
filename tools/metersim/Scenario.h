#ifndef SCENARIO_H
#define SCENARIO_H

#include "meter/FrameEncoder.h"

#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QVector>

// What the simulated meter shows, frame after frame. Every scenario is a pure
// function of its name and seed, so a run can be repeated byte for byte.
class Scenario
{
public:
    // One frame and what it is meant to show once decoded.
    struct Frame
    {
        int functionIndex = 0;
        int range = 0;
        int count = 0;
        FrameEncoder::Fields fields;
        QString label;
        QByteArray bytes() const { return FrameEncoder::encode(fields); }
    };

    // framesPerState: how many frames the tour holds each of its states.
    Scenario(const QString &name, quint32 seed, int framesPerState = 3);

    static QStringList names();
    bool isValid() const;
    QString name() const;
    int framesPerState() const;
    // Number of distinct states in one round of the tour (0 for other scenarios).
    int tourLength() const;

    Frame next();

private:
    enum class Kind { Invalid, Dc, Tour };

    static const QVector<QVector<int>> fullScaleCounts;

    void buildTour();
    void addTourState(int functionIndex, int range, int count, const FrameEncoder::Fields &flags,
                      const QString &what);
    int randomCount(int below);
    Frame nextDc();

    Kind kind = Kind::Invalid;
    QString scenarioName;
    int holdFrames;
    QRandomGenerator random;

    QVector<Frame> tour;
    int tourIndex = 0;
    int framesInState = 0;

    double dcVolts = 1.9;
    int dcRange = 0;
};

#endif
