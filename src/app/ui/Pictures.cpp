#include "Pictures.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace Pictures {

QPixmap Load(const QString& name, QSize size) {
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(name));
    if (!renderer.isValid())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap Disabled(const QPixmap& picture) {
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Grey, lightened towards white and half transparent: readable but plainly out of use.
            const int grey = 150 + qGray(line[x]) * 90 / 255;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 11 / 20);
        }
    }
    return QPixmap::fromImage(image);
}

QIcon ToolIcon(const QString& name) {
    const QPixmap enabled = Load(name, {48, 48});
    QIcon icon;
    icon.addPixmap(enabled, QIcon::Normal);
    icon.addPixmap(Disabled(enabled), QIcon::Disabled);
    return icon;
}

} // namespace Pictures
