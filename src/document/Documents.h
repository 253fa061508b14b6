#pragma once

#include "host/TextFile.h"

#include <QString>
#include <functional>

class EditBuffer;
class Host;
class Preview;
struct ProgramState;

// The one document being edited: open, overwrite, save under a name, the new-file wizard.
// A document keeps the encoding and line ending it was read with; a new one is CP932 with
// CR LF. Nothing is ever written that would lose a character.
class Documents {
public:
    using CaptionSetter = std::function<void(const QString&)>;

    Documents(ProgramState& state, Host& host, EditBuffer& buffer, Preview& preview,
              CaptionSetter setCaption);

    // load != 0: choose a file and load it (result ""); load == 0: only return the chosen path.
    QString OpenDocument(int load);
    // path "": save under a name from the save dialog; otherwise overwrite DocumentPath.
    void SaveDocument(const QString& path);

    void mnuOpenFile_Click() { OpenDocument(1); }
    void mnuUpdateFile_Click();
    void mnuSaveFile_Click() { SaveDocument(QString()); }
    void mnuNewFile_Click();

    // The unsaved-changes question before the buffer is replaced. True when the caller may go
    // on: No, or Yes with the document saved.
    bool confirmDiscard(const QString& title);

    bool isInternalFile(const QString& path) const;
    static QString caption(const QString& documentPath);

    TextEncoding encoding() const { return m_encoding; }
    LineEnding lineEnding() const { return m_lineEnding; }
    // The encoding and line ending of a document that did not come from a file.
    void resetFormat();

private:
    bool writeDocument(const QString& path);
    // A file read with a damaged character in it is not passed off as read cleanly.
    void tellOfDamagedCharacter(const QString& text, TextEncoding encoding);
    // The program's own files are never opened or written as documents: says so, returns true.
    bool refusedAsInternal(const QString& path);

    ProgramState& m_state;
    Host& m_host;
    EditBuffer& m_buffer;
    Preview& m_preview;
    CaptionSetter m_setCaption;
    TextEncoding m_encoding = TextEncoding::Cp932;
    LineEnding m_lineEnding = LineEnding::CrLf;
    // The bytes of a document whose encoding would not write them itself, and where they came
    // from: saved there unchanged, the document is written as these bytes.
    QByteArray m_openedBytes;
    QString m_openedPath;
};
