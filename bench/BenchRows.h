#ifndef BENCHROWS_H
#define BENCHROWS_H

/* The history rows both export benchmarks write, generated from the row
   number so that neither program holds the table: one reading a second from
   2024-05-01 00:00:00, a value swinging between -9.999 and 9.999 V. Plain C,
   shared by the Qt benchmark and the bare libxlsxwriter program. */

#include <stdio.h>

enum { BenchTimeSize = 64, BenchValueSize = 32 };

static inline void benchRow(long row, char time[BenchTimeSize], char value[BenchValueSize])
{
    static const int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    long day = row / 86400;
    long second = row % 86400;
    int year = 2024;
    int month = 4; /* May, 0-based */
    for (;;) {
        int leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        int days = monthDays[month] + (month == 1 && leap);
        if (day < days)
            break;
        day -= days;
        if (++month == 12) {
            month = 0;
            ++year;
        }
    }
    snprintf(time, BenchTimeSize, "%04d-%02d-%02d %02d:%02d:%02d", year, month + 1, (int)day + 1,
             (int)(second / 3600), (int)(second / 60 % 60), (int)(second % 60));
    snprintf(value, BenchValueSize, "%.3f", (double)(row % 19999 - 9999) / 1000.0);
}

#endif
