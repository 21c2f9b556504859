// Writes the application icon as PNG files for the desktop's icon theme:
//   mkicons <icon file> <output directory> <name> <size>...
// makes <output directory>/<size>x<size>/apps/<name>.png for every size. A
// picture of exactly that size in the icon file is taken as it is (small
// sizes are drawn for their size); any other size is scaled from the largest.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QStringList>

#include <cstdio>
#include <vector>

namespace {

std::vector<QImage> readAll(const QString &path)
{
    std::vector<QImage> images;
    QImageReader reader(path);
    do
    {
        QImage image = reader.read();
        if (!image.isNull())
        {
            images.push_back(image.convertToFormat(QImage::Format_ARGB32));
        }
    } while (reader.jumpToNextImage());
    return images;
}

QImage atSize(const std::vector<QImage> &images, int size)
{
    const QImage *largest = &images.front();
    for (const QImage &image : images)
    {
        if (image.width() == size && image.height() == size)
        {
            return image;
        }
        if (image.width() > largest->width())
        {
            largest = &image;
        }
    }
    return largest->scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5)
    {
        std::fprintf(stderr, "usage: mkicons <icon file> <output directory> <name> <size>...\n");
        return 2;
    }
    const std::vector<QImage> images = readAll(args[1]);
    if (images.empty())
    {
        std::fprintf(stderr, "mkicons: cannot read %s\n", qUtf8Printable(args[1]));
        return 1;
    }
    for (int i = 4; i < args.size(); ++i)
    {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args[2]).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, args[3]);
        if (!ok || size <= 0 || !QDir().mkpath(dir) || !atSize(images, size).save(file, "PNG"))
        {
            std::fprintf(stderr, "mkicons: cannot write the %s icon %s\n", qUtf8Printable(args[i]),
                         qUtf8Printable(file));
            return 1;
        }
    }
    return 0;
}
