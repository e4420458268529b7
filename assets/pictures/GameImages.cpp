#include "assets/pictures/GameImages.h"

#include "assets/pictures/generator/PicturePainter.h"

#include <QFile>
#include <QResource>
#include <QtEndian>

#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <stdexcept>
#include <string>

// The resources live in a static library: register them before the first lookup, whoever
// links us. Outside any namespace, as Q_INIT_RESOURCE requires.
static void RegisterPictures()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Q_INIT_RESOURCE(bt_pictures);
        Q_INIT_RESOURCE(bt_icons);
        Q_INIT_RESOURCE(bt_fonts);
    });
}

namespace {

bool KnownRatio(qreal ratio)
{
    const auto& ratios = PictureRatios();
    return std::find(ratios.begin(), ratios.end(), ratio) != ratios.end();
}

QString RatioFolder(qreal ratio)
{
    return QString::number(ratio) + QLatin1Char('x'); // "1x", "1.25x", "1.5x", "2x"
}

QString PicturePath(const QString& name, qreal ratio)
{
    if (!KnownRatio(ratio))
        throw std::runtime_error("no pictures drawn at ratio " + std::to_string(ratio));
    RegisterPictures();
    return QStringLiteral(":/bt/pictures/%1/%2.img").arg(RatioFolder(ratio), name);
}

QImage ReadPicture(const QString& name, qreal ratio)
{
    const QString path = PicturePath(name, ratio);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing picture " + path.toStdString());
    return ReadImageRecord(file.readAll());
}

// The faces the pictures are lettered in, registered from the program's own copies the
// first time a picture is drawn at run time.
const TPictureFonts& RuntimeFonts()
{
    static const TPictureFonts fonts = [] {
        RegisterPictures();
        return LoadPictureFonts(QStringLiteral(":/bt/fonts"));
    }();
    return fonts;
}

// The picture `name` as the lists hold it: drawn at `ratio` alone, or (ratio 1) the 1x
// rendering with the others attached. Those are decoded only when a screen of their ratio
// paints them; until then only the size of each record is checked against the 1x size,
// which the resource knows without unpacking it. Any other ratio (a zoomed table) is drawn
// when first painted, by the same code that drew the records.
TBitmap32 LoadBitmap(const QString& name, qreal ratio)
{
    TBitmap32 bitmap(ReadPicture(name, ratio));
    if (ratio != 1)
        return bitmap;
    for (qreal r : PictureRatios()) {
        if (r == 1)
            continue;
        const QSize want(int(std::lround(bitmap.Width() * r)),
                         int(std::lround(bitmap.Height() * r)));
        const QResource record(PicturePath(name, r));
        if (!record.isValid() ||
            record.uncompressedSize() != 8 + qint64(want.width()) * want.height() * 4)
            throw std::runtime_error("picture " + name.toStdString() + " at ratio " +
                                     std::to_string(r) + " does not match its 1x size");
        bitmap.AddVariant(
            [name, r, want]() -> QImage {
                // Built into the program and checked above, so this cannot fail short of a
                // damaged binary; if it does, the 1x picture is painted blown up instead.
                try {
                    QImage image = ReadPicture(name, r);
                    return image.size() == want ? image : QImage();
                } catch (const std::runtime_error&) {
                    return QImage();
                }
            },
            r);
    }
    bitmap.SetRenderer([name](qreal r) -> QImage {
        // A failure paints the nearest rendering there is instead; it cannot be reported
        // from inside a paint.
        try {
            return RenderPicture(name, RuntimeFonts(), r);
        } catch (const std::exception&) {
            return QImage();
        }
    });
    return bitmap;
}

} // namespace

const std::vector<qreal>& PictureRatios()
{
    static const std::vector<qreal> ratios{1, 1.25, 1.5, 2};
    return ratios;
}

QImage ReadImageRecord(const QByteArray& record)
{
    if (record.size() < 8)
        throw std::runtime_error("image record shorter than its header");
    const char* data = record.constData();
    const qint32 width = qFromLittleEndian<qint32>(data);
    const qint32 height = qFromLittleEndian<qint32>(data + 4);
    // Limits keep the size arithmetic below far from overflow.
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        throw std::runtime_error("image record with impossible size");
    if (record.size() != 8 + qsizetype(width) * height * 4)
        throw std::runtime_error("image record size does not match its pixels");
    QImage image(width, height, QImage::Format_ARGB32);
    const char* in = data + 8;
    for (int y = 0; y < height; ++y) {
        auto line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, in += 4)
            line[x] = qFromLittleEndian<quint32>(in);
    }
    return image;
}

void LoadGameImages(TBitmap32List& cards, TBitmap32List& game, TBitmap32List& logo, qreal ratio)
{
    // Read everything before touching the lists, so a failure leaves them as they were.
    TBitmap32List newCards, newGame, newLogo;
    for (int i = 0; i < CardFaceCount; ++i)
        newCards.Add(LoadBitmap(QStringLiteral("card%1").arg(i, 2, 10, QLatin1Char('0')), ratio));
    for (int i = 0; i < GamePictureCount; ++i)
        newGame.Add(LoadBitmap(QStringLiteral("game%1").arg(i), ratio));
    for (int i = 0; i < LogoPictureCount; ++i)
        newLogo.Add(LoadBitmap(QStringLiteral("logo%1").arg(i), ratio));
    auto move = [](TBitmap32List& from, TBitmap32List& to) {
        to.Clear();
        for (int i = 0; i < from.Count(); ++i)
            to.Add(from.Bitmap(i));
    };
    move(newCards, cards);
    move(newGame, game);
    move(newLogo, logo);
}

QImage MenuImage(int index, qreal ratio)
{
    if (index < 0 || index >= MenuImageCount)
        throw std::out_of_range("no menu picture " + std::to_string(index));
    return ReadPicture(QStringLiteral("menu%1").arg(index), ratio);
}

QIcon MenuIcon(int index)
{
    // Plain pixmaps of 16, 20, 24 and 32 pixels: QIcon asks for size x device pixel ratio
    // and takes the nearest that is big enough.
    QIcon icon;
    for (qreal r : PictureRatios())
        icon.addPixmap(QPixmap::fromImage(MenuImage(index, r)));
    return icon;
}

const std::vector<int>& ApplicationIconSizes()
{
    static const std::vector<int> sizes{16, 24, 32, 48, 64, 128, 256, 512};
    return sizes;
}

QImage ApplicationIconImage(int size)
{
    const auto& sizes = ApplicationIconSizes();
    if (std::find(sizes.begin(), sizes.end(), size) == sizes.end())
        throw std::runtime_error("no application icon of " + std::to_string(size) + " pixels");
    RegisterPictures();
    const QString path = QStringLiteral(":/bt/icons/%1/org.brindletop.Brindletop.png").arg(size);
    QImage image;
    if (!image.load(path, "PNG") || image.size() != QSize(size, size))
        throw std::runtime_error("missing or damaged icon " + path.toStdString());
    return image.convertToFormat(QImage::Format_ARGB32);
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : ApplicationIconSizes())
        icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(size)));
    return icon;
}
