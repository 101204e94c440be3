#include "history/TablePrinter.h"
#include "tests/common/CupsServer.h"
#include "tests/common/TestRegistry.h"
#include "tests/history/TableRows.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
TableRows printedRows(int count)
{
    QList<QStringList> rows;
    for (int row = 0; row < count; ++row)
        rows.append({QStringLiteral("2024-05-01 10:00:%1").arg(row % 60, 2, 10, QLatin1Char('0')),
                     QStringLiteral("R%1V").arg(row + 1), "mV", "DCmV"});
    return TableRows(rows);
}

// The text of one page (or all pages with page 0) as pdftotext reads it.
QString pdfText(const QString &pdf, int page = 0)
{
    QStringList arguments{"-layout"};
    if (page > 0)
        arguments << "-f" << QString::number(page) << "-l" << QString::number(page);
    arguments << pdf << "-";
    QProcess process;
    process.start("pdftotext", arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfInfo(const QString &pdf)
{
    QProcess process;
    process.start("pdfinfo", {pdf});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const QString &pdf)
{
    const QString info = pdfInfo(pdf);
    for (const QString &line : info.split('\n')) {
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}
}

class TestTablePrinter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void pagesShowTheTable_data();
    void pagesShowTheTable();
    void cancelStopsAtThePageItIsTold();
    void submitQueuesOnTheDefaultPrinter();
    void refusedJobIsNotAccepted();

private:
    CupsServer cups;
    bool cupsRunning = false;
};

void TestTablePrinter::initTestCase()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty() || QStandardPaths::findExecutable("pdfinfo").isEmpty())
        QSKIP("poppler-utils (pdftotext, pdfinfo) are not installed");
    cupsRunning = cups.start();
    if (!cupsRunning)
        qWarning("no print server for the printing tests: %s", qPrintable(cups.errorString()));
}

void TestTablePrinter::cleanupTestCase()
{
    cups.stop();
}

void TestTablePrinter::pagesShowTheTable_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("severalPages");
    QTest::newRow("empty table") << 0 << false;
    QTest::newRow("three rows") << 3 << false;
    QTest::newRow("many rows over several pages") << 150 << true;
}

void TestTablePrinter::pagesShowTheTable()
{
    QFETCH(int, rows);
    QFETCH(bool, severalPages);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("table.pdf");
    const TableRows table = printedRows(rows);
    TablePrinter printer(&table, {120, 60, 60, 60});
    QVERIFY2(printer.writePdf(pdf, "Data Record"), qPrintable(printer.errorString()));

    const int pages = pdfPages(pdf);
    QVERIFY(pages >= 1);
    QCOMPARE(pages > 1, severalPages);
    int nextRow = 1;
    for (int page = 1; page <= pages; ++page) {
        const QString text = pdfText(pdf, page);
        QCOMPARE(text.contains("Data Record"), page == 1);
        // The header on every page, in order, on one line.
        QVERIFY2(text.contains(QRegularExpression("Time\\s+Data\\s+Unit\\s+Func")), qPrintable(text));
        // Rows continue from page to page, each exactly once, in order.
        int at = 0;
        while ((at = text.indexOf(QRegularExpression(QStringLiteral("\\bR%1V\\b").arg(nextRow)), at)) >= 0)
            ++nextRow;
    }
    QCOMPARE(nextRow - 1, rows);
    if (rows > 0) {
        const QString all = pdfText(pdf);
        QVERIFY(all.contains(QRegularExpression("2024-05-01 10:00:00\\s+R1V\\s+mV\\s+DCmV")));
        QCOMPARE(all.count(QRegularExpression("\\bR\\d+V\\b")), rows);
    }
}

void TestTablePrinter::cancelStopsAtThePageItIsTold()
{
    QTemporaryDir dir;
    const TableRows table = printedRows(150);
    TablePrinter printer(&table, {120, 60, 60, 60});
    QList<int> told;
    printer.setProgress([&told](int done, int) { return (told << done).size() < 2; });
    QVERIFY(!printer.writePdf(dir.filePath("table.pdf"), "Data Record"));
    QCOMPARE(printer.failure(), ExportJob::Failure::Cancelled);
    QCOMPARE(told.size(), 2);
    QVERIFY(told.last() < 150);
}

void TestTablePrinter::submitQueuesOnTheDefaultPrinter()
{
    if (!cupsRunning)
        QSKIP(qPrintable("cupsd cannot run here: " + cups.errorString()));
    QCOMPARE(TablePrinter::defaultPrinterName(), cups.printerName());
    QTemporaryDir dir;
    const QString pages = dir.filePath("pages.pdf");
    const TableRows table = printedRows(5);
    TablePrinter printer(&table, {120, 60, 60, 60});
    QVERIFY(printer.writePdf(pages, "Data Record", TablePrinter::defaultPrinterPageLayout()));
    const QString token = QStringLiteral("QuorvanePrint%1").arg(QCoreApplication::applicationPid());
    QString jobId;
    QString error;
    QVERIFY2(TablePrinter::submit(cups.printerName(), pages, token, &jobId, &error), qPrintable(error));
    QVERIFY(jobId.startsWith(cups.printerName() + "-"));

    const QString output = cups.waitForOutput(token, 120000);
    QVERIFY2(!output.isEmpty(), qPrintable("no PDF from the queue in " + cups.outputDirectory()));
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    file.close();
    // The queue re-renders the pages, so their text is not extractable any
    // more; what it made of them must still be the one-page job we sent.
    const QString info = pdfInfo(output);
    QFile::remove(output);
    QVERIFY2(info.contains(QRegularExpression("Title:\\s+\\S*" + token)), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(info));
}

void TestTablePrinter::refusedJobIsNotAccepted()
{
    if (!cupsRunning)
        QSKIP(qPrintable("cupsd cannot run here: " + cups.errorString()));
    QTemporaryDir dir;
    const QString pages = dir.filePath("pages.pdf");
    const TableRows table = printedRows(2);
    QVERIFY(TablePrinter(&table, {60, 60, 60, 60}).writePdf(pages, "refused"));
    QVERIFY2(cups.setAccepting(false), qPrintable(cups.errorString()));
    QString jobId;
    QString error;
    const bool queued = TablePrinter::submit(cups.printerName(), pages, "refused", &jobId, &error);
    QVERIFY(cups.setAccepting(true));
    QVERIFY(!queued);
    QVERIFY(jobId.isEmpty());
    QVERIFY2(error.contains(cups.printerName()) && error.contains("not accepting"), qPrintable(error));
}

QUORVANE_TEST(TestTablePrinter);
#include "tst_tableprinter.moc"
