#ifndef MINMAXPYRAMID_H
#define MINMAXPYRAMID_H

#include <QVector>

// Where the lowest and the highest value of any index range of a long series
// lie, found in logarithmic time. Built once from the values; the values stay
// with their owner and must not change while the pyramid is used.
class MinMaxPyramid
{
public:
    MinMaxPyramid();
    ~MinMaxPyramid();

    void build(const double *values, int count);
    void clear();
    bool isEmpty() const { return levels.isEmpty(); }

    // Indices of the lowest and the highest of values[from, to); the earliest
    // of equal ones. Leaves both unchanged for an empty range.
    void extremes(const double *values, int from, int to, int &lowest, int &highest) const;

private:
    struct Node
    {
        qint32 lowest;
        qint32 highest;
    };

    // Level 0 summarises runs of bucketSize values, each further level two
    // nodes of the one below: about two bytes per value in all.
    QVector<QVector<Node>> levels;
};

#endif
