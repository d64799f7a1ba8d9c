// Draws Kestro's toolbar icons, mode cursors and application icon with
// QPainter and writes them into the directory given as the first argument.
// Every glyph is drawn on a 32 x 32 grid and scaled to the output size.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <cstdio>
#include <functional>

namespace {

using Glyph = std::function<void(QPainter &)>;

const QColor ink(40, 44, 52);
const QColor stateFill(255, 236, 170);
const QColor processFill(150, 200, 240);
const QColor memoryFill(190, 225, 180);
const QColor accent(38, 120, 200);
const QColor green(40, 160, 80);
const QColor red(210, 50, 50);

QPen pen(const QColor &c, qreal w = 2.0)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Arrow head at tip pointing along (tip - from).
void arrowHead(QPainter &p, QPointF from, QPointF tip, qreal size, const QColor &c)
{
    const QLineF back(tip, from);
    QLineF a = back;
    a.setLength(size);
    QLineF b = a;
    a.setAngle(back.angle() + 28);
    b.setAngle(back.angle() - 28);
    QPolygonF head;
    head << tip << a.p2() << b.p2();
    p.setPen(pen(c, 1.0));
    p.setBrush(c);
    p.drawPolygon(head);
}

void arrow(QPainter &p, QPointF from, QPointF to, const QColor &c, qreal w = 2.2, qreal head = 7)
{
    QLineF line(from, to);
    QLineF shaft = line;
    shaft.setLength(line.length() - head * 0.7);
    p.setPen(pen(c, w));
    p.drawLine(shaft);
    arrowHead(p, from, to, head, c);
}

void stateBox(QPainter &p, const QRectF &r)
{
    p.setPen(pen(ink, 2));
    p.setBrush(stateFill);
    p.drawRoundedRect(r, 4, 4);
    const qreal y = r.top() + r.height() * 0.38;
    p.drawLine(QPointF(r.left() + 1, y), QPointF(r.right() - 1, y));
}

void processBox(QPainter &p, const QRectF &r)
{
    p.setPen(pen(ink, 2));
    p.setBrush(processFill);
    p.drawRoundedRect(r, 7, 7);
}

void cylinder(QPainter &p, const QRectF &r)
{
    const qreal eh = r.height() * 0.28;
    QPainterPath body;
    body.moveTo(r.left(), r.top() + eh / 2);
    body.lineTo(r.left(), r.bottom() - eh / 2);
    body.arcTo(QRectF(r.left(), r.bottom() - eh, r.width(), eh), 180, 180);
    body.lineTo(r.right(), r.top() + eh / 2);
    body.arcTo(QRectF(r.left(), r.top(), r.width(), eh), 0, -180);
    p.setPen(pen(ink, 2));
    p.setBrush(memoryFill);
    p.drawPath(body);
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), eh));
}

void page(QPainter &p, const QRectF &r)
{
    const qreal fold = 7;
    QPolygonF sheet;
    sheet << r.topLeft() << QPointF(r.right() - fold, r.top()) << QPointF(r.right(), r.top() + fold)
          << r.bottomRight() << r.bottomLeft();
    p.setPen(pen(ink, 1.8));
    p.setBrush(Qt::white);
    p.drawPolygon(sheet);
    p.drawPolyline(QPolygonF() << QPointF(r.right() - fold, r.top())
                               << QPointF(r.right() - fold, r.top() + fold)
                               << QPointF(r.right(), r.top() + fold));
}

void plus(QPainter &p, QPointF c, qreal arm, const QColor &col, qreal w = 3)
{
    p.setPen(pen(col, w));
    p.drawLine(QPointF(c.x() - arm, c.y()), QPointF(c.x() + arm, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - arm), QPointF(c.x(), c.y() + arm));
}

void magnifier(QPainter &p, bool in)
{
    p.setPen(pen(ink, 3));
    p.drawLine(QPointF(19.5, 19.5), QPointF(28, 28));
    p.setPen(pen(ink, 2.2));
    p.setBrush(QColor(235, 245, 255));
    p.drawEllipse(QPointF(13, 13), 9, 9);
    p.setPen(pen(accent, 2.6));
    p.drawLine(QPointF(8.5, 13), QPointF(17.5, 13));
    if (in)
        p.drawLine(QPointF(13, 8.5), QPointF(13, 17.5));
}

