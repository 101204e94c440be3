#ifndef DESIGNFONT_H
#define DESIGNFONT_H

// The program's dialogs have fixed sizes laid out for "Arial" text. Desktop
// fonts such as DejaVu Sans are a tenth wider and cut off the dates of the
// history dialog and the interval dialog's note, so the whole program uses
// "Arial" (on Debian the metric-compatible Liberation Sans) at the desktop's
// size.
class DesignFont
{
public:
    // Call once the QApplication exists, before any window is built.
    static void apply();
};

#endif
