// Draws the two tool-bar icons of the main window: a round blue button on a
// white ground, with a white play triangle (start) or a white square (stop),
// and the desktop icon (the start button on a transparent ground).
// Run by scripts/make-icons.sh; the files it writes are committed in
// resources/, so building the program never needs this tool.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

namespace {
const int Size = 256;

void drawButton(QPainter &painter)
{
    const QRectF outer(12, 12, Size - 24, Size - 24);

    // A soft shadow under the button, offset downwards.
    QRadialGradient shadow(QPointF(Size / 2.0, Size / 2.0 + 8), Size / 2.0 - 6);
    shadow.setColorAt(0.85, QColor(0, 0, 0, 60));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.drawEllipse(outer.translated(0, 6).adjusted(-6, -6, 6, 6));

    // Rim, then the face lit from the top left.
    QLinearGradient rim(outer.topLeft(), outer.bottomRight());
    rim.setColorAt(0.0, QColor(120, 180, 255));
    rim.setColorAt(1.0, QColor(10, 60, 150));
    painter.setBrush(rim);
    painter.drawEllipse(outer);

    const QRectF face = outer.adjusted(10, 10, -10, -10);
    QRadialGradient body(face.center() - QPointF(30, 40), face.width() * 0.8);
    body.setColorAt(0.0, QColor(90, 170, 255));
    body.setColorAt(0.6, QColor(25, 110, 225));
    body.setColorAt(1.0, QColor(15, 70, 170));
    painter.setBrush(body);
    painter.drawEllipse(face);

    // Gloss on the upper half.
    QLinearGradient gloss(face.topLeft(), QPointF(face.left(), face.center().y()));
    gloss.setColorAt(0.0, QColor(255, 255, 255, 110));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setBrush(gloss);
    painter.drawEllipse(QRectF(face.left() + 22, face.top() + 6, face.width() - 44, face.height() * 0.5));
}

QImage makeIcon(bool start, bool transparent)
{
    QImage image(Size, Size, transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image.fill(transparent ? Qt::transparent : Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawButton(painter);

    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const QPointF c(Size / 2.0, Size / 2.0);
    if (start) {
        // The triangle's centroid sits on the button's centre so it looks centred.
        QPainterPath triangle;
        triangle.moveTo(c + QPointF(-26, -50));
        triangle.lineTo(c + QPointF(-26, 50));
        triangle.lineTo(c + QPointF(58, 0));
        triangle.closeSubpath();
        painter.drawPath(triangle.translated(-6, 0));
    } else {
        painter.drawRoundedRect(QRectF(c - QPointF(42, 42), QSizeF(84, 84)), 8, 8);
    }
    return image;
}
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    // For PNG, Qt reads "quality" as the inverse of compression effort.
    struct Output { QString name; bool start; bool transparent; const char *format; int quality; };
    const Output outputs[] = {
        {QStringLiteral("image/start.jpg"), true, false, "JPG", 95},
        {QStringLiteral("image/stop.jpg"), false, false, "JPG", 95},
        {QStringLiteral("quorvane.png"), true, true, "PNG", 0},
    };
    for (const Output &output : outputs) {
        const QString path = dir + '/' + output.name;
        if (!makeIcon(output.start, output.transparent).save(path, output.format, output.quality)) {
            QTextStream(stderr) << "cannot write " << path << '\n';
            return 1;
        }
    }
    return 0;
}
