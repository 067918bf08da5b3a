#include "viewer/common/LoadBitmapResource.h"

#include <QFile>
#include <QString>
#include <array>
#include <new>

// Outside every namespace, as the registration macro requires.
static void RegisterPictureResource()
{
    Q_INIT_RESOURCE(pyrn_bitmaps);
}

namespace {

// The pictures are compiled into a static library; registering them here keeps the linker
// from dropping them.
void RegisterPictures()
{
    static const bool registered = [] {
        RegisterPictureResource();
        return true;
    }();
    (void)registered;
}

constexpr std::array kIconSizes{16, 32, 48};

} // namespace

bool LoadBitmapResource(unsigned id, std::unique_ptr<QImage>& image)
{
    RegisterPictures();
    const QString path = QStringLiteral(":/pyrn/%1.bmp").arg(id);
    if (!QFile::exists(path)) {
        return false;
    }
    QImage decoded(path, "BMP");
    if (decoded.isNull()) {
        return false;
    }
    auto result = std::unique_ptr<QImage>(new (std::nothrow) QImage(std::move(decoded)));
    if (!result) {
        return false;
    }
    image = std::move(result);
    return true;
}

QIcon LoadIconResource(unsigned id)
{
    RegisterPictures();
    QIcon icon;
    for (const int size : kIconSizes) {
        const QString path = QStringLiteral(":/pyrn/%1-%2.png").arg(id).arg(size);
        if (QFile::exists(path)) {
            icon.addFile(path, QSize(size, size));
        }
    }
    return icon;
}
