#include "history/XlsxWorkbook.h"
#include "tests/common/FileSizeLimit.h"
#include "tests/common/OrdinaryUser.h"
#include "tests/common/TestRegistry.h"
#include "tests/history/TableRows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QLocale>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <unistd.h>
#include <sys/stat.h>

namespace {
const char *const Python = "/usr/bin/python3";

QStringList sequenceRow(int i)
{
    return {QStringLiteral("2024-05-01 10:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')),
            QString::number(i * 0.25), "V", "DCV"};
}
}

class TestXlsxWorkbook : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void readsBackAsWritten_data();
    void readsBackAsWritten();
    void columnWidthIsPixelsDividedBySix_data();
    void columnWidthIsPixelsDividedBySix();
    void reportsProgress();
    void unwritableTargetIsAnError_data();
    void unwritableTargetIsAnError();
    void failedSaveKeepsExistingFile_data();
    void failedSaveKeepsExistingFile();
    void replacedFileKeepsPermissionsAndLinks();
    void writesFileInReadOnlyFolder();

private:
    QString check(const QString &workbook, const QString &title, const QList<QStringList> &rows,
                  const QVector<int> &characterWidths);
};

void TestXlsxWorkbook::initTestCase()
{
    QProcess probe;
    probe.start(Python, {"-c", "import openpyxl"});
    if (!probe.waitForFinished(60000) || probe.exitCode() != 0)
        QSKIP("Debian's python3-openpyxl is not installed");
}

QString TestXlsxWorkbook::check(const QString &workbook, const QString &title,
                                const QList<QStringList> &rows, const QVector<int> &characterWidths)
{
    QJsonArray jsonRows;
    for (const QStringList &row : rows)
        jsonRows.append(QJsonArray::fromStringList(row));
    QJsonArray widths;
    for (int width : characterWidths)
        widths.append(width);
    const QJsonObject want{{"title", title},
                           {"headers", QJsonArray::fromStringList({"Time", "Data", "Unit", "Func"})},
                           {"rows", jsonRows},
                           {"widths", widths}};
    const QString wantPath = workbook + ".json";
    QFile file(wantPath);
    if (!file.open(QIODevice::WriteOnly))
        return "cannot write " + wantPath;
    file.write(QJsonDocument(want).toJson());
    file.close();

    QProcess checker;
    checker.setProcessChannelMode(QProcess::MergedChannels);
    checker.start(Python, {QStringLiteral(QUORVANE_HISTORY_TESTS_DIR "/check_workbook.py"), workbook, wantPath});
    if (!checker.waitForFinished(120000))
        return "check_workbook.py did not finish";
    const QString output = QString::fromUtf8(checker.readAll());
    return checker.exitCode() == 0 ? QString() : output + " (exit " + QString::number(checker.exitCode()) + ")";
}

void TestXlsxWorkbook::readsBackAsWritten_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QString>("title");

    QTest::newRow("empty table") << QList<QStringList>() << "Data Record";
    QTest::newRow("texts that look like numbers and dates stay texts")
        << QList<QStringList>{{"2024-05-01 10:00:00", "1.2345", "V", "DCV"},
                              {"2024-05-01 10:00:01", "-0.0012", "mV", "DCmV"},
                              {"2024-05-01 10:00:02", "0L.", "\u2103", "TEMP"},
                              {"2024-05-01 10:00:03", "<&>\"'", "", "1e3"}}
        << QString("Data Record \u2013 long title that has to wrap within the merged cells");
    QList<QStringList> ten;
    for (int i = 0; i < 10; ++i)
        ten.append(sequenceRow(i));
    QTest::newRow("ten rows") << ten << "Data Record";
}

