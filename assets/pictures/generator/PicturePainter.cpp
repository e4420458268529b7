#include "PicturePainter.h"

#include <QFont>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

constexpr int CardW = 53;
constexpr int CardH = 83;

enum TSuit
{
    suDiamonds,
    suHearts,
    suSpades,
    suClubs
};

const QColor CardRed(208, 16, 32);
const QColor CardBlack(20, 20, 20);
const QColor Outline(128, 128, 128);
const QColor Gold(226, 172, 38);
const QColor GoldDark(150, 104, 10);
const QColor Skin(247, 213, 176);
const QColor SkinShade(214, 160, 120);

// Strokes `path` by filling its outline. Qt draws pens of one device pixel or less with a
// faster line drawer that gives slanted lines less weight than their width, so the same
// thin line would look fainter at 1x than at 2x; filled outlines weigh the same at every
// device pixel ratio.
void Stroke(QPainter& p, const QPainterPath& path, const QPen& pen)
{
    QPainterPathStroker stroker(pen);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(pen.brush());
    p.drawPath(stroker.createStroke(path));
    p.restore();
}

QPainterPath Line(QPointF from, QPointF to)
{
    QPainterPath path(from);
    path.lineTo(to);
    return path;
}

QPainterPath Ellipse(QPointF centre, double rx, double ry)
{
    QPainterPath path;
    path.addEllipse(centre, rx, ry);
    return path;
}

bool IsRed(int suit)
{
    return suit == suDiamonds || suit == suHearts;
}

QColor SuitColor(int suit)
{
    return IsRed(suit) ? CardRed : CardBlack;
}

// ---------------------------------------------------------------------------------------
// Suit symbols: paths in a unit box centred on (0, 0), about 1 wide and 1 high.

QPainterPath DiamondPath()
{
    QPainterPath p;
    p.moveTo(0, -0.5);
    p.quadTo(0.16, -0.2, 0.4, 0);
    p.quadTo(0.16, 0.2, 0, 0.5);
    p.quadTo(-0.16, 0.2, -0.4, 0);
    p.quadTo(-0.16, -0.2, 0, -0.5);
    p.closeSubpath();
    return p;
}

QPainterPath HeartPath()
{
    QPainterPath p;
    p.moveTo(0, 0.48);
    p.cubicTo(-0.2, 0.3, -0.5, 0.1, -0.5, -0.16);
    p.cubicTo(-0.5, -0.38, -0.35, -0.5, -0.23, -0.5);
    p.cubicTo(-0.1, -0.5, -0.03, -0.42, 0, -0.3);
    p.cubicTo(0.03, -0.42, 0.1, -0.5, 0.23, -0.5);
    p.cubicTo(0.35, -0.5, 0.5, -0.38, 0.5, -0.16);
    p.cubicTo(0.5, 0.1, 0.2, 0.3, 0, 0.48);
    p.closeSubpath();
    return p;
}

QPainterPath SpadePath()
{
    QPainterPath p;
    p.moveTo(0, -0.5);
    p.cubicTo(-0.18, -0.27, -0.5, -0.1, -0.5, 0.13);
    p.cubicTo(-0.5, 0.3, -0.37, 0.39, -0.25, 0.39);
    p.cubicTo(-0.14, 0.39, -0.06, 0.34, -0.03, 0.27);
    p.quadTo(-0.05, 0.43, -0.2, 0.5);
    p.lineTo(0.2, 0.5);
    p.quadTo(0.05, 0.43, 0.03, 0.27);
    p.cubicTo(0.06, 0.34, 0.14, 0.39, 0.25, 0.39);
    p.cubicTo(0.37, 0.39, 0.5, 0.3, 0.5, 0.13);
    p.cubicTo(0.5, -0.1, 0.18, -0.27, 0, -0.5);
    p.closeSubpath();
    return p;
}

QPainterPath ClubPath()
{
    // Three leaves, a knot joining them and a stem, all wound the same way and filled by
    // winding so that overlaps never cancel out. No path operation: that would flatten the
    // leaves into polygons in this unit box, and they would show their sides when zoomed.
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    const double r = 0.23;
    p.addEllipse(QPointF(0, -0.27), r, r);
    p.addEllipse(QPointF(-0.27, 0.1), r, r);
    p.addEllipse(QPointF(0.27, 0.1), r, r);
    p.addEllipse(QPointF(0, 0.02), 0.11, 0.11);
    QPainterPath stem;
    stem.moveTo(0.08, 0.0);
    stem.quadTo(0.07, 0.42, 0.22, 0.5);
    stem.lineTo(-0.22, 0.5);
    stem.quadTo(-0.07, 0.42, -0.08, 0.0);
    stem.closeSubpath();
    p.addPath(stem);
    return p;
}

// Built once, in the unit box; the painter scales the curves, so they are flattened only
// at the size they are drawn.
const QPainterPath& SuitPath(int suit)
{
    static const QPainterPath paths[] = {DiamondPath(), HeartPath(), SpadePath(), ClubPath()};
    return paths[std::clamp(suit, int(suDiamonds), int(suClubs))];
}

