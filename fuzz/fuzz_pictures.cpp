// Pictures in the image viewer. Whatever bytes a picture file holds, the viewer gets a null image
// (and says the picture is broken) or one that fits its box; a picture that decodes at all is
// shown, fitted into the box with its shape kept, and one that fits already is shown as it is.
// The decoders are Qt's; what is fuzzed here is what the viewer does around them.
#include "FuzzSupport.h"
#include "viewer/FittedImage.h"

#include <QBuffer>
#include <QImageReader>

using namespace Qt::Literals::StringLiterals;

namespace {

QImage decoded(const QByteArray& bytes, const QSize* box) {
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    QImageReader reader(&device);
    if (!box) {
        reader.setDecideFormatFromContent(true);
        return reader.read();
    }
    return loadFittedImage(reader, *box);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A damaged header may declare a picture of thousands of pixels a side, which the decoders
    // allocate and clear before they find the damage: at Qt's own 256 MB limit that clearing was
    // nearly all of a run (16 runs a second). 16 MB still holds a picture twice the largest box
    // each way, and the viewer's code does the same above the box whatever the size.
    static const bool limited = (QImageReader::setAllocationLimit(16), true);
    (void)limited;
    fuzz::Input in(data, size);
    // The viewer's own box, or any other.
    const QSize box =
        in.flag() ? QSize(388, 266) : QSize(1 + int(in.number(1023)), 1 + int(in.number(1023)));
    const QByteArray bytes = in.rest();
    const QImage fitted = decoded(bytes, &box);
    const QString sizes = QStringLiteral("box %1x%2, shown %3x%4")
                              .arg(box.width())
                              .arg(box.height())
                              .arg(fitted.width())
                              .arg(fitted.height());
    if (!fitted.isNull())
        FUZZ_CHECK(fitted.width() <= box.width() && fitted.height() <= box.height(), sizes);

    const QImage whole = decoded(bytes, nullptr);
    if (whole.isNull())
        return 0;
    const QString all =
        sizes + QStringLiteral(", picture %1x%2").arg(whole.width()).arg(whole.height());
    FUZZ_CHECK(!fitted.isNull(), all);
    if (whole.width() <= box.width() && whole.height() <= box.height()) {
        FUZZ_CHECK(fitted.size() == whole.size(), all);
        return 0;
    }
    // Shrunk until one side meets the box, the shape kept to within the few pixels a decoder's
    // own scaling may round a damaged picture by.
    FUZZ_CHECK(fitted.width() == box.width() || fitted.height() == box.height(), all);
    const qint64 skew =
        qint64(fitted.width()) * whole.height() - qint64(fitted.height()) * whole.width();
    FUZZ_CHECK(std::abs(skew) <= 4 * (qint64(whole.width()) + whole.height()), all);
    return 0;
}