void TestXlsxWorkbook::readsBackAsWritten()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(QString, title);
    QTemporaryDir dir;
    const QString path = dir.filePath("table.xlsx");
    const TableRows table(rows);
    XlsxWorkbook workbook(&table, {120, 125, 60, 90});
    QVERIFY2(workbook.write(path, title), qPrintable(workbook.errorString()));
    const QString problems = check(path, title, rows, {20, 20, 10, 15});
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"table.xlsx", "table.xlsx.json"}));
}

void TestXlsxWorkbook::columnWidthIsPixelsDividedBySix_data()
{
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("characters");
    QTest::newRow("120") << 120 << 20;
    QTest::newRow("125") << 125 << 20;
    QTest::newRow("5") << 5 << 0;
    QTest::newRow("1203") << 1203 << 200;
}

void TestXlsxWorkbook::columnWidthIsPixelsDividedBySix()
{
    QFETCH(int, pixels);
    QFETCH(int, characters);
    QCOMPARE(XlsxWorkbook::characterWidth(pixels), characters);
    QTemporaryDir dir;
    const QString path = dir.filePath("widths.xlsx");
    const QList<QStringList> rows{{"a", "b", "c", "d"}};
    const TableRows table(rows);
    XlsxWorkbook workbook(&table, {pixels, 60, 60, 60});
    QVERIFY(workbook.write(path, "T"));
    const QString problems = check(path, "T", rows, {characters, 10, 10, 10});
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

void TestXlsxWorkbook::reportsProgress()
{
    QList<QStringList> rows;
    for (int i = 0; i < 10000; ++i)
        rows.append(sequenceRow(i));
    QTemporaryDir dir;
    const TableRows table(rows);
    XlsxWorkbook workbook(&table, {120, 60, 60, 60});
    QVector<int> seen;
    workbook.setProgress([&seen](int written, int total) {
        seen.append(total == 10000 ? written : -1);
        return true;
    });
    QVERIFY(workbook.write(dir.filePath("big.xlsx"), "T"));
    QVERIFY(seen.size() >= 2 && !seen.contains(-1));
    QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));
    QCOMPARE(seen.last(), 10000);
}

void TestXlsxWorkbook::unwritableTargetIsAnError_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing directory") << "gone/table.xlsx";
    QTest::newRow("full device") << "/dev/full";
}

void TestXlsxWorkbook::unwritableTargetIsAnError()
{
    QFETCH(QString, path);
    QTemporaryDir dir;
    const QString target = QDir(dir.path()).filePath(path);
    const TableRows table({{"a", "b", "c", "d"}});
    XlsxWorkbook workbook(&table, {60, 60, 60, 60});
    QVERIFY(!workbook.write(target, "T"));
    QVERIFY(workbook.errorString().contains(target));
    struct stat info;
    if (path.startsWith("/dev/"))
        QVERIFY(stat("/dev/full", &info) == 0 && S_ISCHR(info.st_mode));
    QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

void TestXlsxWorkbook::failedSaveKeepsExistingFile_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("how");
    QTest::newRow("full disk") << "beside" << "full";
    QTest::newRow("full disk, file in a read-only folder") << "read-only" << "full";
    QTest::newRow("full disk, hard-linked file") << "hard link" << "full";
    QTest::newRow("cancelled, file in a read-only folder") << "read-only" << "cancel";
    QTest::newRow("longer than a sheet, refused before any work") << "beside" << "long";
}

