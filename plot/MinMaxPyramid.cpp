#include "plot/MinMaxPyramid.h"

#include <algorithm>

namespace {
const int bucketShift = 3;
const int bucketSize = 1 << bucketShift;

// Takes index candidate into [lowest, highest] unless an earlier one is as
// low or as high; lowest < 0 means nothing taken yet.
void take(const double *values, int candidate, int &lowest, int &highest)
{
    if (lowest < 0) {
        lowest = highest = candidate;
        return;
    }
    const double value = values[candidate];
    if (value < values[lowest] || (value == values[lowest] && candidate < lowest))
        lowest = candidate;
    if (value > values[highest] || (value == values[highest] && candidate < highest))
        highest = candidate;
}
}

MinMaxPyramid::MinMaxPyramid() = default;

MinMaxPyramid::~MinMaxPyramid() = default;

void MinMaxPyramid::build(const double *values, int count)
{
    clear();
    if (count <= 0)
        return;
    // Built in index order: a later value replaces only a strictly lower or
    // higher one, so ties keep the earliest.
    QVector<Node> level((count + bucketSize - 1) / bucketSize);
    for (int bucket = 0; bucket < level.size(); ++bucket) {
        const int begin = bucket * bucketSize;
        const int end = std::min(count, begin + bucketSize);
        Node node = {begin, begin};
        for (int i = begin + 1; i < end; ++i) {
            if (values[i] < values[node.lowest])
                node.lowest = i;
            if (values[i] > values[node.highest])
                node.highest = i;
        }
        level[bucket] = node;
    }
    levels.append(level);
    while (levels.constLast().size() > 1) {
        const QVector<Node> &below = levels.constLast();
        QVector<Node> above((below.size() + 1) / 2);
        for (int node = 0; node < above.size(); ++node) {
            Node summary = below.at(2 * node);
            if (2 * node + 1 < below.size()) {
                const Node &right = below.at(2 * node + 1);
                if (values[right.lowest] < values[summary.lowest])
                    summary.lowest = right.lowest;
                if (values[right.highest] > values[summary.highest])
                    summary.highest = right.highest;
            }
            above[node] = summary;
        }
        levels.append(above);
    }
}

void MinMaxPyramid::clear()
{
    levels.clear();
    levels.squeeze();
}

void MinMaxPyramid::extremes(const double *values, int from, int to, int &lowest, int &highest) const
{
    if (from >= to)
        return;
    int low = -1;
    int high = -1;
    // Values outside whole buckets one by one, then the fewest nodes that
    // cover the whole buckets between.
    while (from < to && from % bucketSize != 0)
        take(values, from++, low, high);
    while (to > from && to % bucketSize != 0)
        take(values, --to, low, high);
    int first = from >> bucketShift;
    int last = to >> bucketShift;
    for (int level = 0; first < last && level < levels.size(); ++level) {
        const QVector<Node> &nodes = levels.at(level);
        if (first & 1) {
            take(values, nodes.at(first).lowest, low, high);
            take(values, nodes.at(first).highest, low, high);
            ++first;
        }
        if (last & 1) {
            --last;
            take(values, nodes.at(last).lowest, low, high);
            take(values, nodes.at(last).highest, low, high);
        }
        first >>= 1;
        last >>= 1;
    }
    lowest = low;
    highest = high;
}
