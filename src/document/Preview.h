#pragma once

#include <QObject>
#include <QString>
#include <optional>

class EditBuffer;
class Host;
class QTimer;
struct ProgramState;

// The preview: the buffer text, with a base address after each head tag, written to
// HTML-TGLM-temp.html in the application folder and shown in the browser pane. The preview
// file doubles as the recovery copy, so it is written in UTF-8 with a byte order mark: any text
// comes back exactly and the browser always reads it right.
class Preview : public QObject {
    Q_OBJECT
public:
    Preview(ProgramState& state, Host& host, EditBuffer& buffer, QTimer* timer1,
            QObject* parent = nullptr);

    QString previewFile() const;

    // Rewrites the preview file from the buffer and points the browser pane at it.
    void RefreshPreview();

    // Change handling: refreshes in mode 0 unless a file is being read; always marks unsaved.
    // The refresh runs as soon as the keystroke has been handled, so a burst of keys (a held
    // key on a long page) costs one refresh, not one each.
    void txtEdit_Change();
    bool refreshQueued() const { return m_refreshQueued; }
    // Focus handling: the interval refresh runs only while the text pane has the focus.
    void txtEdit_GotFocus();
    void txtEdit_LostFocus();
    void Timer1_Timer();
    // The interval as start-up and the options dialog set it.
    void applyTimerSetting();

    // mnuHelpDoc: the help file in the browser pane.
    void mnuHelpDoc_Click();

    // The file:/// address of a local path; "" for "".
    static QString ToFileUrl(const QString& path);
    // The text as written to the preview file (without the final line break).
    static QString withBaseElement(const QString& text, const QString& baseAddress,
                                   const QString& quote);
    // The preview file's bytes from the widget's raw text in one pass: the byte order mark, the
    // text with CR LF breaks and the base element, a final CR LF and the recovery note. The
    // same as encoding withBaseElement(EditBuffer::toCrLf(raw)) + CR LF + the note, without
    // building the text twice.
    static QByteArray previewBytes(const QString& raw, const QString& baseAddress,
                                   const QString& quote);
    // The text a preview file was written from, exactly as it was in the buffer: the base
    // elements the preview put in, the head tags it wrote in small letters and its final line
    // break are undone through the recovery note at the file's end (an HTML comment, which the
    // page does not show). nullopt when the file has no note or is not valid UTF-8.
    static std::optional<QString> recoveredText(const QByteArray& fileBytes);

private:
    ProgramState& m_state;
    Host& m_host;
    EditBuffer& m_buffer;
    QTimer* m_timer;
    bool m_refreshQueued = false;
    bool m_reportedWriteFailure = false;
};
