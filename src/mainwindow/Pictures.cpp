// Drawing of the built-in button pictures, icons and the program icon.
#include "mainwindow/Pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace qarn {

namespace {

const QColor kInk(40, 40, 40);
const QColor kFace(200, 204, 208);
const QColor kAccent(32, 96, 176);

QPixmap canvas(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

// The 23 x 23 buttons share a rounded face so a theme-less player still looks whole.
void drawButtonFace(QPainter& p) {
    p.setPen(QPen(QColor(120, 124, 128), 1));
    QLinearGradient g(0, 0, 0, 23);
    g.setColorAt(0, QColor(244, 246, 248));
    g.setColorAt(1, kFace);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 22, 22), 4, 4);
}

QPixmap button(Picture which) {
    QPixmap pm = canvas(23);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawButtonFace(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    switch (which) {
    case Picture::Play: {
        QPainterPath tri;
        tri.moveTo(8, 6);
        tri.lineTo(17, 11.5);
        tri.lineTo(8, 17);
        tri.closeSubpath();
        p.drawPath(tri);
        break;
    }
    case Picture::Pause:
        p.drawRect(QRectF(7, 6, 3.5, 11));
        p.drawRect(QRectF(12.5, 6, 3.5, 11));
        break;
    case Picture::Stop:
        p.drawRect(QRectF(7, 7, 9, 9));
        break;
    case Picture::CdEject: {
        // A disc with an eject mark.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kInk, 1.4));
        p.drawEllipse(QPointF(11.5, 10), 6, 6);
        p.drawEllipse(QPointF(11.5, 10), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRect(QRectF(5.5, 17.5, 12, 2));
        break;
    }
    case Picture::Eject: {
        // An open-folder arrow: choose a file.
        QPainterPath tri;
        tri.moveTo(11.5, 5);
        tri.lineTo(17.5, 12);
        tri.lineTo(5.5, 12);
        tri.closeSubpath();
        p.drawPath(tri);
        p.drawRect(QRectF(5.5, 14, 12, 3));
        break;
    }
    default:
        break;
    }
    return pm;
}

QPixmap icon13(Picture which) {
    QPixmap pm = canvas(13);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Qt::NoBrush);
    switch (which) {
    case Picture::Image1: {
        // Half-filled circle: transparency.
        p.drawEllipse(QRectF(1.5, 1.5, 10, 10));
        QPainterPath half;
        half.moveTo(6.5, 1.5);
        half.arcTo(QRectF(1.5, 1.5, 10, 10), 90, 180);
        half.closeSubpath();
        p.fillPath(half, kInk);
        break;
    }
    case Picture::RepeatT:
    case Picture::RepeatF: {
        const QColor c = which == Picture::RepeatT ? kAccent : QColor(150, 150, 150);
        p.setPen(QPen(c, 1.4));
        p.drawArc(QRectF(2, 2.5, 9, 8), 30 * 16, 300 * 16);
        QPainterPath head;
        head.moveTo(9, 1);
        head.lineTo(12.5, 4);
        head.lineTo(8.5, 5.5);
        head.closeSubpath();
        p.fillPath(head, c);
        if (which == Picture::RepeatF) {
            p.setPen(QPen(QColor(180, 30, 30), 1.4));
            p.drawLine(QPointF(2, 11), QPointF(11, 2));
        }
        break;
    }
    case Picture::VolumeT: {
        QPainterPath spk;
        spk.moveTo(1.5, 4.5);
        spk.lineTo(4, 4.5);
        spk.lineTo(7, 1.5);
        spk.lineTo(7, 11.5);
        spk.lineTo(4, 8.5);
        spk.lineTo(1.5, 8.5);
        spk.closeSubpath();
        p.fillPath(spk, kInk);
        p.drawArc(QRectF(6, 3.5, 5, 6), -60 * 16, 120 * 16);
        break;
    }
    case Picture::Minimity:
        p.setPen(QPen(kInk, 2));
        p.drawLine(QPointF(2.5, 10), QPointF(10.5, 10));
        break;
    default:
        break;
    }
    return pm;
}

QPixmap exitGlyph() {
    QPixmap pm = canvas(16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(170, 30, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
    return pm;
}

} // namespace

QPixmap builtinPicture(Picture which) {
    switch (which) {
    case Picture::Play:
    case Picture::Pause:
    case Picture::Stop:
    case Picture::CdEject:
    case Picture::Eject:
        return button(which);
    case Picture::Exity:
        return exitGlyph();
    default:
        return icon13(which);
    }
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pm = canvas(size);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = size;
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92));
        p.setBrush(Qt::white);
        QPainterPath tri;
        tri.moveTo(s * 0.38, s * 0.27);
        tri.lineTo(s * 0.75, s * 0.5);
        tri.lineTo(s * 0.38, s * 0.73);
        tri.closeSubpath();
        p.drawPath(tri);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace qarn
