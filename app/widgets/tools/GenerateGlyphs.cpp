// Draws the widget library's pictures into a folder as PNG files: the record
// navigator's glyphs (an enabled and a disabled 16 by 16 half side by side),
// the two sort glyphs and the three pop-up pictures. Run by hand when a
// picture changes; the files it writes are kept with the sources.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>

namespace {

// Colours of a drawing; a disabled glyph draws everything in one grey.
struct Ink
{
    QColor main;
    QColor accent;
    bool flat = false;
};

using Shape = std::function<void(QPainter&, const Ink&)>;

void fill(QPainter& p, const QPainterPath& path, const QColor& color)
{
    p.fillPath(path, color);
}

void stroke(QPainter& p, const QPainterPath& path, const QColor& color, double width)
{
    p.strokePath(path, QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

QPainterPath triangle(QPointF a, QPointF b, QPointF c)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

QPainterPath line(QPointF a, QPointF b)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    return path;
}

const Shape first = [](QPainter& p, const Ink& ink) {
    QPainterPath path;
    path.addRect(QRectF(3, 3.5, 2, 9));
    path.addPath(triangle({ 12.5, 3.5 }, { 12.5, 12.5 }, { 6, 8 }));
    fill(p, path, ink.main);
};
const Shape prior = [](QPainter& p, const Ink& ink) {
    fill(p, triangle({ 11, 3.5 }, { 11, 12.5 }, { 4.5, 8 }), ink.main);
};
const Shape next = [](QPainter& p, const Ink& ink) {
    fill(p, triangle({ 5, 3.5 }, { 5, 12.5 }, { 11.5, 8 }), ink.main);
};
const Shape last = [](QPainter& p, const Ink& ink) {
    QPainterPath path;
    path.addRect(QRectF(11, 3.5, 2, 9));
    path.addPath(triangle({ 3.5, 3.5 }, { 3.5, 12.5 }, { 10, 8 }));
    fill(p, path, ink.main);
};
const Shape insert = [](QPainter& p, const Ink& ink) {
    QPainterPath path = line({ 8, 3.5 }, { 8, 12.5 });
    path.addPath(line({ 3.5, 8 }, { 12.5, 8 }));
    stroke(p, path, ink.accent, 2.4);
};
const Shape minus = [](QPainter& p, const Ink& ink) {
    stroke(p, line({ 3.5, 8 }, { 12.5, 8 }), ink.accent, 2.4);
};
const Shape edit = [](QPainter& p, const Ink& ink) {
    // A pencil from the lower left to the upper right.
    QPainterPath body;
    body.moveTo(4.2, 9.8);
    body.lineTo(10.2, 3.8);
    body.lineTo(12.2, 5.8);
    body.lineTo(6.2, 11.8);
    body.closeSubpath();
    fill(p, body, ink.flat ? ink.main : QColor(0xe0, 0xa5, 0x26));
    stroke(p, body, ink.main, 0.8);
    fill(p, triangle({ 4.2, 9.8 }, { 6.2, 11.8 }, { 2.8, 13.2 }), ink.main);
    QPainterPath end;
    end.moveTo(10.2, 3.8);
    end.lineTo(11.2, 2.8);
    end.lineTo(13.2, 4.8);
    end.lineTo(12.2, 5.8);
    end.closeSubpath();
    fill(p, end, ink.flat ? ink.main : QColor(0xd9, 0x6b, 0x6b));
};
const Shape post = [](QPainter& p, const Ink& ink) {
    QPainterPath path;
    path.moveTo(3.2, 8.6);
    path.lineTo(6.6, 12);
    path.lineTo(12.8, 4.4);
    stroke(p, path, ink.accent, 2.3);
};
const Shape cancel = [](QPainter& p, const Ink& ink) {
    QPainterPath path = line({ 4.2, 4.2 }, { 11.8, 11.8 });
    path.addPath(line({ 11.8, 4.2 }, { 4.2, 11.8 }));
    stroke(p, path, ink.accent, 2.3);
};
const Shape refresh = [](QPainter& p, const Ink& ink) {
    QPainterPath arc;
    arc.arcMoveTo(QRectF(3.5, 3.5, 9, 9), 60);
    arc.arcTo(QRectF(3.5, 3.5, 9, 9), 60, 270);
    stroke(p, arc, ink.main, 1.8);
    // The arrow head where the arc ends, pointing on round.
    fill(p, triangle({ 9.2, 1.6 }, { 13.2, 4.6 }, { 8.6, 6.4 }), ink.main);
};

// The disabled look of the old toolkits: a grey shape over its white shadow.
void drawGlyph(QPainter& p, const Shape& shape, const Ink& ink, bool enabled)
{
    if (enabled) {
        shape(p, ink);
        return;
    }
    const Ink shadow { Qt::white, Qt::white, true };
    const Ink grey { QColor(0x9a, 0x9a, 0x9a), QColor(0x9a, 0x9a, 0x9a), true };
    p.save();
    p.translate(1, 1);
    shape(p, shadow);
    p.restore();
    shape(p, grey);
}

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

bool save(const QImage& image, const QDir& folder, const QString& name)
{
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "Cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool navigatorGlyph(const QDir& folder, const QString& name, const Shape& shape, const Ink& ink)
{
    QImage image = canvas(32, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawGlyph(p, shape, ink, true);
    p.translate(16, 0);
    drawGlyph(p, shape, ink, false);
    p.end();
    return save(image, folder, QStringLiteral("DBN_") + name + QStringLiteral("2"));
}

bool picture(const QDir& folder, const QString& name, const std::function<void(QPainter&)>& draw)
{
    QImage image = canvas(16, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    return save(image, folder, name);
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const QColor navy(0x1f, 0x4e, 0x8c);
    const Ink arrows { navy, navy };
    bool ok = true;
    ok &= navigatorGlyph(folder, QStringLiteral("FIRST"), first, arrows);
    ok &= navigatorGlyph(folder, QStringLiteral("PRIOR"), prior, arrows);
    ok &= navigatorGlyph(folder, QStringLiteral("NEXT"), next, arrows);
    ok &= navigatorGlyph(folder, QStringLiteral("LAST"), last, arrows);
    ok &= navigatorGlyph(folder, QStringLiteral("INSERT"), insert, { navy, QColor(0x2e, 0x7d, 0x32) });
    ok &= navigatorGlyph(folder, QStringLiteral("DELETE"), minus, { navy, QColor(0xc6, 0x28, 0x28) });
    ok &= navigatorGlyph(folder, QStringLiteral("EDIT"), edit, { QColor(0x4a, 0x3a, 0x20), navy });
    ok &= navigatorGlyph(folder, QStringLiteral("POST"), post, { navy, QColor(0x2e, 0x7d, 0x32) });
    ok &= navigatorGlyph(folder, QStringLiteral("CANCEL"), cancel, { navy, QColor(0xc6, 0x28, 0x28) });
    ok &= navigatorGlyph(folder, QStringLiteral("REFRESH"), refresh, arrows);

    const QColor sortInk(0x50, 0x50, 0x50);
    // Ascending points down, descending up, as the old grids drew them.
    ok &= picture(folder, QStringLiteral("SORT_ASC"), [&](QPainter& p) {
        fill(p, triangle({ 4, 6 }, { 12, 6 }, { 8, 11 }), sortInk);
    });
    ok &= picture(folder, QStringLiteral("SORT_DESC"), [&](QPainter& p) {
        fill(p, triangle({ 4, 10.5 }, { 12, 10.5 }, { 8, 5.5 }), sortInk);
    });

    ok &= picture(folder, QStringLiteral("POPUP_EMAIL"), [](QPainter& p) {
        const QRectF envelope(1.5, 3.5, 13, 9);
        p.setPen(QPen(QColor(0x4a, 0x5f, 0x8c), 1));
        p.setBrush(QColor(0xfa, 0xf6, 0xe8));
        p.drawRoundedRect(envelope, 1, 1);
        QPainterPath flap;
        flap.moveTo(1.8, 4);
        flap.lineTo(8, 9);
        flap.lineTo(14.2, 4);
        stroke(p, flap, QColor(0x4a, 0x5f, 0x8c), 1);
    });
    ok &= picture(folder, QStringLiteral("POPUP_BROWSER"), [](QPainter& p) {
        const QRectF globe(1.5, 1.5, 13, 13);
        p.setPen(QPen(QColor(0x1f, 0x5f, 0x99), 1));
        p.setBrush(QColor(0x3d, 0x8f, 0xd6));
        p.drawEllipse(globe);
        const QColor grid(0xe8, 0xf2, 0xfb);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(grid, 0.9));
        p.drawEllipse(QRectF(5, 1.8, 6, 12.4));
        p.drawLine(QPointF(8, 1.8), QPointF(8, 14.2));
        p.drawLine(QPointF(2, 8), QPointF(14, 8));
        p.drawLine(QPointF(3, 4.8), QPointF(13, 4.8));
        p.drawLine(QPointF(3, 11.2), QPointF(13, 11.2));
    });
    ok &= picture(folder, QStringLiteral("POPUP_FAX"), [](QPainter& p) {
        // A sheet coming out of the machine.
        p.setPen(QPen(QColor(0x70, 0x70, 0x70), 0.9));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 7));
        p.setPen(QPen(QColor(0x9a, 0x9a, 0x9a), 0.8));
        for (const double y : { 3.5, 5.0, 6.5 })
            p.drawLine(QPointF(6, y), QPointF(10, y));
        p.setPen(QPen(QColor(0x3c, 0x3c, 0x3c), 1));
        p.setBrush(QColor(0x6b, 0x72, 0x7a));
        p.drawRoundedRect(QRectF(1.5, 7.5, 13, 7), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2b, 0x2b, 0x2b));
        p.drawRect(QRectF(4, 8.5, 8, 1));
        p.setBrush(QColor(0x8f, 0xd1, 0x7a));
        p.drawRect(QRectF(10.5, 11, 2, 1.6));
        p.setBrush(QColor(0xd9, 0xd9, 0xd9));
        for (const double x : { 3.5, 5.5, 7.5 })
            p.drawRect(QRectF(x, 11, 1.4, 1.6));
    });
    return ok ? 0 : 1;
}
