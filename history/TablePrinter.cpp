#include "history/TablePrinter.h"

#include "history/ExportRows.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopedPointer>
#include <QStandardPaths>

#include <numeric>

namespace {
// Sizes in points, as the workbook's rows and fonts are given.
const qreal TitleHeight = 30;
const qreal RowHeight = 20;
const qreal TitleFontSize = 18;
const qreal CellFontSize = 11;
const qreal Padding = 3;
const qreal LineWidth = 0.5;
const QColor HeaderFill(191, 191, 191);
}

TablePrinter::TablePrinter(const ExportRows *rows, const QVector<int> &columnWidths)
    : ExportJob(rows)
    , columnWidths(columnWidths)
{
}

QPageLayout TablePrinter::defaultPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

QPageLayout TablePrinter::defaultPrinterPageLayout()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return defaultPageLayout();
    return QPrinter(info, QPrinter::HighResolution).pageLayout();
}

QString TablePrinter::defaultPrinterName()
{
    return QPrinterInfo::defaultPrinterName();
}

bool TablePrinter::render(QPrinter *printer, const QString &title)
{
    clearFailure();
    QPainter painter;
    if (!painter.begin(printer))
        return fail(Failure::Open, tr("The printer cannot be used."));

    const qreal point = printer->resolution() / 72.0;
    const QRectF page(QPointF(0, 0), printer->pageRect(QPrinter::DevicePixel).size());
    const int columns = columnCount();
    const int count = rowCount();

    QVector<qreal> widths(columns, 1);
    for (int column = 0; column < columns && column < columnWidths.size(); ++column)
        widths[column] = qMax(0, columnWidths.at(column));
    const qreal total = std::accumulate(widths.cbegin(), widths.cend(), qreal(0));
    for (qreal &width : widths)
        width = total > 0 ? width * page.width() / total : page.width() / columns;

    QFont titleFont(QStringLiteral("Liberation Sans"));
    titleFont.setPointSizeF(TitleFontSize);
    QFont cellFont(titleFont);
    cellFont.setPointSizeF(CellFontSize);
    QFont headerFont(cellFont);
    headerFont.setBold(true);
    const qreal rowHeight = RowHeight * point;
    const qreal padding = Padding * point;
    painter.setPen(QPen(Qt::black, LineWidth * point));

    auto drawRow = [&](qreal y, int row) {
        qreal x = 0;
        for (int column = 0; column < columns; ++column) {
            const QRectF cell(x, y, widths.at(column), rowHeight);
            QString text;
            if (row < 0) {
                painter.fillRect(cell, HeaderFill);
                text = rows->headerText(column);
            } else {
                text = rows->cellText(row, column);
            }
            painter.drawRect(cell);
            painter.drawText(cell.adjusted(padding, 0, -padding, 0),
                             row < 0 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter, text);
            x += widths.at(column);
        }
    };

    painter.setFont(titleFont);
    painter.drawText(QRectF(0, 0, page.width(), TitleHeight * point),
                     Qt::AlignCenter | Qt::TextWordWrap, title);
    qreal y = TitleHeight * point;
    int row = 0;
    for (;;) {
        painter.setFont(headerFont);
        drawRow(y, -1);
        y += rowHeight;
        painter.setFont(cellFont);
        const int firstRow = row;
        while (row < count && y + rowHeight <= page.height()) {
            drawRow(y, row++);
            y += rowHeight;
        }
        if (!report(row)) {
            painter.end();
            return false;
        }
        if (row >= count)
            break;
        if (row == firstRow) {
            painter.end();
            return fail(Failure::Write, tr("The page is too small for one table row."));
        }
        if (!printer->newPage()) {
            painter.end();
            return fail(Failure::Write, tr("The printer refused a new page."));
        }
        y = 0;
    }
    if (!painter.end() || printer->printerState() == QPrinter::Error)
        return fail(Failure::Write, tr("The pages could not be rendered."));
    return true;
}

bool TablePrinter::writePdf(const QString &path, const QString &title, const QPageLayout &layout)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(layout);
    printer.setDocName(title);
    return render(&printer, title);
}

bool TablePrinter::submit(const QString &printer, const QString &file, const QString &title,
                          QString *jobId, QString *errorString)
{
    QProcess *lp = startSubmit(printer, file, title, nullptr, errorString);
    if (!lp)
        return false;
    const QScopedPointer<QProcess> owner(lp);
    if (!lp->waitForFinished(submitTimeoutMs)) {
        lp->kill();
        lp->waitForFinished();
        *errorString = tr("The print server did not answer.");
        return false;
    }
    return accepted(lp, printer, jobId, errorString);
}

QProcess *TablePrinter::startSubmit(const QString &printer, const QString &file, const QString &title,
                                    QObject *parent, QString *errorString)
{
    const QString lp = QStandardPaths::findExecutable(QStringLiteral("lp"));
    if (lp.isEmpty()) {
        *errorString = tr("The print command lp was not found.");
        return nullptr;
    }
    // lp sends the file to the print server before it exits, so the caller
    // may remove it afterwards.
    QProcess *process = new QProcess(parent);
    // Its answer is read by accepted(), so it must not come translated.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process->setProcessEnvironment(environment);
    process->start(lp, {QStringLiteral("-d"), printer, QStringLiteral("-t"), title, QStringLiteral("--"), file});
    if (!process->waitForStarted()) {
        *errorString = process->errorString();
        delete process;
        return nullptr;
    }
    return process;
}

bool TablePrinter::accepted(QProcess *lp, const QString &printer, QString *jobId, QString *errorString)
{
    const QString output = QString::fromLocal8Bit(lp->readAllStandardOutput());
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("request id is (\\S+)")).match(output);
    if (lp->exitStatus() != QProcess::NormalExit || lp->exitCode() != 0 || !match.hasMatch()) {
        const QString reason = QString::fromLocal8Bit(lp->readAllStandardError()).trimmed();
        *errorString = tr("The printer %1 did not accept the job: %2").arg(printer, reason);
        return false;
    }
    *jobId = match.captured(1);
    return true;
}
