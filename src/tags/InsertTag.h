#pragma once

#include <QString>

class EditBuffer;

// Puts `open` in front of the selection and `close` behind it, as two edits: the selection is
// first cleared, then the three pieces go in at its start. With `placeCaret` the caret moves
// back into the insertion: to just before `close` when `back` is 0, otherwise to `back`
// characters before the end of open + close, wherever the selection ended. The text box then
// takes the focus.
void InsertTag(EditBuffer& buffer, const QString& open, const QString& close, bool placeCaret,
               short back);
