#include "FittedImage.h"

#include <QImageIOHandler>
#include <QImageReader>

namespace {

// `size` shrunk into `box` with its shape kept; a picture far thinner than the box keeps at
// least one pixel across, rather than none (an image of no pixels would read as broken).
QSize fittedSize(const QSize& size, const QSize& box) {
    return size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

} // namespace

QImage loadFittedImage(QImageReader& reader, const QSize& box) {
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    // Shrunk while decoding, never enlarged past the picture's own size, where the decoder
    // itself can shrink. Any other is read whole and shrunk after: asked to, the reader would
    // stretch whatever it decoded to the shape the header gave, and a damaged GIF's header may
    // give 0 high, or any other size, over a frame of thousands of rows.
    if (reader.supportsOption(QImageIOHandler::ScaledSize) && !size.isEmpty() &&
        (size.width() > box.width() || size.height() > box.height()))
        reader.setScaledSize(fittedSize(size, box));
    QImage image = reader.read();
    if (!image.isNull() && (image.width() > box.width() || image.height() > box.height()))
        image = image.scaled(fittedSize(image.size(), box), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    return image;
}
