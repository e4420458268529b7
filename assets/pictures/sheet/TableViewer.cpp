// Shows the table's pictures in a TImage32 window, for looking at them on screens of any
// scale (QT_SCALE_FACTOR=1.5 bt_picture_viewer): the line-ups with cards, a lit frame, the
// pack, the discard pile, the turn arrow, the logo with its caption, and the menu pictures.

#include "assets/pictures/GameImages.h"

#include <QApplication>
#include <QLabel>

namespace {

void Add(TImage32& image, const TBitmap32& picture, int left, int top, uint8_t alpha = 255)
{
    TBitmapLayer* layer = image.Layers().Add();
    layer->Bitmap() = picture;
    layer->Bitmap().SetDrawMode(dmBlend);
    layer->Bitmap().SetMasterAlpha(alpha);
    layer->SetLocation({float(left), float(top), float(left + picture.Width()),
                        float(top + picture.Height())});
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(ApplicationIcon());
    TBitmap32List cards, game, logo;
    LoadGameImages(cards, game, logo);

    TImage32 image;
    image.setWindowTitle(QStringLiteral("Brindletop pictures"));
    image.resize(700, 560);
    image.SetColor(QColor(0, 128, 0));
    image.BeginUpdate();
    const QPoint slots[] = {{140, 8},   {110, 96},  {169, 96},  {80, 184},
                            {140, 184}, {200, 184}, {80, 272},  {140, 272},
                            {200, 272}, {110, 360}, {169, 360}, {140, 448}};
    const int faces[] = {12, 37, 23, 9, 48, 4, 10, 51, 30, 2, 44, 19};
    for (int i = 0; i < 12; ++i) {
        Add(image, game.Bitmap(4), slots[i].x(), slots[i].y());
        if (i != 11)
            Add(image, i == 0 ? game.Bitmap(1) : cards.Bitmap(faces[i]), slots[i].x(),
                slots[i].y(), i == 4 ? 100 : 255); // one beaten card, dimmed
    }
    Add(image, game.Bitmap(8), 137, 445); // the player's empty goal, lit
    Add(image, game.Bitmap(2), 8, 232);
    Add(image, game.Bitmap(0), 8, 232);
    Add(image, game.Bitmap(3), 272, 232);
    Add(image, game.Bitmap(6), 269, 229);
    Add(image, game.Bitmap(5), 20, 500);
    Add(image, game.Bitmap(5), 40, 500, 100);
    Add(image, logo.Bitmap(0), 360, 8);
    Add(image, logo.Bitmap(1), 471, 157);
    Add(image, cards.Bitmap(35), 360, 300);
    Add(image, cards.Bitmap(22), 420, 300);
    Add(image, cards.Bitmap(11), 480, 300);
    Add(image, cards.Bitmap(47), 540, 300);
    Add(image, game.Bitmap(7), 357, 297);
    image.EndUpdate();

    // The menu pictures and the application icon as Qt widgets show them.
    auto* menu = new QLabel(&image);
    menu->setPixmap(MenuIcon(0).pixmap(QSize(16, 16), image.devicePixelRatioF()));
    menu->move(360, 400);
    auto* about = new QLabel(&image);
    about->setPixmap(MenuIcon(1).pixmap(QSize(16, 16), image.devicePixelRatioF()));
    about->move(384, 400);
    int x = 410;
    for (int size : {16, 24, 32, 48, 64}) {
        auto* label = new QLabel(&image);
        label->setPixmap(ApplicationIcon().pixmap(QSize(size, size), image.devicePixelRatioF()));
        label->move(x, 400);
        x += size + 8;
    }
    image.show();
    return QApplication::exec();
}
