#include "history/XlsxWorkbook.h"

#include "history/ExportRows.h"
#include "history/SafeReplace.h"

#include <QFile>
#include <QLocale>

#include <xlsxwriter.h>

#include <cstdio>
#include <utility>

namespace {
const int DefaultColumnPixels = 64;
const lxw_color_t HeaderFill = 0xBFBFBF;
}

XlsxWorkbook::XlsxWorkbook(const ExportRows *rows, const QVector<int> &columnWidths)
    : ExportJob(rows)
    , columnWidths(columnWidths)
{
}

int XlsxWorkbook::characterWidth(int pixels)
{
    return pixels / 6;
}

QString XlsxWorkbook::tooManyRows(int rowCount)
{
    if (rowCount <= maxTableRows)
        return QString();
    return tr("The table has %1 rows; a workbook sheet holds at most %2. Choose a shorter time range.")
        .arg(QLocale().toString(rowCount), QLocale().toString(maxTableRows));
}

bool XlsxWorkbook::write(const QString &path, const QString &title)
{
    clearFailure();
    const QString refusal = tooManyRows(rowCount());
    if (!refusal.isEmpty())
        return fail(Failure::Write, refusal);
    SafeReplace replace(path);
    if (!replace.begin())
        return fail(Failure::Open, tr("The file %1 could not be written: %2").arg(path, replace.errorString()));
    if (!writeFile(replace.writePath(), path, title))
        return false;
    return replace.commit()
        || fail(Failure::Write, tr("The file %1 could not be written: %2").arg(path, replace.errorString()));
}

bool XlsxWorkbook::writeFile(const QString &file, const QString &path, const QString &title)
{
    const int count = rowCount();
    const int columns = columnCount();
    const QByteArray fileName = QFile::encodeName(file);

    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    lxw_workbook *workbook = workbook_new_opt(fileName.constData(), &options);
    if (!workbook)
        return fail(Failure::Open, tr("The file %1 could not be written.").arg(path));
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);

    lxw_format *titleFormat = workbook_add_format(workbook);
    format_set_font_size(titleFormat, 18);
    format_set_text_wrap(titleFormat);
    format_set_align(titleFormat, LXW_ALIGN_CENTER);
    format_set_align(titleFormat, LXW_ALIGN_VERTICAL_CENTER);

    lxw_format *headerFormat = workbook_add_format(workbook);
    format_set_bold(headerFormat);
    format_set_bg_color(headerFormat, HeaderFill);
    format_set_align(headerFormat, LXW_ALIGN_CENTER);
    format_set_align(headerFormat, LXW_ALIGN_VERTICAL_CENTER);
    format_set_border(headerFormat, LXW_BORDER_THIN);
    format_set_border_color(headerFormat, LXW_COLOR_BLACK);

    lxw_format *cellFormat = workbook_add_format(workbook);
    format_set_border(cellFormat, LXW_BORDER_THIN);
    format_set_border_color(cellFormat, LXW_COLOR_BLACK);

    for (int column = 0; column < columns; ++column) {
        const int pixels = column < columnWidths.size() ? columnWidths.at(column) : DefaultColumnPixels;
        worksheet_set_column(sheet, lxw_col_t(column), lxw_col_t(column), characterWidth(pixels), nullptr);
    }

    // Constant-memory mode takes rows strictly in order, each row's height
    // before its cells.
    worksheet_set_row(sheet, 0, 30, nullptr);
    const QByteArray titleText = title.toUtf8();
    if (columns > 1)
        worksheet_merge_range(sheet, 0, 0, 0, lxw_col_t(columns - 1), titleText.constData(), titleFormat);
    else
        worksheet_write_string(sheet, 0, 0, titleText.constData(), titleFormat);

    worksheet_set_row(sheet, 1, 20, nullptr);
    lxw_error error = LXW_NO_ERROR;
    for (int column = 0; column < columns && error == LXW_NO_ERROR; ++column) {
        const QByteArray text = rows->headerText(column).toUtf8();
        error = worksheet_write_string(sheet, 1, lxw_col_t(column), text.constData(), headerFormat);
    }

    // Over-long texts are refused by the writer; the first refusal stops the
    // table and fails the save. So does a cancel.
    bool going = report(0);
    for (int row = 0; row < count && error == LXW_NO_ERROR && going; ++row) {
        const lxw_row_t sheetRow = lxw_row_t(row + 2);
        error = worksheet_set_row(sheet, sheetRow, 20, nullptr);
        for (int column = 0; column < columns && error == LXW_NO_ERROR; ++column) {
            const QByteArray text = rows->cellText(row, column).toUtf8();
            error = worksheet_write_string(sheet, sheetRow, lxw_col_t(column), text.constData(), cellFormat);
        }
        if ((row + 1) % progressStep == 0)
            going = report(row + 1);
    }
    // Rows already streamed out went to a temporary file whose write errors
    // (a full disk) the library does not report; it would then package a
    // truncated sheet as if all went well.
    FILE *rowStore = sheet->optimize_tmpfile;
    if (!going || (error == LXW_NO_ERROR && !report(count))) {
        // Nothing of a cancelled workbook is packed; only the packing closes
        // the row store.
        if (rowStore)
            std::fclose(std::exchange(sheet->optimize_tmpfile, nullptr));
        lxw_workbook_free(workbook);
        return false;
    }
    if (error == LXW_NO_ERROR && rowStore && (std::fflush(rowStore) != 0 || std::ferror(rowStore)))
        error = LXW_ERROR_CREATING_TMPFILE;
    const lxw_error closeError = workbook_close(workbook);
    if (error == LXW_NO_ERROR)
        error = closeError;
    if (error != LXW_NO_ERROR)
        return fail(Failure::Write, tr("The file %1 could not be written: %2").arg(path, QString::fromUtf8(lxw_strerror(error))));
    return true;
}