// Whatever stops the save, the old file stays whole and nothing is left.
void TestXlsxWorkbook::failedSaveKeepsExistingFile()
{
    QFETCH(QString, where);
    QFETCH(QString, how);
    QTemporaryDir dir;
    const QByteArray old = "previous workbook";
    QFile file(dir.filePath("table.xlsx"));
    QVERIFY(where == "read-only" || (file.open(QIODevice::WriteOnly) && file.write(old) == old.size()));
    file.close();
    const QString path = where == "read-only" ? OrdinaryUser::writableFileInReadOnlyFolder(dir.path(), "table.xlsx", old)
                                              : file.fileName();
    const QStringList names = where == "hard link" ? QStringList{"other", "table.xlsx"} : QStringList{"table.xlsx"};
    QVERIFY(names.size() == 1 || link(QFile::encodeName(path).constData(), QFile::encodeName(dir.filePath("other")).constData()) == 0);
    QList<QStringList> rows;
    for (int i = 0; i < 20000; ++i)
        rows.append(sequenceRow(i));
    const TableRows table(rows, how == "long" ? XlsxWorkbook::maxTableRows + 1 : rows.size());
    XlsxWorkbook workbook(&table, {60, 60, 60, 60});
    int reports = 0;
    workbook.setProgress([&](int done, int) { return ++reports && (how != "cancel" || done < XlsxWorkbook::progressStep); });
    bool written;
    {
        QScopedPointer<OrdinaryUser> user(where == "read-only" ? new OrdinaryUser : nullptr);
        if (user && !user->isActive())
            QSKIP(qPrintable("cannot test as an ordinary user: " + user->errorString()));
        FileSizeLimit limit(how == "full" ? 16 * 1024 : RLIM_INFINITY);
        written = workbook.write(path, "T");
    }
    QFile::setPermissions(QFileInfo(path).path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!written);
    QCOMPARE(workbook.failure(), how == "cancel" ? ExportJob::Failure::Cancelled : ExportJob::Failure::Write);
    QVERIFY2(how == "cancel" || workbook.errorString().contains(
                 how == "long" ? QLocale().toString(XlsxWorkbook::maxTableRows + 1) : path),
             qPrintable(workbook.errorString()));
    QCOMPARE(reports == 0, how == "long");
    for (const QString &name : names) {
        QFile kept(QDir(QFileInfo(path).path()).filePath(name));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), old);
    }
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden), names);
}

void TestXlsxWorkbook::replacedFileKeepsPermissionsAndLinks()
{
    QTemporaryDir dir;
    const TableRows table({{"a", "b", "c", "d"}});
    XlsxWorkbook workbook(&table, {60, 60, 60, 60});
    const mode_t mask = umask(022);
    const QString fresh = dir.filePath("fresh.xlsx");
    const bool freshWritten = workbook.write(fresh, "T");
    umask(mask);
    QVERIFY(freshWritten);
    struct stat info;
    QVERIFY(stat(QFile::encodeName(fresh).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0644));

    const QString kept = dir.filePath("kept.xlsx");
    QFile old(kept);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.close();
    QVERIFY(old.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QString link = dir.filePath("link.xlsx");
    const QString hardLink = dir.filePath("hard.xlsx");
    QVERIFY(QFile::link(kept, link) && ::link(QFile::encodeName(kept).constData(), QFile::encodeName(hardLink).constData()) == 0);
    QVERIFY(workbook.write(link, "T"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(hardLink).size(), QFileInfo(kept).size());
    QVERIFY(QFileInfo(kept).size() > 1000);
    QVERIFY(stat(QFile::encodeName(kept).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0640));
}

void TestXlsxWorkbook::writesFileInReadOnlyFolder()
{
    QTemporaryDir dir;
    const QString path = OrdinaryUser::writableFileInReadOnlyFolder(dir.path(), "table.xlsx", "earlier file");
    QVERIFY(!path.isEmpty());
    const QList<QStringList> rows{sequenceRow(1), sequenceRow(2)};
    const TableRows table(rows);
    XlsxWorkbook workbook(&table, {120, 125, 60, 90});
    bool written = false;
    {
        OrdinaryUser user;
        if (!user.isActive())
            QSKIP(qPrintable("cannot test as an ordinary user: " + user.errorString()));
        written = workbook.write(path, "Data Record");
    }
    QFile::setPermissions(QFileInfo(path).path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(written, qPrintable(workbook.errorString()));
    const QString problems = check(path, "Data Record", rows, {20, 20, 10, 15});
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

QUORVANE_TEST(TestXlsxWorkbook);
#include "tst_xlsxworkbook.moc"
