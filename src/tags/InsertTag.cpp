#include "InsertTag.h"

#include "host/EditBuffer.h"

void InsertTag(EditBuffer& buffer, const QString& open, const QString& close, bool placeCaret,
               short back) {
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
