// Draws the program's icon: a light-blue envelope with a blue outline and
// flap, sealed with a pink heart where the flap lines meet, on a transparent
// background. The drawing is made for 32 x 32 pixels; other sizes scale it.
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <cstdlib>

namespace {

const QColor envelopeFill(212, 227, 255);
const QColor envelopeLine(107, 143, 255);
const QColor heartFill(255, 142, 212);

// A heart whose upper notch sits at notch.
QPainterPath heart(QPointF notch)
{
    const qreal halfWidth = 6.2;
    const qreal top = notch.y() - 3.2;
    const qreal height = 10.8;
    const qreal x = notch.x();
    QPainterPath path(notch);
    path.cubicTo(x, top, x - halfWidth, top, x - halfWidth, notch.y());
    path.cubicTo(x - halfWidth, top + height * 0.6, x, top + height * 0.78, x, top + height);
    path.cubicTo(x, top + height * 0.78, x + halfWidth, top + height * 0.6, x + halfWidth, notch.y());
    path.cubicTo(x + halfWidth, top, x, top, x, notch.y());
    return path;
}

constexpr int designSize = 32;

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(qreal(size) / designSize, qreal(size) / designSize);

    const QRectF body(1.5, 6.5, 29, 19);
    const QPointF flapTip(16, 15.5);
    painter.setPen(QPen(envelopeLine, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(envelopeFill);
    painter.drawRoundedRect(body, 1.5, 1.5);
    painter.setPen(QPen(envelopeLine, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(
        QPolygonF({ body.topLeft() + QPointF(0.5, 0.5), flapTip, body.topRight() + QPointF(-0.5, 0.5) }));

    painter.setPen(Qt::NoPen);
    painter.setBrush(heartFill);
    painter.drawPath(heart(flapTip));
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    const int size = argc == 3 ? std::atoi(argv[2]) : designSize;
    if (argc < 2 || argc > 3 || size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [SIZE (16-1024, default 32)]\n", argv[0]);
        return 2;
    }
    if (!drawIcon(size).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
