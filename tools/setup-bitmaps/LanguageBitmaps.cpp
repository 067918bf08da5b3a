// Draws setup's twenty language pictures once, into resources/setup/bitmaps/ (committed):
// 274 x 19 pixels, the language's own name and its English name in parentheses, black on
// white (normal) and white on blue (highlighted); 24 bits per pixel, Thai's normal one 8.
//
//   setup-language-bitmaps <output folder>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstdio>

namespace {

struct Picture
{
    const char* text;
    const char* family;
    int normalId;
    int highlightedId;
};

constexpr Picture kPictures[] = {
    {"日本語 (Japanese)", "Noto Sans CJK JP", 2157, 2161},
    {"English (English)", "Noto Sans", 2158, 2162},
    {"Français (French)", "Noto Sans", 2159, 2163},
    {"Español (Spanish)", "Noto Sans", 2160, 2164},
    {"Deutsch (German)", "Noto Sans", 2181, 2186},
    {"한국어 (Korean)", "Noto Sans CJK KR", 2182, 2187},
    {"ภาษาไทย (Thai)", "Noto Sans Thai", 2183, 2189},
    {"简体中文 (Chinese Simplified)", "Noto Sans CJK SC", 2166, 2167},
    {"繁體中文 (Chinese Traditional)", "Noto Sans CJK TC", 2184, 2190},
    {"Русский (Russian)", "Noto Sans", 2185, 2191},
};

constexpr int kWidth = 274;
constexpr int kHeight = 19;
constexpr int kEightBitPicture = 2183;
const QColor kHighlight(0, 120, 215);

QImage Draw(const Picture& picture, bool highlighted)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    image.fill(highlighted ? kHighlight : QColor(Qt::white));
    QPainter painter(&image);
    QFont font(QString::fromUtf8(picture.family));
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(highlighted ? QColor(Qt::white) : QColor(Qt::black));
    painter.drawText(QRect(3, 0, kWidth - 6, kHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8(picture.text));
    return image;
}

bool Save(const QImage& image, const QString& folder, int id)
{
    const QImage stored =
        id == kEightBitPicture ? image.convertToFormat(QImage::Format_Indexed8) : image;
    const QString path = QStringLiteral("%1/%2.bmp").arg(folder).arg(id);
    if (!stored.save(path, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: setup-language-bitmaps <output folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const Picture& picture : kPictures) {
        if (!Save(Draw(picture, false), folder, picture.normalId) ||
            !Save(Draw(picture, true), folder, picture.highlightedId)) {
            return 1;
        }
    }
    return 0;
}
