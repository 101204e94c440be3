#include "history/HistoryData.h"
#include "history/TextExport.h"
#include "tests/common/CupsServer.h"
#include "tests/common/ModalScript.h"
#include "tests/common/TestRegistry.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <sys/stat.h>

namespace {
const char *const Connection = "historyexport";

struct Row
{
    const char *time;
    const char *value;
    const char *unit;
    const char *function;
};

const QList<Row> storedRows{{"2024-05-01 10:00:00", "1.2345", "V", "DCV"},
                            {"2024-05-01 10:00:01", "-0.0012", "mV", "DCmV"},
                            {"2024-05-01 10:00:02", "0L.", "V", "DCV"}};

QByteArray expectedText()
{
    QByteArray text = "Num\tTime\tData\tUnit\tFunc\n";
    for (int i = 0; i < storedRows.size(); ++i) {
        const Row &row = storedRows.at(i);
        text += QByteArray::number(i + 1) + '\t' + row.time + '\t' + row.value + '\t' + row.unit + '\t'
            + row.function + '\n';
    }
    return text;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// While it lives, an lp first on PATH writes its arguments to "args" and runs body.
struct StandInLp
{
    explicit StandInLp(const QString &body)
    {
        QFile lp(dir.filePath("lp"));
        ready = lp.open(QIODevice::WriteOnly)
            && lp.write(QString("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\n%2\n").arg(dir.filePath("args"), body).toUtf8()) > 0
            && lp.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(dir.path()) + ':' + path);
    }
    ~StandInLp() { qputenv("PATH", path); }
    QTemporaryDir dir;
    const QByteArray path = qgetenv("PATH");
    bool ready = false;
};

// Opening a file with the desktop's program is caught here instead.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};
}

class TestHistoryExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void buttonsRunTheExports_data();
    void buttonsRunTheExports();
    void textExportWritesWhatTheTableShows_data();
    void textExportWritesWhatTheTableShows();
    void textExportCancelledDoesNothing();
    void textExportFailures_data();
    void textExportFailures();
    void excelExportAsksThenOffersToOpen_data();
    void excelExportAsksThenOffersToOpen();
    void excelExportAsksBeforeReplacingTheAppendedName_data();
    void excelExportAsksBeforeReplacingTheAppendedName();
    void excelExportThatCannotSaveSaysSo();
    void printFileNeedsPrinterAndFile();
    void printWithoutDefaultPrinterKeepsTheWorkbook();
    void printQueuesTheTable();
    void refusedPrintIsNoSuccess();
    void printWaitsForTheAnswerWithoutBlocking_data();
    void printWaitsForTheAnswerWithoutBlocking();
    void quitDuringPrintKeepsTheJob();

private:
    QString checkWorkbook(const QString &path);

    std::unique_ptr<HistoryData> window;
    std::unique_ptr<QSqlQueryModel> model;
    UrlCatcher urls;
    CupsServer cups;
    bool cupsRunning = false;
};

void TestHistoryExport::initTestCase()
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", Connection);
    db.setDatabaseName(":memory:");
    QVERIFY(db.open());
    QSqlQuery query(db);
    QVERIFY(query.exec("create table invoice (funcstr text, datavaluestr text, unitstr text, frastr text,"
                       " create_time text)"));
    for (const Row &row : storedRows) {
        QVERIFY(query.prepare("insert into invoice values (?, ?, ?, '1', ?)"));
        query.addBindValue(row.function);
        query.addBindValue(row.value);
        query.addBindValue(row.unit);
        query.addBindValue(row.time);
        QVERIFY(query.exec());
    }
    QDesktopServices::setUrlHandler("file", &urls, "open");
    cupsRunning = cups.start();
    if (!cupsRunning)
        qWarning("no print server for the printing tests: %s", qPrintable(cups.errorString()));
}

void TestHistoryExport::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler("file");
    cups.stop();
    QFile::remove(HistoryData::printWorkbookPath());
    QSqlDatabase::removeDatabase(Connection);
}

