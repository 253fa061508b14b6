#pragma once

#include <QString>
#include <vector>

// The text the preview's engine reads for a buffer text, character for character as the preview
// file holds it: the base element the preview writes after each head tag (the tag in small
// letters), a lone surrogate as
// "?" (as the file's UTF-8 has it), and the line break and recovery note the file ends with.
// Line breaks stay the editor's U+2029, which the parser reads as a line feed, so a position here
// differs from the editor's only by what the preview put in.
class PreviewText {
public:
    // `raw`: the editor's own text. `baseElement`: what the preview writes after "<head>", as
    // <base href="..."> with the working folder's address.
    void build(const QString& raw, const QString& baseElement);

    const QString& text() const { return m_text; }
    const char16_t* data() const { return reinterpret_cast<const char16_t*>(m_text.utf16()); }
    int length() const { return int(m_text.size()); }

    // Editor position of a position here. Inside an inserted element it is the place of the
    // insertion; in the file's closing note, the end of the editor's text.
    int toEditor(int position) const;
    int fromEditor(int editorPosition) const;
    // Whether the position lies in something the preview added rather than the buffer's text.
    bool isAdded(int position) const;

    // Replaces `removed` characters at `position` (here) by `inserted`, an edit of the buffer's
    // text that leaves every head tag, base element and lone surrogate as it was: what the
    // preview added after the edit moves with it.
    void replace(int position, int removed, QStringView inserted);

    bool operator==(const PreviewText&) const = default;

private:
    QString m_text;
    std::vector<int> m_added; // where each inserted element begins here
    int m_addedLength = 0;    // the length of one
    int m_editorLength = 0;
};