void stackedSquares(QPainter &p, bool frontRaised)
{
    const QRectF back(4, 4, 16, 16);
    const QRectF front(12, 12, 16, 16);
    const QColor hi = accent.lighter(140);
    const QColor lo(220, 220, 220);
    p.setPen(pen(ink, 1.8));
    if (frontRaised) {
        p.setBrush(lo);
        p.drawRect(back);
        p.setBrush(hi);
        p.drawRect(front);
    } else {
        p.setBrush(hi);
        p.drawRect(front);
        p.setBrush(lo);
        p.drawRect(back);
    }
}

void curvedArrow(QPainter &p, bool left)
{
    QPainterPath path;
    if (left) {
        path.moveTo(26, 24);
        path.cubicTo(26, 10, 16, 8, 9, 12);
        p.setPen(pen(accent, 3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        arrowHead(p, QPointF(14, 9), QPointF(5, 15), 9, accent);
    } else {
        path.moveTo(6, 24);
        path.cubicTo(6, 10, 16, 8, 23, 12);
        p.setPen(pen(accent, 3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        arrowHead(p, QPointF(18, 9), QPointF(27, 15), 9, accent);
    }
}

void selectArrow(QPainter &p, qreal s, QPointF at)
{
    QPolygonF a;
    a << QPointF(0, 0) << QPointF(0, 20) << QPointF(5, 15.5) << QPointF(8.5, 23)
      << QPointF(11.5, 21.7) << QPointF(8, 14.5) << QPointF(14.5, 14.5);
    for (QPointF &pt : a)
        pt = at + pt * s;
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::black);
    p.drawPolygon(a);
}

// ---- toolbar and menu icons ----------------------------------------------

void drawNew(QPainter &p)
{
    page(p, QRectF(6, 3, 18, 25));
    plus(p, QPointF(23, 23), 5, green, 3.4);
}

void drawOpen(QPainter &p)
{
    const QColor folder(235, 180, 60);
    QPolygonF backShape;
    backShape << QPointF(3, 8) << QPointF(11, 8) << QPointF(14, 11) << QPointF(27, 11)
              << QPointF(27, 26) << QPointF(3, 26);
    p.setPen(pen(ink, 1.8));
    p.setBrush(folder.darker(115));
    p.drawPolygon(backShape);
    QPolygonF front;
    front << QPointF(3, 26) << QPointF(8, 15) << QPointF(30, 15) << QPointF(26, 26);
    p.setBrush(folder);
    p.drawPolygon(front);
}

void drawSave(QPainter &p)
{
    QPolygonF body;
    body << QPointF(4, 4) << QPointF(24, 4) << QPointF(28, 8) << QPointF(28, 28) << QPointF(4, 28);
    p.setPen(pen(ink, 1.8));
    p.setBrush(accent);
    p.drawPolygon(body);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 4, 13, 8));
    p.drawRect(QRectF(8, 17, 16, 11));
    p.setPen(pen(accent.darker(130), 1.6));
    p.drawLine(QPointF(18, 6), QPointF(18, 10));
}

void drawSelect(QPainter &p) { selectArrow(p, 1.1, QPointF(9, 4)); }

void drawState(QPainter &p) { stateBox(p, QRectF(3, 7, 26, 18)); }

void drawTransition(QPainter &p)
{
    p.setPen(pen(ink, 1.6));
    p.setBrush(stateFill);
    p.drawRoundedRect(QRectF(2, 2, 10, 8), 2, 2);
    p.drawRoundedRect(QRectF(20, 22, 10, 8), 2, 2);
    arrow(p, QPointF(9, 11), QPointF(21, 22), ink, 2.4, 8);
}

void drawProcess(QPainter &p) { processBox(p, QRectF(3, 6, 26, 20)); }

void drawText(QPainter &p)
{
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(ink);
    p.drawText(QRectF(1, 1, 18, 26), Qt::AlignCenter, QStringLiteral("T"));
    p.setPen(pen(ink.lighter(170), 2));
    for (int y : {9, 15, 21, 27})
        p.drawLine(QPointF(20, y), QPointF(30, y));
}

void drawMemory(QPainter &p) { cylinder(p, QRectF(7, 3, 18, 26)); }

void drawLink(QPainter &p)
{
    p.setPen(pen(ink, 1.6));
    p.setBrush(processFill);
    p.drawRoundedRect(QRectF(1, 10, 9, 12), 3, 3);
    p.drawRoundedRect(QRectF(22, 10, 9, 12), 3, 3);
    p.setPen(pen(ink, 2));
    p.drawLine(QPointF(10, 16), QPointF(13, 16));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 16), 3, 3);
    arrow(p, QPointF(19, 16), QPointF(22, 16), ink, 2, 5);
}

