#include "history/XlsxWorkbook.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <utility>

namespace {
const int ProgressStep = 4096;
const int DefaultColumnPixels = 64;
const lxw_color_t HeaderFill = 0xBFBFBF;
}

XlsxWorkbook::XlsxWorkbook(const QAbstractItemModel *model, const QVector<int> &columnWidths)
    : model(model)
    , columnWidths(columnWidths)
{
}

void XlsxWorkbook::setProgress(Progress progress)
{
    this->progress = std::move(progress);
}

int XlsxWorkbook::characterWidth(int pixels)
{
    return pixels / 6;
}

bool XlsxWorkbook::write(const QString &path, const QString &title)
{
    lastError.clear();
    // A link is followed, so the file it names is replaced, not the link.
    const QFileInfo target(QFileInfo(path).exists() ? QFileInfo(path).canonicalFilePath() : path);
    // A device or pipe cannot be replaced by renaming; write straight into it.
    if (target.exists() && !target.isFile() && !target.isDir())
        return writeFile(target.filePath(), path, title);

    // The workbook goes to a temporary file beside the target and replaces it
    // only once complete, so a failed save leaves an existing file intact.
    // A file the user may write in a folder they may not (or whose sticky bit
    // forbids the rename) is written in place instead.
    QTemporaryFile temporary(target.absoluteDir().filePath(target.fileName() + QStringLiteral(".XXXXXX")));
    if (!temporary.open()) {
        if (target.isFile() && target.isWritable())
            return writeFile(target.filePath(), path, title);
        return fail(tr("The file %1 could not be written: %2").arg(path, temporary.errorString()));
    }
    temporary.close();
    // The temporary file is private; the workbook gets the permissions of the
    // file it replaces, or those a newly created file would get.
    if (target.exists()) {
        temporary.setPermissions(QFile::permissions(target.filePath()));
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        ::chmod(QFile::encodeName(temporary.fileName()).constData(), 0666 & ~mask);
    }
    if (!writeFile(temporary.fileName(), path, title))
        return false;
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(target.filePath()).constData()) != 0) {
        const int renameError = errno;
        if (target.isFile() && target.isWritable())
            return writeFile(target.filePath(), path, title);
        return fail(tr("The file %1 could not be written: %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(renameError))));
    }
    temporary.setAutoRemove(false);
    return true;
}

bool XlsxWorkbook::writeFile(const QString &file, const QString &path, const QString &title)
{
    const int rows = model ? model->rowCount() : 0;
    const int columns = model ? model->columnCount() : 0;
    const QByteArray fileName = QFile::encodeName(file);

    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    lxw_workbook *workbook = workbook_new_opt(fileName.constData(), &options);
    if (!workbook)
        return fail(tr("The file %1 could not be written.").arg(path));
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
        const QByteArray text = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().toUtf8();
        error = worksheet_write_string(sheet, 1, lxw_col_t(column), text.constData(), headerFormat);
    }

    // Rows past the sheet's last row or over-long texts are refused by the
    // writer; the first refusal stops the table and fails the save.
    for (int row = 0; row < rows && error == LXW_NO_ERROR; ++row) {
        const lxw_row_t sheetRow = lxw_row_t(row + 2);
        error = worksheet_set_row(sheet, sheetRow, 20, nullptr);
        for (int column = 0; column < columns && error == LXW_NO_ERROR; ++column) {
            const QByteArray text = model->index(row, column).data(Qt::DisplayRole).toString().toUtf8();
            error = worksheet_write_string(sheet, sheetRow, lxw_col_t(column), text.constData(), cellFormat);
        }
        if (progress && (row + 1) % ProgressStep == 0)
            progress(row + 1, rows);
    }
    if (progress && error == LXW_NO_ERROR)
        progress(rows, rows);

    // Rows already streamed out went to a temporary file whose write errors
    // (a full disk) the library does not report; it would then package a
    // truncated sheet as if all went well.
    FILE *rowStore = sheet->optimize_tmpfile;
    if (error == LXW_NO_ERROR && rowStore && (std::fflush(rowStore) != 0 || std::ferror(rowStore)))
        error = LXW_ERROR_CREATING_TMPFILE;
    const lxw_error closeError = workbook_close(workbook);
    if (error == LXW_NO_ERROR)
        error = closeError;
    if (error != LXW_NO_ERROR)
        return fail(tr("The file %1 could not be written: %2").arg(path, QString::fromUtf8(lxw_strerror(error))));
    return true;
}

bool XlsxWorkbook::fail(const QString &text)
{
    lastError = text;
    return false;
}

QString XlsxWorkbook::errorString() const
{
    return lastError;
}
