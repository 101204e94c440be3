/* The same workbook as the program's export, written by libxlsxwriter alone
   with the texts generated in place: the yardstick for bench_export.
   Usage: bench_xlsx_bare ROWS FILE; prints "wall-seconds cpu-seconds peak-RSS-kB". */

#include "BenchRows.h"

#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <xlsxwriter.h>

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s ROWS FILE\n", argv[0]);
        return 2;
    }
    const long rows = atol(argv[1]);
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);

    lxw_workbook_options options = {LXW_TRUE, NULL, LXW_TRUE};
    lxw_workbook *workbook = workbook_new_opt(argv[2], &options);
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, NULL);
    lxw_format *title = workbook_add_format(workbook);
    format_set_font_size(title, 18);
    format_set_text_wrap(title);
    format_set_align(title, LXW_ALIGN_CENTER);
    format_set_align(title, LXW_ALIGN_VERTICAL_CENTER);
    lxw_format *header = workbook_add_format(workbook);
    format_set_bold(header);
    format_set_bg_color(header, 0xBFBFBF);
    format_set_align(header, LXW_ALIGN_CENTER);
    format_set_align(header, LXW_ALIGN_VERTICAL_CENTER);
    format_set_border(header, LXW_BORDER_THIN);
    format_set_border_color(header, LXW_COLOR_BLACK);
    lxw_format *cell = workbook_add_format(workbook);
    format_set_border(cell, LXW_BORDER_THIN);
    format_set_border_color(cell, LXW_COLOR_BLACK);

    const int widths[4] = {160, 80, 60, 60};
    for (int c = 0; c < 4; ++c)
        worksheet_set_column(sheet, c, c, widths[c] / 6, NULL);
    worksheet_set_row(sheet, 0, 30, NULL);
    worksheet_merge_range(sheet, 0, 0, 0, 3, "Data Record", title);
    worksheet_set_row(sheet, 1, 20, NULL);
    const char *headers[4] = {"Time", "Data", "Unit", "Func"};
    for (int c = 0; c < 4; ++c)
        worksheet_write_string(sheet, 1, c, headers[c], header);
    char time[BenchTimeSize], value[BenchValueSize];
    for (long row = 0; row < rows; ++row) {
        benchRow(row, time, value);
        worksheet_set_row(sheet, row + 2, 20, NULL);
        worksheet_write_string(sheet, row + 2, 0, time, cell);
        worksheet_write_string(sheet, row + 2, 1, value, cell);
        worksheet_write_string(sheet, row + 2, 2, "V", cell);
        worksheet_write_string(sheet, row + 2, 3, "DCV", cell);
    }
    if (workbook_close(workbook) != LXW_NO_ERROR)
        return 1;

    clock_gettime(CLOCK_MONOTONIC, &end);
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("%.3f %.3f %ld\n", (double)(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9,
           usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
               + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6,
           usage.ru_maxrss);
    return 0;
}