void drawDataflow(QPainter &p)
{
    p.setPen(pen(ink, 1.6));
    p.setBrush(processFill);
    p.drawRoundedRect(QRectF(1, 11, 10, 11), 3, 3);
    cylinder(p, QRectF(22, 9, 9, 15));
    QPen dashed = pen(accent, 2.2);
    dashed.setDashPattern({1.5, 1.5});
    p.setPen(dashed);
    p.drawLine(QPointF(11, 16.5), QPointF(17, 16.5));
    arrowHead(p, QPointF(11, 16.5), QPointF(22, 16.5), 6, accent);
}

void drawSelfTransition(QPainter &p)
{
    stateBox(p, QRectF(2, 13, 20, 15));
    QPainterPath loop;
    loop.moveTo(14, 13);
    loop.cubicTo(14, 2, 30, 2, 30, 14);
    loop.cubicTo(30, 19, 29, 21, 27, 21);
    p.setPen(pen(ink, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(loop);
    arrowHead(p, QPointF(29, 21), QPointF(22.5, 21), 7, ink);
}

void drawBringToFront(QPainter &p)
{
    stackedSquares(p, true);
    arrow(p, QPointF(8, 30), QPointF(8, 22), green, 2.4, 6);
}

void drawSendToBack(QPainter &p)
{
    stackedSquares(p, false);
    arrow(p, QPointF(24, 2), QPointF(24, 10), red, 2.4, 6);
}

void drawDelete(QPainter &p)
{
    p.setPen(pen(red, 5));
    p.drawLine(QPointF(7, 7), QPointF(25, 25));
    p.drawLine(QPointF(25, 7), QPointF(7, 25));
}

void drawUndo(QPainter &p) { curvedArrow(p, true); }
void drawRedo(QPainter &p) { curvedArrow(p, false); }
void drawZoomIn(QPainter &p) { magnifier(p, true); }
void drawZoomOut(QPainter &p) { magnifier(p, false); }

void drawFitToWindow(QPainter &p)
{
    p.setPen(pen(ink, 1.6));
    p.setBrush(QColor(235, 245, 255));
    p.drawRect(QRectF(10, 10, 12, 12));
    p.setPen(pen(accent, 2.6));
    const QPointF corners[4][3] = {{{3, 9}, {3, 3}, {9, 3}},
                                   {{23, 3}, {29, 3}, {29, 9}},
                                   {{29, 23}, {29, 29}, {23, 29}},
                                   {{9, 29}, {3, 29}, {3, 23}}};
    for (const auto &c : corners)
        p.drawPolyline(c, 3);
}

void drawProperties(QPainter &p)
{
    p.setPen(pen(ink, 1.8));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(4, 3, 24, 26), 2, 2);
    for (int i = 0; i < 3; ++i) {
        const qreal y = 10 + i * 7;
        p.setPen(pen(ink.lighter(170), 2));
        p.drawLine(QPointF(8, y), QPointF(24, y));
        p.setPen(pen(ink, 1.4));
        p.setBrush(accent);
        p.drawEllipse(QPointF(10 + i * 5, y), 2.4, 2.4);
    }
}

void drawAppIcon(QPainter &p)
{
    QLinearGradient bg(0, 0, 0, 32);
    bg.setColorAt(0, QColor(52, 120, 190));
    bg.setColorAt(1, QColor(30, 80, 140));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    p.setPen(pen(ink, 1.4));
    p.setBrush(stateFill);
    p.drawRoundedRect(QRectF(4, 5, 12, 9), 2.5, 2.5);
    p.drawRoundedRect(QRectF(16, 18, 12, 9), 2.5, 2.5);
    arrow(p, QPointF(12, 14), QPointF(18.5, 18), Qt::white, 2, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 70, 60));
    p.drawEllipse(QPointF(6, 24), 3, 3);
}

// ---- cursors ---------------------------------------------------------------