void TestHistoryExport::init()
{
    model.reset(new QSqlQueryModel);
    model->setQuery("select * from invoice order by create_time", QSqlDatabase::database(Connection));
    window.reset(new HistoryData);
    window->setModel(model.get());
    QCOMPARE(window->tableView()->model()->rowCount(), storedRows.size());
    urls.opened.clear();
}

void TestHistoryExport::cleanup()
{
    window.reset();
    model.reset();
}

QString TestHistoryExport::checkWorkbook(const QString &path)
{
    const QAbstractItemModel *table = window->tableView()->model();
    QJsonArray rows;
    for (const Row &row : storedRows)
        rows.append(QJsonArray{row.time, row.value, row.unit, row.function});
    QJsonArray widths;
    for (int column = 0; column < table->columnCount(); ++column)
        widths.append(window->tableView()->columnWidth(column) / 6);
    const QJsonObject want{{"title", "Data Record"},
                           {"headers", QJsonArray{"Time", "Data", "Unit", "Func"}},
                           {"rows", rows},
                           {"widths", widths}};
    QTemporaryDir dir;
    QFile file(dir.filePath("want.json"));
    if (!file.open(QIODevice::WriteOnly))
        return "cannot write the expectations";
    file.write(QJsonDocument(want).toJson());
    file.close();
    QProcess checker;
    checker.setProcessChannelMode(QProcess::MergedChannels);
    checker.start("/usr/bin/python3",
                  {QStringLiteral(QUORVANE_HISTORY_TESTS_DIR "/check_workbook.py"), path, file.fileName()});
    if (!checker.waitForFinished(120000))
        return "check_workbook.py did not finish";
    return checker.exitCode() == 0 ? QString() : QString::fromUtf8(checker.readAll());
}

void TestHistoryExport::buttonsRunTheExports_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("documents");
    QTest::addColumn<QString>("offered");  // below the home folder
    QTest::addColumn<QString>("close");
    const QString name = "readings-2024-05-01_10-00-00";
    QTest::newRow("Out excel") << "Ctrl+E" << "Excel(*.xls *.xlsx)" << true << "Documents/" + name + ".xlsx" << "Ctrl+W";
    QTest::newRow("Out txt") << "Ctrl+T" << "Txt(*.txt)" << true << "Documents/" + name + ".txt" << "Esc";
    QTest::newRow("Out txt, no documents") << "Ctrl+T" << "Txt(*.txt)" << false << name + ".txt" << "Esc";
}

// Tab walks the buttons, keys export and close; the name offered is in Documents, else at home.
void TestHistoryExport::buttonsRunTheExports()
{
    QFETCH(QString, key);
    QFETCH(QString, filter);
    QFETCH(bool, documents);
    QFETCH(QString, offered);
    QFETCH(QString, close);
    QTemporaryDir home;
    QVERIFY(!documents || QDir(home.path()).mkdir("Documents"));
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    QString chosen;
    ModalScript script({[&chosen](QWidget *dialog) {
        chosen = qobject_cast<QFileDialog *>(dialog)->selectedFiles().value(0);
        ModalScript::reject()(dialog);
    }});
    window->show();
    const bool active = QTest::qWaitForWindowActive(window.get());
    window->tableView()->setFocus();
    QStringList reached;
    for (int stop = 0; stop < 3; ++stop) {
        QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
        reached << (window->focusWidget() ? window->focusWidget()->property("text").toString() : QString());
    }
    QTest::keySequence(window.get(), QKeySequence(key));
    QTRY_COMPARE(script.seen().size(), 1);
    qputenv("HOME", realHome);
    QVERIFY(active);
    QCOMPARE(reached, QStringList({"Out excel", "Out txt", "Print"}));
    QCOMPARE(script.seen().first().kind, QString("QFileDialog"));
    QCOMPARE(script.seen().first().text, filter);
    QCOMPARE(chosen, QDir(home.path()).filePath(offered));
    QApplication::setActiveWindow(window.get());   // back from the file dialog
    QTest::keySequence(window->focusWidget(), QKeySequence(close));
    QTRY_VERIFY(!window->isVisible());
}

void TestHistoryExport::textExportWritesWhatTheTableShows_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("saved");
    QTest::newRow("named .txt") << "history.txt" << "history.txt";
    QTest::newRow("no suffix gets .txt") << "history" << "history.txt";
}

