#pragma once

#include <QImage>
#include <QSize>

class QImageReader;

// The picture `reader` decodes, fitted into `box`: shrunk while decoding, keeping its shape, and
// never enlarged past its own size. A null image when it cannot be decoded.
QImage loadFittedImage(QImageReader& reader, const QSize& box);
