#include "assets/pictures/GameImages.h"

#include <QFile>
#include <QtEndian>

#include <mutex>
#include <stdexcept>
#include <string>

// The resource lives in a static library: register it before the first lookup, whoever
// links us. Outside any namespace, as Q_INIT_RESOURCE requires.
static void RegisterPictures()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(bt_pictures); });
}

namespace {

QByteArray ReadPicture(const QString& name, int scale)
{
    if (scale != 1 && scale != 2)
        throw std::runtime_error("no pictures drawn at scale " + std::to_string(scale));
    RegisterPictures();
    const QString path = QStringLiteral(":/bt/pictures/%1x/%2.img").arg(scale).arg(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing picture " + path.toStdString());
    return file.readAll();
}

TBitmap32 LoadBitmap(const QString& name, int scale)
{
    return TBitmap32(ReadImageRecord(ReadPicture(name, scale)));
}

} // namespace

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

void LoadGameImages(TBitmap32List& cards, TBitmap32List& game, TBitmap32List& logo, int scale)
{
    // Read everything before touching the lists, so a failure leaves them as they were.
    TBitmap32List newCards, newGame, newLogo;
    for (int i = 0; i < CardFaceCount; ++i)
        newCards.Add(LoadBitmap(QStringLiteral("card%1").arg(i, 2, 10, QLatin1Char('0')), scale));
    for (int i = 0; i < GamePictureCount; ++i)
        newGame.Add(LoadBitmap(QStringLiteral("game%1").arg(i), scale));
    for (int i = 0; i < LogoPictureCount; ++i)
        newLogo.Add(LoadBitmap(QStringLiteral("logo%1").arg(i), scale));
    auto move = [](TBitmap32List& from, TBitmap32List& to) {
        to.Clear();
        for (int i = 0; i < from.Count(); ++i)
            to.Add(from.Bitmap(i));
    };
    move(newCards, cards);
    move(newGame, game);
    move(newLogo, logo);
}

QImage MenuImage(int index, int scale)
{
    if (index < 0 || index >= MenuImageCount)
        throw std::out_of_range("no menu picture " + std::to_string(index));
    return ReadImageRecord(ReadPicture(QStringLiteral("menu%1").arg(index), scale));
}