void TestHistoryExport::textExportWritesWhatTheTableShows()
{
    QFETCH(QString, chosen);
    QFETCH(QString, saved);
    QTemporaryDir dir;
    const QString path = dir.filePath(saved);
    ModalScript script({ModalScript::chooseFile(dir.filePath(chosen)), ModalScript::click("OK")});
    QVERIFY(window->exportText());
    QCOMPARE(script.seen().size(), 2);
    QCOMPARE(script.seen().at(0).kind, QString("QFileDialog"));
    QCOMPARE(script.seen().at(0).title, QString("Save"));
    QCOMPARE(script.seen().at(0).text, QString("Txt(*.txt)"));
    QCOMPARE(script.seen().at(1).title, QString("Prompt"));
    QCOMPARE(script.seen().at(1).text, QString("Save successed"));
    QCOMPARE(contents(path), expectedText());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{saved});
}

void TestHistoryExport::textExportCancelledDoesNothing()
{
    QTemporaryDir dir;
    ModalScript script({ModalScript::reject()});
    QVERIFY(!window->exportText());
    QCOMPARE(script.titles(), QStringList{"Save"});
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestHistoryExport::textExportFailures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("confirmReplace");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText");
    QTest::newRow("missing directory") << "gone/history.txt" << false << "Read File" << "Cannot open file";
    QTest::newRow("full device") << "/dev/full" << true << "Error" << "could not be written";
}

void TestHistoryExport::textExportFailures()
{
    QFETCH(QString, path);
    QFETCH(bool, confirmReplace);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);
    QTemporaryDir dir;
    const QString target = QDir(dir.path()).filePath(path);
    QList<ModalScript::Answer> answers{ModalScript::chooseFile(target)};
    if (confirmReplace)
        answers << ModalScript::click("Yes");
    answers << ModalScript::click("OK");
    ModalScript script(answers);
    QVERIFY(!window->exportText());
    const QList<ModalScript::Seen> seen = script.seen();
    QVERIFY2(seen.size() == answers.size(), qPrintable(script.titles().join(", ") + ": " + seen.last().text));
    QCOMPARE(seen.last().title, boxTitle);
    QVERIFY2(seen.last().text.contains(boxText) && seen.last().text.contains(target), qPrintable(seen.last().text));
    QVERIFY(!script.titles().contains("Prompt"));
    struct stat info;
    QVERIFY(stat("/dev/full", &info) == 0 && S_ISCHR(info.st_mode));
}

void TestHistoryExport::excelExportAsksThenOffersToOpen_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("answer");
    QTest::newRow("no suffix, open") << "table" << "table.xlsx" << "OK";
    QTest::newRow("other suffix, cancel") << "table.txt" << "table.txt.xlsx" << "Cancel";
    QTest::newRow("xls suffix kept") << "table.XLS" << "table.XLS" << "Cancel";
}

void TestHistoryExport::excelExportAsksThenOffersToOpen()
{
    QFETCH(QString, chosen);
    QFETCH(QString, saved);
    QFETCH(QString, answer);
    QTemporaryDir dir;
    ModalScript script({ModalScript::chooseFile(dir.filePath(chosen)), ModalScript::click(answer)});
    QVERIFY(window->exportExcel("Data Record"));
    const QList<ModalScript::Seen> seen = script.seen();
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen.at(0).title, QString("Save"));
    QCOMPARE(seen.at(0).text, QString("Excel(*.xls *.xlsx)"));
    QCOMPARE(seen.at(1).title, QString("completed"));
    QCOMPARE(seen.at(1).text, QString("The file has been exported, is it open now?"));
    const QString path = dir.filePath(saved);
    const QString problems = checkWorkbook(path);
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
    QCOMPARE(urls.opened, answer == "OK" ? QList<QUrl>{QUrl::fromLocalFile(path)} : QList<QUrl>());
}

void TestHistoryExport::excelExportAsksBeforeReplacingTheAppendedName_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("No keeps the file") << "No";
    QTest::newRow("Yes replaces it") << "Yes";
}