// A suit symbol `size` pixels high centred on `centre`; upside down when `flipped`.
void DrawSuit(QPainter& p, int suit, QPointF centre, double size, bool flipped = false)
{
    p.save();
    p.translate(centre);
    if (flipped)
        p.rotate(180);
    p.scale(size, size);
    p.setPen(Qt::NoPen);
    p.setBrush(SuitColor(suit));
    p.drawPath(SuitPath(suit));
    p.restore();
}

// ---------------------------------------------------------------------------------------
// Card faces

QString RankText(int value)
{
    static const char* const texts[] = {"2", "3",  "4", "5", "6", "7", "8",
                                        "9", "10", "J", "Q", "K", "A"};
    return QString::fromLatin1(texts[value]);
}

void DrawCornerIndex(QPainter& p, const TPictureFonts& fonts, int suit, int value)
{
    const QString text = RankText(value);
    QFont font(fonts.Sans);
    font.setBold(true);
    font.setPixelSize(11);
    font.setHintingPreference(QFont::PreferNoHinting);
    QPainterPath glyphs;
    glyphs.addText(0, 0, font, text);
    // "10" is squeezed to the width of one letter so the corner column stays narrow.
    const QRectF box = glyphs.boundingRect();
    const double squeeze = value == 8 ? 10.0 / box.width() : 1.0;
    p.save();
    p.translate(6, 7);
    p.scale(squeeze, 1);
    p.translate(-box.center().x(), -box.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(SuitColor(suit));
    p.drawPath(glyphs);
    p.restore();
    DrawSuit(p, suit, QPointF(6, 18), 8.5);
}

// Pip centres of the number cards, in card coordinates: three columns, rows spread
// between the top and bottom pip.
std::vector<QPointF> PipPlaces(int value)
{
    const double l = 17, m = 26.5, r = 36;
    const double t = 15, b = 68;
    const double h = b - t;
    const double r1 = t + h / 3, r2 = t + 2 * h / 3; // the rows of the 9 and 10
    const double c = (t + b) / 2;
    switch (value + 2) {
    case 2:
        return {{m, t}, {m, b}};
    case 3:
        return {{m, t}, {m, c}, {m, b}};
    case 4:
        return {{l, t}, {r, t}, {l, b}, {r, b}};
    case 5:
        return {{l, t}, {r, t}, {m, c}, {l, b}, {r, b}};
    case 6:
        return {{l, t}, {r, t}, {l, c}, {r, c}, {l, b}, {r, b}};
    case 7:
        return {{l, t}, {r, t}, {m, (t + c) / 2}, {l, c}, {r, c}, {l, b}, {r, b}};
    case 8:
        return {{l, t}, {r, t}, {m, (t + c) / 2}, {l, c}, {r, c}, {m, (c + b) / 2}, {l, b}, {r, b}};
    case 9:
        return {{l, t}, {r, t}, {l, r1}, {r, r1}, {m, c}, {l, r2}, {r, r2}, {l, b}, {r, b}};
    default: // 10
        return {{l, t},  {r, t},  {m, (t + r1) / 2}, {l, r1}, {r, r1},
                {l, r2}, {r, r2}, {m, (r2 + b) / 2}, {l, b},  {r, b}};
    }
}

// One half of a court card's figure: the panel centre is (0, 0), the half runs from y -33
// to 0 and x -16 to 16. The other half is the same turned around.
void DrawCourtHalf(QPainter& p, int suit, int value)
{
    const bool red = IsRed(suit);
    const QColor robe = red ? QColor(196, 36, 44) : QColor(34, 56, 140);
    const QColor robeDark = robe.darker(140);
    const QColor accent = red ? QColor(34, 56, 140) : QColor(196, 36, 44);
    const QColor hair = value == 10 ? QColor(232, 176, 40) : QColor(110, 66, 30);
    p.setPen(Qt::NoPen);

    // Robe over the shoulders, down to the middle line.
    QPainterPath body;
    body.moveTo(-4, -14.5);
    body.cubicTo(-8, -14, -12, -12, -12.5, -7);
    body.lineTo(-13, 0.5);
    body.lineTo(13, 0.5);
    body.lineTo(12.5, -7);
    body.cubicTo(12, -12, 8, -14, 4, -14.5);
    body.closeSubpath();
    p.setBrush(robe);
    p.drawPath(body);
    // A sprinkle of gold on the cloth.
    p.save();
    p.setClipPath(body, Qt::IntersectClip);
    p.setBrush(QColor(240, 200, 90));
    for (double y = -11; y < 0; y += 4)
        for (double x = -11 + std::fmod(y + 11, 8) / 2; x < 12; x += 4)
            p.drawEllipse(QPointF(x, y), 0.55, 0.55);
    p.restore();
    // A band of the other colour down the front, and gold trim.
    p.setBrush(accent);
    p.drawRect(QRectF(-2.5, -12, 5, 12.5));
    p.setBrush(Gold);
    p.drawRect(QRectF(-13, -3.2, 26, 1.6));
    Stroke(p, Line(QPointF(-8, -11.5), QPointF(-8.5, 0)), QPen(robeDark, 0.8));
    Stroke(p, Line(QPointF(8, -11.5), QPointF(8.5, 0)), QPen(robeDark, 0.8));

    // Long hair of the queen falls behind the face onto the shoulders.
    if (value == 10) {
        QPainterPath locks;
        locks.moveTo(-5.5, -23);
        locks.cubicTo(-7.5, -19, -7, -15, -8.5, -11.5);
        locks.lineTo(8.5, -11.5);
        locks.cubicTo(7, -15, 7.5, -19, 5.5, -23);
        locks.closeSubpath();
        p.setBrush(hair);
        p.drawPath(locks);
    }

    // Collar: ermine for the king, gold for the others.
    if (value == 11) {
        p.setBrush(QColor(250, 250, 246));
        p.drawRoundedRect(QRectF(-9, -15.5, 18, 4), 2, 2);
        p.setBrush(CardBlack);
        for (double x : {-6.0, -1.0, 4.0})
            p.drawRect(QRectF(x, -14.3, 1.2, 1.6));
    } else {
        p.setBrush(Gold);
        p.drawRoundedRect(QRectF(-7, -15, 14, 3), 1.5, 1.5);
    }

    // Head.
    p.setBrush(Skin);
    p.drawEllipse(QPointF(0, -20.5), 4.6, 5.2);
    p.setBrush(CardBlack);
    p.drawEllipse(QPointF(-1.8, -21.2), 0.65, 0.65);
    p.drawEllipse(QPointF(1.8, -21.2), 0.65, 0.65);
    p.setBrush(SkinShade);
    p.drawRect(QRectF(-0.4, -20.8, 0.8, 2.0));

    if (value == 11) {
        // King: white beard and a three-pointed crown.
        QPainterPath beard;
        beard.moveTo(-4.6, -20);
        beard.cubicTo(-4.6, -14, -2.5, -12.5, 0, -12);
        beard.cubicTo(2.5, -12.5, 4.6, -14, 4.6, -20);
        beard.cubicTo(3, -17.5, -3, -17.5, -4.6, -20);
        p.setBrush(QColor(236, 236, 236));
        p.drawPath(beard);
        p.setBrush(accent);
        p.drawRect(QRectF(-1.6, -17.4, 3.2, 0.8)); // mouth under the moustache
        QPainterPath crown;
        crown.moveTo(-5.5, -25);
        crown.lineTo(-6.2, -31.5);
        crown.lineTo(-3, -28);
        crown.lineTo(0, -32.5);
        crown.lineTo(3, -28);
        crown.lineTo(6.2, -31.5);
        crown.lineTo(5.5, -25);
        crown.closeSubpath();
        p.setBrush(Gold);
        p.drawPath(crown);
        Stroke(p, crown, QPen(GoldDark, 0.6));
        p.setBrush(CardRed);
        p.drawEllipse(QPointF(0, -26.6), 1, 1);
        // Sceptre at his side.
        p.setBrush(Gold);
        p.drawRect(QRectF(11, -24, 1.4, 20));
        p.drawEllipse(QPointF(11.7, -25), 1.8, 1.8);
    } else if (value == 10) {
        // Queen: hair framing the face, a low crown of pearls, a flower.
        QPainterPath top;
        top.moveTo(-5.2, -20);
        top.cubicTo(-5.4, -25.5, 5.4, -25.5, 5.2, -20);
        top.cubicTo(3, -23, -3, -23, -5.2, -20);
        p.setBrush(hair);
        p.drawPath(top);
        p.setBrush(Gold);
        p.setPen(QPen(GoldDark, 0.5));
        p.drawRect(QRectF(-4.5, -27, 9, 2.2));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255));
        for (double x : {-4.0, 0.0, 4.0})
            p.drawEllipse(QPointF(x, -28.2), 1.2, 1.2);
        p.setBrush(CardRed);
        p.drawRect(QRectF(-1.3, -17.8, 2.6, 0.8));
        // A flower held up at the side.
        Stroke(p, Line(QPointF(-11, -4), QPointF(-11, -16)), QPen(QColor(40, 130, 40), 0.9));
        p.setBrush(accent);
        for (int i = 0; i < 5; ++i) {
            const double a = i * 2 * M_PI / 5;
            p.drawEllipse(QPointF(-11 + 1.5 * std::cos(a), -17.5 + 1.5 * std::sin(a)), 1.1, 1.1);
        }
        p.setBrush(Gold);
        p.drawEllipse(QPointF(-11, -17.5), 0.9, 0.9);
    } else {
        // Jack: short hair, a feathered cap and a halberd.
        QPainterPath fringe;
        fringe.moveTo(-4.8, -19);
        fringe.lineTo(-5, -24);
        fringe.lineTo(5, -24);
        fringe.lineTo(4.8, -19);
        fringe.cubicTo(3.5, -22, -3.5, -22, -4.8, -19);
        p.setBrush(hair);
        p.drawPath(fringe);
        p.setBrush(CardRed);
        p.drawRect(QRectF(-1.3, -17.6, 2.6, 0.8));
        QPainterPath cap;
        cap.moveTo(-6.5, -23.5);
        cap.cubicTo(-6.5, -29.5, 6.5, -30, 7.5, -24.5);
        cap.closeSubpath();
        p.setBrush(accent);
        p.drawPath(cap);
        Stroke(p, cap, QPen(accent.darker(150), 0.5));
        p.setPen(QPen(Gold, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(-6.5, -23.6), QPointF(7.5, -24.4));
        QPainterPath feather;
        feather.moveTo(3, -27);
        feather.cubicTo(6, -31, 10, -31.5, 13, -30);
        p.setPen(QPen(QColor(250, 250, 250), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(feather);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(140, 90, 40));
        p.drawRect(QRectF(11.3, -26, 1.2, 22));
        p.setBrush(QColor(170, 170, 180));
        QPainterPath blade;
        blade.moveTo(11.9, -31.5);
        blade.lineTo(14.8, -26);
        blade.lineTo(11.9, -27.5);
        blade.lineTo(9.3, -26);
        blade.closeSubpath();
        p.drawPath(blade);
    }

    // The hand that holds the sceptre, the flower or the halberd.
    const QPointF hand = value == 10 ? QPointF(-11, -6.5) : QPointF(11.8, -7.5);
    p.setBrush(Skin);
    p.drawEllipse(hand, 1.9, 1.6);
    Stroke(p, Ellipse(hand, 1.9, 1.6), QPen(SkinShade, 0.5));
}

void DrawCourt(QPainter& p, int suit, int value)
{
    const QRectF panel(10.5, 8.5, 32, 66);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(252, 246, 226));
    p.drawRect(panel);
    for (int half = 0; half < 2; ++half) {
        p.save();
        p.translate(panel.center());
        if (half == 1)
            p.rotate(180);
        p.setClipRect(QRectF(-16, -33, 32, 33));
        DrawCourtHalf(p, suit, value);
        DrawSuit(p, suit, QPointF(-11.5, -27.5), 6);
        p.restore();
    }
    p.setPen(QPen(SuitColor(suit), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(panel);
    p.setPen(QPen(Gold, 0.8));
    p.drawLine(QPointF(panel.left(), panel.center().y()),
               QPointF(panel.right(), panel.center().y()));
    p.restore();
}

// The card's white body with its grey outline; `rounded` for cards drawn at an angle in
// the logo, square for the pictures themselves (their corner pixels are cut afterwards).
void DrawCardBody(QPainter& p, bool rounded)
{
    p.setPen(QPen(Outline, 1));
    p.setBrush(Qt::white);
    if (rounded) {
        p.drawRoundedRect(QRectF(0.5, 0.5, CardW - 1, CardH - 1), 3, 3);
    } else {
        p.drawRect(QRectF(0.5, 0.5, CardW - 1, CardH - 1));
        // With the corner pixels cut away, these make the corners look round.
        p.setPen(Qt::NoPen);
        p.setBrush(Outline);
        for (QPointF c : {QPointF(1, 1), QPointF(CardW - 2, 1), QPointF(1, CardH - 2),
                          QPointF(CardW - 2, CardH - 2)})
            p.drawRect(QRectF(c, QSizeF(1, 1)));
    }
}

void DrawFace(QPainter& p, const TPictureFonts& fonts, int suit, int value, bool rounded)
{
    p.save();
    DrawCardBody(p, rounded);
    if (value == 12) {
        DrawSuit(p, suit, QPointF(26.5, 41.5), 27);
    } else if (value >= 9) {
        DrawCourt(p, suit, value);
    } else {
        const double c = (15 + 68) / 2.0;
        const double size = value >= 7 ? 8.5 : 9.5; // the 9 and 10 are crowded
        for (QPointF pip : PipPlaces(value))
            DrawSuit(p, suit, pip, size, pip.y() > c + 0.1);
    }
    DrawCornerIndex(p, fonts, suit, value);
    p.translate(CardW, CardH);
    p.rotate(180);
    DrawCornerIndex(p, fonts, suit, value);
    p.restore();
}

// ---------------------------------------------------------------------------------------
// Card backs, slot marks, arrow, frames

void DrawBack(QPainter& p, bool blue, bool rounded)
{
    DrawCardBody(p, rounded);
    const QColor base = blue ? QColor(28, 70, 170) : QColor(180, 24, 30);
    const QColor light = blue ? QColor(120, 160, 235) : QColor(240, 120, 110);
    const QRectF field(3, 3, CardW - 6, CardH - 6);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(base);
    p.drawRect(field);
    p.setClipRect(field);
    // A lattice of thin diagonal lines with small diamonds where they cross.
    QPainterPath lattice;
    for (double d = -CardH; d < CardW + CardH; d += 6) {
        lattice.addPath(Line(QPointF(d, 0), QPointF(d + CardH, CardH)));
        lattice.addPath(Line(QPointF(d, 0), QPointF(d - CardH, CardH)));
    }
    Stroke(p, lattice, QPen(light, 0.7));
    // Centre medallion.
    const QPointF middle(CardW / 2.0, CardH / 2.0);
    p.setBrush(base);
    p.drawEllipse(middle, 11, 16);
    Stroke(p, Ellipse(middle, 11, 16), QPen(Qt::white, 1));
    Stroke(p, Ellipse(middle, 8, 13), QPen(light, 0.8));
    p.setBrush(Qt::white);
    QPainterPath star;
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4 - M_PI / 2;
        const double r = i % 2 == 0 ? 7.5 : 2.4;
        const QPointF pt(CardW / 2.0 + r * std::cos(a) * 0.8, CardH / 2.0 + r * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.drawPath(star);
    p.restore();
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(field.adjusted(1.5, 1.5, -1.5, -1.5));
}

void DrawSlotMark(QPainter& p, int kind)
{
    p.setPen(QPen(QColor(0, 60, 0), 1));
    p.setBrush(QColor(0, 100, 0));
    p.drawRect(QRectF(0.5, 0.5, CardW - 1, CardH - 1));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 60, 0));
    for (QPointF c : {QPointF(1, 1), QPointF(CardW - 2, 1), QPointF(1, CardH - 2),
                      QPointF(CardW - 2, CardH - 2)})
        p.drawRect(QRectF(c, QSizeF(1, 1)));
    const QPointF centre(CardW / 2.0, CardH / 2.0);
    if (kind == 2) {
        p.setPen(QPen(QColor(220, 30, 30), 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(centre + QPointF(-13, -13), centre + QPointF(13, 13));
        p.drawLine(centre + QPointF(13, -13), centre + QPointF(-13, 13));
    } else if (kind == 3) {
        p.setPen(QPen(QColor(60, 200, 60), 3.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, 14, 14);
    }
}

void DrawArrow(QPainter& p)
{
    p.fillRect(QRectF(0, 0, 17, 17), Qt::white);
    QRadialGradient shade(QPointF(6.5, 5.5), 10);
    shade.setColorAt(0, QColor(90, 96, 110));
    shade.setColorAt(1, QColor(24, 28, 36));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(QPointF(8.5, 8.5), 8, 8);
    QPainterPath arrow;
    arrow.moveTo(3.5, 7.2);
    arrow.lineTo(8.5, 7.2);
    arrow.lineTo(8.5, 4);
    arrow.lineTo(13.5, 8.5);
    arrow.lineTo(8.5, 13);
    arrow.lineTo(8.5, 9.8);
    arrow.lineTo(3.5, 9.8);
    arrow.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(arrow);
}

// ---------------------------------------------------------------------------------------
// Logo and caption

void DrawLogo(QPainter& p, const TPictureFonts& fonts)
{
    const QRectF all(0, 0, 322, 270);
    QRadialGradient felt(QPointF(161, 120), 220);
    felt.setColorAt(0, QColor(20, 150, 40));
    felt.setColorAt(1, QColor(0, 80, 10));
    p.fillRect(all, felt);

    // A fan of five cards, all of them different ranks and suits.
    const struct
    {
        int suit, value;
        double angle;
    } fan[] = {{suClubs, 9, -30},
               {suDiamonds, 10, -15},
               {suSpades, 12, 0},
               {suHearts, 11, 15},
               {suDiamonds, 8, 30}};
    for (const auto& card : fan) {
        p.save();
        p.translate(161, 150);
        p.rotate(card.angle);
        p.translate(-CardW / 2.0, -CardH - 45);
        // Soft shadow first.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 60));
        p.drawRoundedRect(QRectF(2, 2, CardW, CardH), 3, 3);
        DrawFace(p, fonts, card.suit, card.value, true);
        p.restore();
    }

    // The name, in gold with a dark edge.
    QFont title(fonts.Serif);
    title.setBold(true);
    title.setItalic(true);
    title.setPixelSize(50);
    title.setHintingPreference(QFont::PreferNoHinting);
    QPainterPath name;
    name.addText(0, 0, title, QStringLiteral("Brindletop"));
    const QRectF box = name.boundingRect();
    name.translate(161 - box.center().x(), 133 - box.bottom() + 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawPath(name.translated(2, 3));
    QLinearGradient gold(0, 90, 0, 135);
    gold.setColorAt(0, QColor(255, 236, 150));
    gold.setColorAt(0.55, Gold);
    gold.setColorAt(1, QColor(170, 110, 10));
    p.setBrush(gold);
    p.setPen(QPen(QColor(60, 30, 0), 1.3));
    p.drawPath(name);

    // A calm band where the pulsing "Click here!" caption lies.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 40, 0, 140));
    p.drawRoundedRect(QRectF(96, 146, 130, 28), 14, 14);

    // Underneath: what the game is, and a scoreboard clock.
    QFont line(fonts.Sans);
    line.setPixelSize(12);
    line.setItalic(true);
    line.setHintingPreference(QFont::PreferNoHinting);
    p.setFont(line);
    p.setPen(QColor(220, 240, 220));
    p.drawText(QRectF(10, 184, 302, 18), Qt::AlignCenter,
               QStringLiteral("A card game of periods, goals and a ticking clock"));

    const QRectF board(111, 212, 100, 34);
    p.setPen(QPen(QColor(200, 200, 200), 1.5));
    p.setBrush(QColor(16, 16, 16));
    p.drawRoundedRect(board, 5, 5);
    QFont digits(fonts.Sans);
    digits.setBold(true);
    digits.setPixelSize(24);
    digits.setHintingPreference(QFont::PreferNoHinting);
    p.setFont(digits);
    p.setPen(QColor(255, 190, 40));
    p.drawText(board, Qt::AlignCenter, QStringLiteral("20:00"));

    // A gold frame round it all.
    p.setPen(QPen(Gold, 3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(all.adjusted(3.5, 3.5, -3.5, -3.5), 10, 10);
    p.setPen(QPen(GoldDark, 1));
    p.drawRoundedRect(all.adjusted(6.5, 6.5, -6.5, -6.5), 8, 8);
}

// ---------------------------------------------------------------------------------------
// Menu icons, 16 x 16

void DrawMenuExit(QPainter& p)
{
    const QColor blue(26, 72, 180);
    // The doorway: a blue frame round a dark opening.
    p.setPen(QPen(blue, 1));
    QLinearGradient dark(7, 0, 15, 0);
    dark.setColorAt(0, QColor(20, 40, 110));
    dark.setColorAt(1, QColor(70, 110, 200));
    p.setBrush(dark);
    p.drawRect(QRectF(6.5, 0.5, 8, 15));
    // The white door, hinged on the left of the doorway and swung open towards us.
    QPainterPath leaf;
    leaf.moveTo(6.5, 0.5);
    leaf.lineTo(0.5, 2.5);
    leaf.lineTo(0.5, 15.5);
    leaf.lineTo(6.5, 15.5);
    leaf.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(leaf);
    // Its panes: light blue above, green below.
    p.setPen(Qt::NoPen);
    QPainterPath upper;
    upper.moveTo(5.5, 2.4);
    upper.lineTo(1.5, 3.8);
    upper.lineTo(1.5, 7.6);
    upper.lineTo(5.5, 7.3);
    upper.closeSubpath();
    p.setBrush(QColor(110, 160, 235));
    p.drawPath(upper);
    QPainterPath lower;
    lower.moveTo(5.5, 8.8);
    lower.lineTo(1.5, 9.1);
    lower.lineTo(1.5, 14.5);
    lower.lineTo(5.5, 14.5);
    lower.closeSubpath();
    p.setBrush(QColor(28, 150, 56));
    p.drawPath(lower);
}

void DrawMenuAbout(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 7.8, 7.8);
    QRadialGradient blue(QPointF(6.5, 6), 8);
    blue.setColorAt(0, QColor(90, 150, 240));
    blue.setColorAt(1, QColor(20, 70, 180));
    p.setBrush(blue);
    p.drawEllipse(QPointF(8, 8), 6.3, 6.3);
    Stroke(p, Ellipse(QPointF(8, 8), 7.6, 7.6), QPen(QColor(20, 60, 150), 0.6));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.6), 1.25, 1.25);
    p.drawRect(QRectF(7, 6.8, 2, 5.2));
    p.drawRect(QRectF(6, 11, 4, 1.2));
    p.drawRect(QRectF(6.2, 6.8, 1.4, 1));
}

// ---------------------------------------------------------------------------------------
// Application icon: two fanned cards over the green rink. Drawn for each pixel size rather
// than scaled, so the small sizes stay simple shapes with edges on whole pixels.

void DrawAppIcon(QPainter& p, const TPictureFonts& fonts, int size)
{
    const double s = size;
    const bool tiny = size <= 24;
    // Outlines at least one pixel wide, else they vanish at 16 pixels.
    const double line = std::max(1.0, s / 40);

    // The rink: a green disc with a darker rim, lower half of the square.
    const QPointF centre(s / 2, s * 0.56);
    const double radius = s * 0.43;
    QRadialGradient felt(centre - QPointF(s * 0.08, s * 0.1), radius * 1.3);
    felt.setColorAt(0, QColor(40, 170, 60));
    felt.setColorAt(1, QColor(0, 100, 10));
    p.setPen(QPen(QColor(0, 60, 0), line * (tiny ? 1 : 1.5)));
    p.setBrush(felt);
    p.drawEllipse(centre, radius - line / 2, radius - line / 2);
    if (!tiny) {
        // The centre line and face-off circle of the rink, faintly.
        p.setPen(QPen(QColor(255, 255, 255, 70), line));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, radius * 0.42, radius * 0.42);
    }

    // Two cards fanned from a point below the middle: the blue back (the player's colour)
    // behind, the ace of hearts in front.
    const double cw = s * 0.36, ch = s * 0.52, corner = s * 0.05;
    const QPointF pivot(s / 2, s * 0.86);
    auto card = [&](double angle, double shift) {
        p.save();
        p.translate(pivot);
        p.rotate(angle);
        p.translate(-cw / 2 + shift, -ch - s * 0.04);
        return QRectF(0, 0, cw, ch);
    };

    QRectF r = card(-16, -s * 0.06);
    p.setPen(QPen(QColor(240, 240, 240), line));
    p.setBrush(QColor(28, 70, 170));
    p.drawRoundedRect(r.adjusted(line / 2, line / 2, -line / 2, -line / 2), corner, corner);
    if (!tiny) {
        p.setPen(QPen(QColor(120, 160, 235), line));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(s * 0.05, s * 0.05, -s * 0.05, -s * 0.05));
    }
    p.restore();

    r = card(14, s * 0.06);
    // A soft shadow on the back card separates the two at any size.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(r.translated(-line, line * 0.5), corner, corner);
    p.setPen(QPen(QColor(110, 110, 110), line));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r.adjusted(line / 2, line / 2, -line / 2, -line / 2), corner, corner);
    p.translate(r.center());
    p.scale(cw * 0.6, cw * 0.6);
    p.setPen(Qt::NoPen);
    p.setBrush(CardRed);
    p.drawPath(HeartPath());
    p.restore();
    if (size >= 48) {
        // The corner index of the ace, where it is big enough to read.
        r = card(14, s * 0.06);
        QFont font(fonts.Sans);
        font.setBold(true);
        font.setPixelSize(std::max(6, int(s * 0.11)));
        font.setHintingPreference(QFont::PreferNoHinting);
        p.setFont(font);
        p.setPen(CardRed);
        p.drawText(QRectF(r.left() + s * 0.02, r.top() + s * 0.015, s * 0.09, s * 0.12),
                   Qt::AlignCenter, QStringLiteral("A"));
        p.restore();
    }
}

// ---------------------------------------------------------------------------------------
// Pixel rules applied after drawing, in device pixels

QImage NewCanvas(int w, int h, qreal dpr)
{
    QImage image(int(std::lround(w * dpr)), int(std::lround(h * dpr)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Begin(QPainter& p, QImage& image, qreal dpr)
{
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(dpr, dpr);
}

// Every pixel gets `alpha`, except the four corner blocks (one logical pixel each), which
// become transparent: the rounded corner of a card.
QImage CardAlpha(const QImage& drawn, int alpha, qreal dpr)
{
    QImage out = drawn.convertToFormat(QImage::Format_ARGB32);
    const int c = std::max(1, int(std::lround(dpr)));
    for (int y = 0; y < out.height(); ++y) {
        auto line = reinterpret_cast<uint32_t*>(out.scanLine(y));
        const bool edgeRow = y < c || y >= out.height() - c;
        for (int x = 0; x < out.width(); ++x) {
            const bool corner = edgeRow && (x < c || x >= out.width() - c);
            line[x] = (line[x] & 0x00ffffffu) | (uint32_t(corner ? 0 : alpha) << 24);
        }
    }
    return out;
}

// Pictures painted edge to edge: whatever smoothing left at the border becomes solid.
QImage Opaque(const QImage& drawn)
{
    QImage out = drawn.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto line = reinterpret_cast<uint32_t*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] |= 0xff000000u;
    }
    return out;
}

QImage Frame(QColor colour, qreal dpr)
{
    const int w = int(std::lround(59 * dpr)), h = int(std::lround(89 * dpr));
    const int t = int(std::lround(2 * dpr));
    const int c = std::max(1, int(std::lround(dpr)));
    QImage out(w, h, QImage::Format_ARGB32);
    const uint32_t rgb = colour.rgb() & 0x00ffffffu;
    for (int y = 0; y < h; ++y) {
        auto line = reinterpret_cast<uint32_t*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool border = x < t || y < t || x >= w - t || y >= h - t;
            const bool corner = (x < c || x >= w - c) && (y < c || y >= h - c);
            line[x] = rgb | (border && !corner ? 0xff000000u : 0u);
        }
    }
    return out;
}

// Light italic lettering: the colour is the same everywhere, only alpha varies, so the
// smoothed edges blend cleanly at any master alpha.
QImage Caption(const TPictureFonts& fonts, qreal dpr)
{
    QImage mask = NewCanvas(100, 20, dpr);
    QPainter p;
    Begin(p, mask, dpr);
    QFont font(fonts.Sans);
    font.setItalic(true);
    font.setBold(true);
    font.setPixelSize(16);
    font.setHintingPreference(QFont::PreferNoHinting);
    QPainterPath text;
    text.addText(0, 0, font, QStringLiteral("Click here!"));
    const QRectF box = text.boundingRect();
    text.translate(50 - box.center().x(), 10 - box.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(text);
    p.end();
    QImage out(mask.size(), QImage::Format_ARGB32);
    const uint32_t rgb = 0x00fff6c8u; // warm white
    for (int y = 0; y < out.height(); ++y) {
        auto src = reinterpret_cast<const uint32_t*>(mask.constScanLine(y));
        auto dst = reinterpret_cast<uint32_t*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            dst[x] = rgb | (src[x] & 0xff000000u);
    }
    return out;
}

QString LoadFamily(const QString& folder, const char* file)
{
    const QString path = folder + QLatin1Char('/') + QLatin1String(file);
    const int id = QFontDatabase::addApplicationFont(path);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (id < 0 || families.isEmpty())
        throw std::runtime_error("cannot load font " + path.toStdString());
    return families.first();
}

} // namespace

TPictureFonts LoadPictureFonts(const QString& folder)
{
    TPictureFonts fonts;
    fonts.Sans = LoadFamily(folder, "LiberationSans-Regular.ttf");
    LoadFamily(folder, "LiberationSans-Bold.ttf");
    LoadFamily(folder, "LiberationSans-Italic.ttf");
    LoadFamily(folder, "LiberationSans-BoldItalic.ttf");
    fonts.Serif = LoadFamily(folder, "LiberationSerif-BoldItalic.ttf");
    LoadFamily(folder, "LiberationSerif-Regular.ttf");
    return fonts;
}

std::vector<TPictureEntry> AllPictures()
{
    std::vector<TPictureEntry> all;
    for (int i = 0; i < 52; ++i)
        all.push_back({QStringLiteral("card%1").arg(i, 2, 10, QLatin1Char('0')), CardW, CardH});
    for (int i = 0; i < 9; ++i) {
        const int w = i == 5 ? 17 : i >= 6 ? 59 : CardW;
        const int h = i == 5 ? 17 : i >= 6 ? 89 : CardH;
        all.push_back({QStringLiteral("game%1").arg(i), w, h});
    }
    all.push_back({QStringLiteral("logo0"), 322, 270});
    all.push_back({QStringLiteral("logo1"), 100, 20});
    all.push_back({QStringLiteral("menu0"), 16, 16});
    all.push_back({QStringLiteral("menu1"), 16, 16});
    return all;
}

QImage RenderAppIcon(const TPictureFonts& fonts, int size)
{
    if (size < 16 || size > 1024)
        throw std::invalid_argument("no icon of " + std::to_string(size) + " pixels");
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawAppIcon(p, fonts, size);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage RenderPicture(const QString& name, const TPictureFonts& fonts, qreal dpr)
{
    QPainter p;
    if (name.startsWith(QLatin1String("card"))) {
        const int index = name.mid(4).toInt();
        QImage image = NewCanvas(CardW, CardH, dpr);
        Begin(p, image, dpr);
        DrawFace(p, fonts, index / 13, index % 13, false);
        p.end();
        return CardAlpha(image, 254, dpr);
    }
    if (name.startsWith(QLatin1String("game"))) {
        const int index = name.mid(4).toInt();
        if (index >= 6) {
            const QColor colours[] = {QColor(0, 0, 0), QColor(225, 20, 20), QColor(20, 70, 235)};
            return Frame(colours[index - 6], dpr);
        }
        if (index == 5) {
            QImage image = NewCanvas(17, 17, dpr);
            Begin(p, image, dpr);
            DrawArrow(p);
            p.end();
            return Opaque(image);
        }
        QImage image = NewCanvas(CardW, CardH, dpr);
        Begin(p, image, dpr);
        if (index <= 1)
            DrawBack(p, index == 0, false);
        else
            DrawSlotMark(p, index);
        p.end();
        return CardAlpha(image, index <= 1 ? 254 : 255, dpr);
    }
    if (name == QLatin1String("logo0")) {
        QImage image = NewCanvas(322, 270, dpr);
        Begin(p, image, dpr);
        DrawLogo(p, fonts);
        p.end();
        return Opaque(image);
    }
    if (name == QLatin1String("logo1"))
        return Caption(fonts, dpr);
    if (name == QLatin1String("menu0") || name == QLatin1String("menu1")) {
        QImage image = NewCanvas(16, 16, dpr);
        Begin(p, image, dpr);
        if (name.endsWith(QLatin1Char('0')))
            DrawMenuExit(p);
        else
            DrawMenuAbout(p);
        p.end();
        return image.convertToFormat(QImage::Format_ARGB32);
    }
    throw std::invalid_argument("unknown picture " + name.toStdString());
}
