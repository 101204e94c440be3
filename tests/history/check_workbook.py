#!/usr/bin/python3
"""Reads an exported workbook back with openpyxl and compares it with what
the export must produce. Usage: check_workbook.py WORKBOOK EXPECTED_JSON
EXPECTED_JSON holds title, headers, rows (lists of texts) and widths (Excel
character widths). Prints every difference; exit status 1 if there is any."""

import json
import sys

import openpyxl
from openpyxl.utils import get_column_letter

problems = []


def expect(condition, text):
    if not condition:
        problems.append(text)


def stored_characters(width):
    # Excel stores a width of n characters as n plus the cell padding of
    # 5 pixels at a 7-pixel digit width, rounded down to 1/256.
    return round(width * 7 - 5) / 7


def main():
    # Opened as a stream: openpyxl judges a file name by its suffix and
    # refuses ".xls", which the export may be given for an .xlsx workbook.
    with open(sys.argv[1], "rb") as stream:
        workbook = openpyxl.load_workbook(stream)
    with open(sys.argv[2], encoding="utf-8") as f:
        want = json.load(f)
    sheet = workbook.worksheets[0]
    headers, rows, widths = want["headers"], want["rows"], want["widths"]
    n, r = len(headers), len(rows)
    last = get_column_letter(n)
    # Read before the checks below, which create the cells they look at.
    max_row, max_column = sheet.max_row, sheet.max_column

    merged = sorted(str(m) for m in sheet.merged_cells.ranges)
    expect(merged == ["A1:%s1" % last], "merged ranges %s" % merged)

    title = sheet["A1"]
    expect(title.value == want["title"], "title %r" % title.value)
    expect(title.font.sz == 18, "title font size %s" % title.font.sz)
    expect(title.alignment.wrap_text is True, "title not wrapped")
    expect(title.alignment.horizontal == "center", "title horizontal %s" % title.alignment.horizontal)
    expect(title.alignment.vertical == "center", "title vertical %s" % title.alignment.vertical)
    expect(sheet.row_dimensions[1].height == 30, "row 1 height %s" % sheet.row_dimensions[1].height)

    for c, text in enumerate(headers, start=1):
        cell = sheet.cell(row=2, column=c)
        expect(cell.value == text, "header %s is %r" % (cell.coordinate, cell.value))
        expect(cell.font.b is True, "header %s not bold" % cell.coordinate)
        expect(cell.fill.patternType == "solid" and cell.fill.fgColor.rgb == "FFBFBFBF",
               "header %s fill %s %s" % (cell.coordinate, cell.fill.patternType, cell.fill.fgColor.rgb))
        expect(cell.alignment.horizontal == "center" and cell.alignment.vertical == "center",
               "header %s alignment %s/%s" % (cell.coordinate, cell.alignment.horizontal,
                                              cell.alignment.vertical))

    for i, texts in enumerate(rows):
        for c, text in enumerate(texts, start=1):
            cell = sheet.cell(row=i + 3, column=c)
            value = "" if cell.value is None else cell.value
            expect(value == text, "cell %s is %r, not %r" % (cell.coordinate, cell.value, text))
            expect(cell.value is None or cell.data_type == "s",
                   "cell %s is not text but %s" % (cell.coordinate, cell.data_type))
            expect(not cell.font.b, "cell %s bold" % cell.coordinate)
            expect(cell.fill.patternType is None, "cell %s filled" % cell.coordinate)

    for row in range(1, r + 4):
        for c in range(1, n + 2):
            cell = sheet.cell(row=row, column=c)
            inside = 2 <= row <= r + 2 and c <= n
            for side in ("left", "right", "top", "bottom"):
                border = getattr(cell.border, side)
                if inside:
                    expect(border.style == "thin" and border.color is not None
                           and border.color.rgb == "FF000000",
                           "%s %s border %s %s" % (cell.coordinate, side, border.style,
                                                   border.color.rgb if border.color else None))
                else:
                    expect(border.style is None, "%s has a %s border outside the table"
                           % (cell.coordinate, side))

    for row in range(2, r + 3):
        expect(sheet.row_dimensions[row].height == 20,
               "row %d height %s" % (row, sheet.row_dimensions[row].height))
    expect(sheet.row_dimensions[r + 3].height is None,
           "row %d height %s" % (r + 3, sheet.row_dimensions[r + 3].height))
    expect(max_row == r + 2, "last row %d" % max_row)
    expect(max_column == n, "last column %d" % max_column)

    for c, chars in enumerate(widths, start=1):
        dimension = sheet.column_dimensions[get_column_letter(c)]
        if chars == 0:
            expect(dimension.hidden or not dimension.width, "column %d not zero width" % c)
        else:
            expect(dimension.width and stored_characters(dimension.width) == chars,
                   "column %d width %s, wanted %d characters" % (c, dimension.width, chars))

    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
