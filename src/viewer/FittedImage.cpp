#include "FittedImage.h"

#include <QImageReader>

QImage loadFittedImage(QImageReader& reader, const QSize& box) {
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    // Shrunk while decoding, never enlarged past the picture's own size.
    if (size.isValid() && (size.width() > box.width() || size.height() > box.height()))
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (!image.isNull() && (image.width() > box.width() || image.height() > box.height()))
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}
