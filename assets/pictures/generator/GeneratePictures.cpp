// Build-time tool: draws every picture of the game and writes each as a raw image record
// (32-bit width, 32-bit height, then the pixels as blue, green, red, alpha bytes, all
// little-endian) into <output folder>/<name>.img; or, with --icons, the application icon
// as <output folder>/<size>/org.brindletop.Brindletop.png in every size.
//
//   bt_picture_generator <output folder> <device pixel ratio> <Liberation font folder>
//   bt_picture_generator --icons <output folder> <Liberation font folder>

#include "PicturePainter.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QtEndian>

#include <cstdio>
#include <exception>

namespace {

void WriteRecord(const QString& path, const QImage& image)
{
    QByteArray data;
    data.resize(8 + qsizetype(image.width()) * image.height() * 4);
    char* out = data.data();
    qToLittleEndian<qint32>(image.width(), out);
    qToLittleEndian<qint32>(image.height(), out + 4);
    out += 8;
    for (int y = 0; y < image.height(); ++y) {
        auto line = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x, out += 4)
            qToLittleEndian<quint32>(line[x], out);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace

int main(int argc, char** argv)
{
    // No display is needed: fonts and raster painting work on the offscreen platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: %s <output folder> <device pixel ratio> <font folder>\n"
                     "       %s --icons <output folder> <font folder>\n",
                     argv[0], argv[0]);
        return 2;
    }
    try {
        const bool icons = QLatin1String(argv[1]) == QLatin1String("--icons");
        const QString folder = QString::fromLocal8Bit(argv[icons ? 2 : 1]);
        const qreal dpr = icons ? 1 : QString::fromLatin1(argv[2]).toDouble();
        if (dpr < 1 || dpr > 4)
            throw std::runtime_error("device pixel ratio must be between 1 and 4");
        const QString fontFolder = QString::fromLocal8Bit(argv[3]);
        const TPictureFonts fonts = LoadPictureFonts(fontFolder);

        if (icons) {
            for (int size : AppIconSizes) {
                const QString dir = folder + QLatin1Char('/') + QString::number(size);
                const QString path = dir + QLatin1String("/org.brindletop.Brindletop.png");
                if (!QDir().mkpath(dir) || !RenderAppIcon(fonts, size).save(path, "PNG"))
                    throw std::runtime_error("cannot write " + path.toStdString());
            }
            return 0;
        }
        if (!QDir().mkpath(folder))
            throw std::runtime_error("cannot create " + folder.toStdString());
        for (const TPictureEntry& picture : AllPictures()) {
            const QImage image = RenderPicture(picture.Name, fonts, dpr);
            WriteRecord(folder + QLatin1Char('/') + picture.Name + QLatin1String(".img"), image);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bt_picture_generator: %s\n", e.what());
        return 1;
    }
    return 0;
}
