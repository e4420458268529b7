// Writes every picture of the game onto one sheet, over the table's green, and a second
// sheet with some of them enlarged four times (nearest neighbour), for looking at them.
//
//   bt_picture_sheet <sheet.png> [ratio]      also writes <sheet>-zoom.png
//
// The ratio is one of those the pictures are drawn at (1, 1.25, 1.5, 2); the sheet then
// shows that rendering, laid out at that ratio.

#include "assets/pictures/GameImages.h"

#include <QGuiApplication>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <exception>

namespace {

void Place(QPainter& p, const QImage& image, int x, int y, int zoom = 1)
{
    // Painting the straight-alpha picture blends it exactly as the table does at master
    // alpha 255.
    p.drawImage(QRect(x, y, image.width() * zoom, image.height() * zoom), image);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <sheet.png> [scale]\n", argv[0]);
        return 2;
    }
    try {
        const QString path = QString::fromLocal8Bit(argv[1]);
        const qreal scale = argc > 2 ? QString::fromLatin1(argv[2]).toDouble() : 1;
        TBitmap32List cards, game, logo;
        LoadGameImages(cards, game, logo, scale);
        const int gap = int(std::lround(6 * scale));
        const int cw = int(std::lround(53 * scale)), ch = int(std::lround(83 * scale));

        QImage sheet(13 * (cw + gap) + gap,
                     4 * (ch + gap) + (89 * scale + gap) + 270 * scale + 3 * gap,
                     QImage::Format_RGB32);
        sheet.fill(QColor(0, 128, 0));
        QPainter p(&sheet);
        for (int i = 0; i < cards.Count(); ++i)
            Place(p, cards.Bitmap(i).Image(), gap + (i % 13) * (cw + gap),
                  gap + (i / 13) * (ch + gap));
        int x = gap;
        const int y = gap + 4 * (ch + gap);
        for (int i = 0; i < game.Count(); ++i) {
            const QImage& image = game.Bitmap(i).Image();
            Place(p, image, x, y);
            x += image.width() + gap;
        }
        for (int i = 0; i < MenuImageCount; ++i) {
            Place(p, MenuImage(i, scale), x, y);
            x += 16 * scale + gap;
        }
        const int ly = y + 89 * scale + gap;
        Place(p, logo.Bitmap(0).Image(), gap, ly);
        // The caption where the about screen puts it on the logo, and alone beside it.
        Place(p, logo.Bitmap(1).Image(), gap + 104 * scale, ly + 150 * scale);
        Place(p, logo.Bitmap(1).Image(), gap + 330 * scale, ly + 20 * scale);
        p.fillRect(QRect(gap + 330 * scale, ly + 50 * scale, 100 * scale, 20 * scale), Qt::white);
        Place(p, logo.Bitmap(1).Image(), gap + 330 * scale, ly + 50 * scale);
        // A frame around a card, where the table draws it: the card rectangle grown by 3.
        Place(p, cards.Bitmap(37).Image(), gap + 460 * scale, ly + 20 * scale);
        Place(p, game.Bitmap(8).Image(), gap + 457 * scale, ly + 17 * scale);
        Place(p, cards.Bitmap(12).Image(), gap + 530 * scale, ly + 20 * scale);
        Place(p, game.Bitmap(7).Image(), gap + 527 * scale, ly + 17 * scale);
        p.end();
        if (!sheet.save(path))
            throw std::runtime_error("cannot write " + path.toStdString());

        const int zoom = 4;
        const int picks[] = {0, 8, 9, 23, 37, 51};
        QImage big(6 * (cw * zoom + gap) + gap, ch * zoom * 2 + 3 * gap, QImage::Format_RGB32);
        big.fill(QColor(0, 128, 0));
        QPainter z(&big);
        for (int i = 0; i < 6; ++i)
            Place(z, cards.Bitmap(picks[i]).Image(), gap + i * (cw * zoom + gap), gap, zoom);
        int zx = gap;
        for (int i : {0, 1, 2, 5}) {
            const QImage& image = game.Bitmap(i).Image();
            Place(z, image, zx, 2 * gap + ch * zoom, zoom);
            zx += image.width() * zoom + gap;
        }
        for (int i = 0; i < MenuImageCount; ++i) {
            Place(z, MenuImage(i, scale), zx, 2 * gap + ch * zoom, zoom);
            zx += 16 * scale * zoom + gap;
        }
        z.end();
        QString zoomPath = path;
        zoomPath.replace(QLatin1String(".png"), QLatin1String("-zoom.png"));
        if (!big.save(zoomPath))
            throw std::runtime_error("cannot write " + zoomPath.toStdString());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bt_picture_sheet: %s\n", e.what());
        return 1;
    }
    return 0;
}