void TestHistoryExport::excelExportAsksBeforeReplacingTheAppendedName()
{
    QFETCH(QString, answer);
    QTemporaryDir dir;
    const QString path = dir.filePath("table.xlsx");
    QFile existing(path);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("earlier file");
    existing.close();
    // "table" itself does not exist, so the file dialog asks nothing.
    ModalScript script({ModalScript::chooseFile(dir.filePath("table")), ModalScript::click(answer),
                        ModalScript::click("Cancel")});
    QCOMPARE(window->exportExcel("Data Record"), answer == "Yes");
    QCOMPARE(script.titles(), answer == "Yes" ? (QStringList{"Save", "Save", "completed"}) : (QStringList{"Save", "Save"}));
    QVERIFY2(script.seen().at(1).text.contains(path + " already exists"), qPrintable(script.seen().at(1).text));
    if (answer == "No") {
        QCOMPARE(contents(path), QByteArray("earlier file"));
    } else {
        const QString problems = checkWorkbook(path);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }
}

void TestHistoryExport::excelExportThatCannotSaveSaysSo()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("gone/table.xlsx");
    ModalScript script({ModalScript::chooseFile(target), ModalScript::click("OK")});
    QVERIFY(!window->exportExcel("Data Record"));
    QCOMPARE(script.titles(), (QStringList{"Save", "Error"}));
    QVERIFY2(script.seen().last().text.contains("could not be written"), qPrintable(script.seen().last().text));
    QVERIFY(urls.opened.isEmpty());
}

void TestHistoryExport::printFileNeedsPrinterAndFile()
{
    if (!cupsRunning)
        QSKIP(qPrintable("cupsd cannot run here: " + cups.errorString()));
    QTemporaryDir dir;
    const QString text = dir.filePath("page.txt");
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("one printed page\n");
    file.close();
    QVERIFY(!window->printFile(QString()));
    QVERIFY(!window->printFile(dir.filePath("missing.pdf")));
    const QStringList earlier = cups.outputFiles();
    QVERIFY(window->printFile(text));
    QVERIFY(!cups.waitForOutput("page", 120000, earlier).isEmpty());
    QVERIFY(cups.removePrinter());
    const bool withoutPrinter = window->printFile(text);
    QVERIFY(cups.addDefaultPrinter());
    QVERIFY(!withoutPrinter);
    for (const QString &name : cups.outputFiles()) {
        if (!earlier.contains(name))
            QFile::remove(QDir(cups.outputDirectory()).filePath(name));
    }
}

