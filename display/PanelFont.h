#ifndef PANELFONT_H
#define PANELFONT_H

class QFont;

// The font of the reading panel's texts: "Arial" at a given weight and size.
class PanelFont
{
public:
    // The panel has a fixed size in pixels, so its texts are sized in pixels
    // too: the given point size as it comes out at 96 dpi. Sized in points, a
    // screen of higher resolution grows the 100-point digits past the panel
    // and the last digit is cut off.
    static QFont make(int pointSize, int weight);
};

#endif
