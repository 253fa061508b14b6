#pragma once

#include <QString>
#include <optional>

class EditBuffer;
class Host;

// The viewer's three commands on the picture it shows: the plain image tag, the tag with a
// width and a height, and the copy of the picture's path. Each works on the viewer's `Path`
// and, for the suggested description, on the name selected in its file list.
class ImagePaste {
public:
    ImagePaste(Host& host, EditBuffer& buffer, const QString& quoteChar);

    // "<IMG SRC=…ALT=…>" at the caret; any selected text stays after it.
    void mnuHTMLn_Click(const QString& path, const QString& selectedName);
    // "<IMG SRC=… width=… height=… alt=…>" at the caret.
    void mnuHTMLs_Click(const QString& path, const QString& selectedName);
    void mnuPathCopy_Click(const QString& path);

    // The path the tag names: relative to the working folder when the user says so.
    QString chooseSourcePath(const QString& path);

    // "a.gif Size:12KB": the listed name and the size of the file at `path`, floor of KB.
    static QString sizeText(const QString& selectedName, const QString& path);
    // Three quarters of a positive width, 240 for a width of 0 or less, 0 for no number.
    static QString suggestedHeight(const QString& width);

private:
    void insertAtCaret(const QString& tag);
    // The start of both pastes: a beep and nothing more without a picture, else the path to
    // write (asking about the relative form), the caret at the selection's start and a beep.
    std::optional<QString> beginPaste(const QString& path);

    Host& m_host;
    EditBuffer& m_buffer;
    QString m_quote;
};
