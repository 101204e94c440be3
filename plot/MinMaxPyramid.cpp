#include "plot/MinMaxPyramid.h"

#include <algorithm>

namespace {
const int bucketShift = 4;
const int bucketSize = 1 << bucketShift;

// The lowest and highest taken so far, with their values, which may be
// dear to read.
struct Extremes
{
    const MinMaxPyramid::Values &values;
    int lowest = -1;
    int highest = -1;
    double low = 0;
    double high = 0;

    // Takes index candidate unless an earlier one is as low or as high.
    void take(int candidate)
    {
        const double value = values(candidate);
        if (lowest < 0 || value < low || (value == low && candidate < lowest)) {
            lowest = candidate;
            low = value;
        }
        if (highest < 0 || value > high || (value == high && candidate < highest)) {
            highest = candidate;
            high = value;
        }
    }
};
}

MinMaxPyramid::MinMaxPyramid() = default;

MinMaxPyramid::~MinMaxPyramid() = default;

void MinMaxPyramid::build(const double *values, int count)
{
    clear();
    extend([values](int i) { return values[i]; }, count);
}

void MinMaxPyramid::extend(const Values &values, int newCount)
{
    if (newCount <= count)
        return;
    // The last bucket may have been partial: it is summarised again, and
    // so is every node above a changed one. Built in index order: a later
    // value replaces only a strictly lower or higher one, so ties keep the
    // earliest.
    int changed = count >> bucketShift;
    if (levels.isEmpty())
        levels.append(QVector<Node>());
    QVector<Node> &bottom = levels[0];
    bottom.resize((newCount + bucketSize - 1) / bucketSize);
    for (int bucket = changed; bucket < bottom.size(); ++bucket) {
        const int begin = bucket * bucketSize;
        const int end = std::min(newCount, begin + bucketSize);
        Node node = {begin, begin};
        double low = values(begin);
        double high = low;
        for (int i = begin + 1; i < end; ++i) {
            const double value = values(i);
            if (value < low) {
                low = value;
                node.lowest = i;
            }
            if (value > high) {
                high = value;
                node.highest = i;
            }
        }
        bottom[bucket] = node;
    }
    for (int level = 1; levels.at(level - 1).size() > 1; ++level) {
        if (level == levels.size())
            levels.append(QVector<Node>());
        const QVector<Node> &below = levels.at(level - 1);
        QVector<Node> &above = levels[level];
        changed >>= 1;
        above.resize((below.size() + 1) / 2);
        for (int node = changed; node < above.size(); ++node) {
            Node summary = below.at(2 * node);
            if (2 * node + 1 < below.size()) {
                const Node &right = below.at(2 * node + 1);
                if (values(right.lowest) < values(summary.lowest))
                    summary.lowest = right.lowest;
                if (values(right.highest) > values(summary.highest))
                    summary.highest = right.highest;
            }
            above[node] = summary;
        }
    }
    count = newCount;
}

void MinMaxPyramid::clear()
{
    levels.clear();
    levels.squeeze();
    count = 0;
}

void MinMaxPyramid::extremes(const double *values, int from, int to, int &lowest, int &highest) const
{
    extremes([values](int i) { return values[i]; }, from, to, lowest, highest);
}

void MinMaxPyramid::extremes(const Values &values, int from, int to, int &lowest, int &highest) const
{
    if (from >= to)
        return;
    Extremes found{values};
    // Values outside whole buckets one by one, then the fewest nodes that
    // cover the whole buckets between.
    while (from < to && from % bucketSize != 0)
        found.take(from++);
    while (to > from && to % bucketSize != 0)
        found.take(--to);
    int first = from >> bucketShift;
    int last = to >> bucketShift;
    for (int level = 0; first < last && level < levels.size(); ++level) {
        const QVector<Node> &nodes = levels.at(level);
        if (first & 1) {
            found.take(nodes.at(first).lowest);
            found.take(nodes.at(first).highest);
            ++first;
        }
        if (last & 1) {
            --last;
            found.take(nodes.at(last).lowest);
            found.take(nodes.at(last).highest);
        }
        first >>= 1;
        last >>= 1;
    }
    lowest = found.lowest;
    highest = found.highest;
}
