#include "store/ReadingSpool.h"
#include "tests/common/TestRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestReadingSpool : public QObject
{
    Q_OBJECT
private slots:
    void recoversWhatTheServerLacks_data();
    void recoversWhatTheServerLacks();
    void storedFileIsEmptiedAndNumbersGoOn();
};

namespace {
QByteArray reading(int seq)
{
    return "R\t" + QByteArray::number(seq) + "\tDCV\t" + QByteArray::number(seq) + "\tV\t1\t2024-05-01 10:00:00\n";
}

QByteArray readings(int first, int last)
{
    QByteArray lines;
    for (int seq = first; seq <= last; ++seq)
        lines += reading(seq);
    return lines;
}

QList<qint64> takeAll(ReadingSpool &spool)
{
    QList<qint64> seqs;
    for (QList<ReadingSpool::Entry> taken = spool.take(3); !taken.isEmpty(); taken = spool.take(3)) {
        for (const ReadingSpool::Entry &entry : taken)
            seqs << entry.seq;
        spool.acknowledge(taken);
    }
    return seqs;
}
}

void TestReadingSpool::recoversWhatTheServerLacks_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<qint64>>("committed");   // xids the server has committed
    QTest::addColumn<QList<qint64>>("running");     // xids still in progress
    QTest::addColumn<QList<qint64>>("expected");
    QTest::addColumn<int>("kept");

    QTest::newRow("acknowledged batch") << readings(1, 4) + "B\t1\t2\t7\nA\t1\t2\n" << QList<qint64>{7}
                                        << QList<qint64>{} << QList<qint64>{3, 4} << 2;
    QTest::newRow("killed after COMMIT") << readings(1, 4) + "B\t1\t3\t9\n" << QList<qint64>{9} << QList<qint64>{}
                                         << QList<qint64>{4} << 1;
    QTest::newRow("killed before COMMIT") << readings(1, 4) + "B\t1\t3\t9\n" << QList<qint64>{} << QList<qint64>{}
                                          << QList<qint64>{1, 2, 3, 4} << 4;
    QTest::newRow("resent after an abort")
        << readings(1, 5) + "B\t1\t5\t9\nB\t1\t3\t12\n" << QList<qint64>{12} << QList<qint64>{}
        << QList<qint64>{4, 5} << 2;
    QTest::newRow("set aside between batches")
        << readings(1, 3) + "A\t2\t2\n" + reading(4) + "B\t3\t4\t5\n" << QList<qint64>{} << QList<qint64>{}
        << QList<qint64>{1, 3, 4} << 3;
    QTest::newRow("line cut off by a kill") << readings(1, 2) + "R\t3\tDC" << QList<qint64>{} << QList<qint64>{}
                                            << QList<qint64>{1, 2} << 2;
    QTest::newRow("garbage between lines") << reading(1) + "B\tx\n\nZ\t1\n" + reading(2) << QList<qint64>{}
                                           << QList<qint64>{} << QList<qint64>{1, 2} << 2;
    // Nothing goes before the server has told what became of a batch.
    QTest::newRow("still running") << readings(1, 3) + "B\t2\t3\t9\n" << QList<qint64>{} << QList<qint64>{9}
                                   << QList<qint64>{} << 3;
}

void TestReadingSpool::recoversWhatTheServerLacks()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<qint64>, committed);
    QFETCH(QList<qint64>, running);
    QFETCH(QList<qint64>, expected);
    QFETCH(int, kept);
    QTemporaryDir dir;
    QFile file(dir.filePath(ReadingSpool::fileName));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();

    // Asked twice: a second start before the server answered changes nothing.
    for (int start = 0; start < 2; ++start) {
        ReadingSpool spool(dir.path());
        QVERIFY(spool.open());
        if (start == 0)
            continue;
        const QVector<ReadingSpool::Batch> open = spool.openBatches();
        for (const ReadingSpool::Batch &batch : open) {
            if (!running.contains(batch.xid))
                spool.settle(batch, committed.contains(batch.xid));
        }
        QCOMPARE(spool.count(), kept);
        QCOMPARE(takeAll(spool), expected);
        // A new reading follows every number used before, and its texts
        // come back as they went in.
        spool.append({"DCV", "a\tb\\c\nd", "V", "1", "2024-05-01 10:00:01"});
        if (!running.isEmpty())
            return;
        const QList<ReadingSpool::Entry> next = spool.take(10);
        QCOMPARE(next.size(), 1);
        QVERIFY(next.first().seq > expected.last());
        QCOMPARE(next.first().values.at(1), QStringLiteral("a\tb\\c\nd"));
    }
}

void TestReadingSpool::storedFileIsEmptiedAndNumbersGoOn()
{
    QTemporaryDir dir;
    ReadingSpool spool(dir.path());
    QVERIFY(spool.open());
    const int count = int(ReadingSpool::compactBytes / 20);
    for (int i = 0; i < count; ++i)
        spool.append({"DCV", QString::number(i), "V", "1", "2024-05-01 10:00:00"});
    QCOMPARE(takeAll(spool).size(), count);
    QCOMPARE(QFileInfo(dir.filePath(ReadingSpool::fileName)).size(), 0);
    spool.append({"DCV", "x", "V", "1", "2024-05-01 10:00:00"});
    QCOMPARE(spool.take(1).first().seq, qint64(count + 1));
}

QUORVANE_TEST(TestReadingSpool);
#include "tst_readingspool.moc"