void TestHistoryExport::printWithoutDefaultPrinterKeepsTheWorkbook()
{
    if (!cupsRunning)
        QSKIP(qPrintable("cupsd cannot run here: " + cups.errorString()));
    const QString path = HistoryData::printWorkbookPath();
    QCOMPARE(path, QCoreApplication::applicationDirPath() + "/111.xlsx");
    QFile::remove(path);
    QVERIFY(cups.removePrinter());
    ModalScript script({ModalScript::click("OK")});
    const bool printed = window->printTable();
    QVERIFY(cups.addDefaultPrinter());
    QVERIFY(!printed);
    QCOMPARE(script.titles(), QStringList{"Print"});
    QVERIFY2(script.seen().first().text.contains("No default printer"), qPrintable(script.seen().first().text));
    const QString problems = checkWorkbook(path);
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

void TestHistoryExport::printQueuesTheTable()
{
    if (!cupsRunning)
        QSKIP(qPrintable("cupsd cannot run here: " + cups.errorString()));
    const QString path = HistoryData::printWorkbookPath();
    // Twice: the second print replaces the workbook without a question.
    for (int round = 0; round < 2; ++round) {
        const QStringList earlier = cups.outputFiles();
        ModalScript script({ModalScript::click("OK")});
        QSignalSpy outcome(window.get(), &HistoryData::signal_printed);
        QVERIFY(window->printTable());
        QVERIFY(outcome.wait(120000));
        QCOMPARE(outcome.first().first().toBool(), true);
        QCOMPARE(script.seen().size(), 1);
        QCOMPARE(script.seen().first().title, QString("completed"));
        QCOMPARE(script.seen().first().text, QString("Print successed"));
        const QString problems = checkWorkbook(path);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
        // The job carries the table's title.
        const QString output = cups.waitForOutput("Data_Record", 120000, earlier);
        QVERIFY2(!output.isEmpty(), qPrintable("no PDF from the queue in " + cups.outputDirectory()));
        QCOMPARE(contents(output).left(5), QByteArray("%PDF-"));
        QFile::remove(output);
    }
}

void TestHistoryExport::refusedPrintIsNoSuccess()
{
    if (!cupsRunning)
        QSKIP(qPrintable("cupsd cannot run here: " + cups.errorString()));
    QVERIFY(cups.setAccepting(false));
    ModalScript script({ModalScript::click("OK")});
    QSignalSpy outcome(window.get(), &HistoryData::signal_printed);
    const bool started = window->printTable();
    const bool answered = started && outcome.wait(120000);
    QVERIFY(cups.setAccepting(true));
    QVERIFY(answered);
    QCOMPARE(outcome.first().first().toBool(), false);
    QCOMPARE(script.titles(), QStringList{"Print"});
    QVERIFY2(script.seen().first().text.contains("could not be printed"), qPrintable(script.seen().first().text));
}

void TestHistoryExport::printWaitsForTheAnswerWithoutBlocking_data()
{
    QTest::addColumn<QString>("lpBody");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("boxText");
    QTest::newRow("late answer") << "sleep 2; echo 'request id is quorvane-pdf-7 (1 file(s))'" << true
                                 << "Print successed";
    QTest::newRow("no answer") << "exec sleep 60" << false << "did not answer within a minute";
}

void TestHistoryExport::printWaitsForTheAnswerWithoutBlocking()
{
    QFETCH(QString, lpBody);
    QFETCH(bool, accepted);
    QFETCH(QString, boxText);
    if (!cupsRunning)
        QSKIP(qPrintable("cupsd cannot run here: " + cups.errorString()));
    // A stand-in lp answers late.
    StandInLp lp(lpBody);
    QVERIFY(lp.ready);
    window->setPrintTimeout(3000);
    int ticks = 0;
    QTimer clock;
    connect(&clock, &QTimer::timeout, [&ticks] { ++ticks; });
    clock.start(100);
    ModalScript script({ModalScript::click("OK")});
    QSignalSpy outcome(window.get(), &HistoryData::signal_printed);
    QElapsedTimer elapsed;
    elapsed.start();
    const bool started = window->printTable();
    const qint64 returnedAfter = elapsed.elapsed();
    const bool answered = outcome.wait(30000);
    QVERIFY(started);
    QVERIFY2(returnedAfter < 1500, qPrintable(QString::number(returnedAfter)));
    QVERIFY(answered);
    QVERIFY2(elapsed.elapsed() >= 1900, qPrintable(QString::number(elapsed.elapsed())));
    // The event loop ran on while lp was silent.
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QCOMPARE(outcome.first().first().toBool(), accepted);
    QCOMPARE(script.seen().size(), 1);
    QVERIFY2(script.seen().first().text.contains(boxText), qPrintable(script.seen().first().text));
    const QStringList arguments = QString::fromUtf8(contents(lp.dir.filePath("args"))).split('\n');
    QVERIFY2(arguments.indexOf("-t") >= 0 && arguments.value(arguments.indexOf("-t") + 1) == "Data Record",
             qPrintable(arguments.join(' ')));
}

// The window goes while lp runs, as at quit: nothing told to it, and lp hands the job over.
void TestHistoryExport::quitDuringPrintKeepsTheJob()
{
    if (!cupsRunning)
        QSKIP(qPrintable("cupsd cannot run here: " + cups.errorString()));
    StandInLp lp("sleep 1; touch \"$(dirname \"$0\")/handed\"; echo 'request id is quorvane-pdf-8 (1 file(s))'");
    QVERIFY(lp.ready);
    ModalScript script({});
    QVERIFY(window->printTable());
    window.reset();
    QVERIFY(QFileInfo::exists(lp.dir.filePath("handed")));
    QVERIFY(script.seen().isEmpty());
}

QUORVANE_TEST(TestHistoryExport);
#include "tst_historyexport.moc"