// A cursor is a cross hair through the centre (the hot spot) with the
// tool's glyph, shrunk, in the lower right quarter.
QImage cursorImage(const Glyph &glyph)
{
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(16, 16);
    for (const auto &[colour, width] : {std::pair<QColor, qreal>{Qt::white, 3.2}, {Qt::black, 1.2}}) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(c.x() - 8, c.y()), QPointF(c.x() - 2, c.y()));
        p.drawLine(QPointF(c.x() + 2, c.y()), QPointF(c.x() + 8, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - 8), QPointF(c.x(), c.y() - 2));
        p.drawLine(QPointF(c.x(), c.y() + 2), QPointF(c.x(), c.y() + 8));
    }
    p.translate(18, 18);
    p.scale(14.0 / 32.0, 14.0 / 32.0);
    glyph(p);
    return img;
}

QImage iconImage(const Glyph &glyph, int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0);
    glyph(p);
    return img;
}

// Windows icon container holding PNG images (one entry per size).
QByteArray icoFile(const QList<QImage> &images)
{
    QByteArray out;
    auto put16 = [&out](quint16 v) { out.append(char(v & 0xff)).append(char(v >> 8)); };
    auto put32 = [&](quint32 v) { put16(quint16(v & 0xffff)); put16(quint16(v >> 16)); };
    QList<QByteArray> pngs;
    for (const QImage &img : images) {
        QByteArray png;
        QBuffer buf(&png);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "PNG");
        pngs << png;
    }
    put16(0);
    put16(1);
    put16(quint16(images.size()));
    quint32 offset = 6 + 16 * images.size();
    for (int i = 0; i < images.size(); ++i) {
        const int s = images.at(i).width();
        out.append(char(s >= 256 ? 0 : s)).append(char(s >= 256 ? 0 : s));
        out.append(char(0)).append(char(0));
        put16(1);
        put16(32);
        put32(quint32(pngs.at(i).size()));
        put32(offset);
        offset += quint32(pngs.at(i).size());
    }
    for (const QByteArray &png : pngs)
        out.append(png);
    return out;
}

bool savePng(const QImage &img, const QDir &dir, const QString &name)
{
    if (!img.save(dir.filePath(name), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(dir.filePath(name)));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-icons OUTPUT_DIRECTORY\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        return 1;

    const int iconSize = 64;
    const QList<QPair<QString, Glyph>> icons = {
        {"New.png", drawNew}, {"Open.png", drawOpen}, {"Save.png", drawSave},
        {"Cursor.png", drawSelect}, {"undo.png", drawUndo}, {"redo.png", drawRedo},
        {"Process_Rect.png", drawProcess}, {"link.png", drawLink}, {"state.png", drawState},
        {"Text.png", drawText}, {"transition.png", drawTransition}, {"Memory.png", drawMemory},
        {"Dataflow.png", drawDataflow}, {"Self_transition.png", drawSelfTransition},
        {"bringtofront.png", drawBringToFront}, {"sendtoback.png", drawSendToBack},
        {"delete.png", drawDelete}, {"zoom_in.png", drawZoomIn}, {"zoom_out.png", drawZoomOut},
        {"fit_to_window.png", drawFitToWindow}, {"Properties.png", drawProperties},
    };
    const QList<QPair<QString, Glyph>> cursors = {
        {"stateCursor.png", drawState}, {"transitionCursor.png", drawTransition},
        {"TextCursor.png", drawText}, {"Process_Rect_Cursor.png", drawProcess},
        {"link_cursor.png", drawLink}, {"Memory_cursor.png", drawMemory},
        {"Dataflow_cursor.png", drawDataflow},
    };

    bool ok = true;
    for (const auto &icon : icons)
        ok = savePng(iconImage(icon.second, iconSize), dir, icon.first) && ok;
    for (const auto &cursor : cursors)
        ok = savePng(cursorImage(cursor.second), dir, cursor.first) && ok;

    QList<QImage> appSizes;
    for (int s : {16, 32, 48, 256})
        appSizes << iconImage(drawAppIcon, s);
    QFile ico(dir.filePath(QStringLiteral("app_icon.ico")));
    if (!ico.open(QIODevice::WriteOnly) || ico.write(icoFile(appSizes)) < 0)
        ok = false;
    return ok ? 0 : 1;
}
