#include "InsertTag.h"

#include "host/EditBuffer.h"

void InsertTag(EditBuffer& buffer, const QString& rawOpen, const QString& rawClose, bool placeCaret,
               short back) {
    // Lengths are counted in the buffer's units, where every line break is two characters.
    const QString open = EditBuffer::normalizeLineBreaks(rawOpen);
    const QString close = EditBuffer::normalizeLineBreaks(rawClose);
    const QString sel = buffer.selectedText();
    const int s = buffer.selectionStart();
    buffer.replaceSelection(QString());
    buffer.replaceSelection(open + sel + close);
    if (placeCaret) {
        const int e = s + int(open.size() + sel.size() + close.size());
        buffer.setSelectionStart(back == 0 ? e - int(close.size()) : e - back - int(sel.size()));
    }
    buffer.focus();
}
