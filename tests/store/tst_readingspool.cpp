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
using Seqs = QList<qint64>;

QByteArray readings(int first, int last)
{
    QByteArray lines;
    for (int seq = first; seq <= last; ++seq)
        lines += "R\t" + QByteArray::number(seq) + "\tDCV\t" + QByteArray::number(seq) + "\tV\t1\t2024-05-01 10:00:00\n";
    return lines;
}

Seqs takeAll(ReadingSpool &spool)
{
    Seqs seqs;
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
    QTest::addColumn<Seqs>("committed"); // xids the server has committed
    QTest::addColumn<Seqs>("running");   // xids still in progress
    QTest::addColumn<Seqs>("expected");
    const QByteArray four = readings(1, 4);
    QTest::newRow("acknowledged batch") << four + "B\t1\t2\t7\nA\t1\t2\n" << Seqs{7} << Seqs{} << Seqs{3, 4};
    QTest::newRow("killed after COMMIT") << four + "B\t1\t3\t9\n" << Seqs{9} << Seqs{} << Seqs{4};
    QTest::newRow("killed before COMMIT") << four + "B\t1\t3\t9\n" << Seqs{} << Seqs{} << Seqs{1, 2, 3, 4};
    QTest::newRow("resent after an abort") << readings(1, 5) + "B\t1\t5\t9\nB\t1\t3\t12\n" << Seqs{12} << Seqs{} << Seqs{4, 5};
    QTest::newRow("set aside between batches") << readings(1, 3) + "A\t2\t2\n" + readings(4, 4) + "B\t3\t4\t5\n"
                                               << Seqs{} << Seqs{} << Seqs{1, 3, 4};
    QTest::newRow("line cut off by a kill") << readings(1, 2) + "R\t3\tDC" << Seqs{} << Seqs{} << Seqs{1, 2};
    QTest::newRow("garbage between lines") << readings(1, 1) + "B\tx\n\nZ\t1\n" + readings(2, 2) << Seqs{} << Seqs{}
                                           << Seqs{1, 2};
    // Nothing goes, nor is dropped, before the server has told what became of a batch.
    QTest::newRow("still running") << readings(1, 3) + "B\t2\t3\t9\n" << Seqs{} << Seqs{9} << Seqs{};
}

void TestReadingSpool::recoversWhatTheServerLacks()
{
    QFETCH(QByteArray, content);
    QFETCH(Seqs, committed);
    QFETCH(Seqs, running);
    QFETCH(Seqs, expected);
    QTemporaryDir dir;
    QFile file(dir.filePath(ReadingSpool::fileName));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    // A second start before the server answered changes nothing.
    QVERIFY(ReadingSpool(dir.path()).open());
    ReadingSpool spool(dir.path());
    QVERIFY(spool.open());
    for (const ReadingSpool::Batch &batch : spool.openBatches()) {
        if (!running.contains(batch.xid))
            spool.settle(batch, committed.contains(batch.xid));
    }
    QCOMPARE(spool.count(), running.isEmpty() ? int(expected.size()) : int(content.count("R\t")));
    QCOMPARE(takeAll(spool), expected);
    // A new reading follows every number used before; its texts come back as they went in.
    spool.append({"DCV", "a\tb\\c\nd", "V", "1", "2024-05-01 10:00:01"});
    if (!running.isEmpty())
        return;
    const QList<ReadingSpool::Entry> next = spool.take(10);
    QCOMPARE(next.size(), 1);
    QVERIFY(next.first().seq > expected.last());
    QCOMPARE(next.first().values.at(1), QStringLiteral("a\tb\\c\nd"));
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
