#ifndef MINMAXPYRAMID_H
#define MINMAXPYRAMID_H

#include <QVector>

#include <functional>

// Where the lowest and the highest value of any index range of a long series
// lie, found in logarithmic time. Values stay with their owner and are asked
// for by index; the pyramid can be extended as values are added at the end,
// and values it has taken in must not change while it is used.
class MinMaxPyramid
{
public:
    using Values = std::function<double(int index)>;

    MinMaxPyramid();
    ~MinMaxPyramid();

    void build(const double *values, int count);
    // Takes in values [size(), count); those taken in before keep their summary.
    void extend(const Values &values, int count);
    void clear();
    bool isEmpty() const { return levels.isEmpty(); }
    int size() const { return count; }

    // Indices of the lowest and the highest of values[from, to); the earliest
    // of equal ones. Leaves both unchanged for an empty range.
    void extremes(const double *values, int from, int to, int &lowest, int &highest) const;
    void extremes(const Values &values, int from, int to, int &lowest, int &highest) const;

private:
    struct Node
    {
        qint32 lowest;
        qint32 highest;
    };

    // Level 0 summarises runs of bucketSize values, each further level two
    // nodes of the one below: about one byte per value in all.
    QVector<QVector<Node>> levels;
    int count = 0;
};

#endif
