#include "Documents.h"

#include "Preview.h"
#include "host/EditBuffer.h"
#include "host/Host.h"
#include "state/ProgramState.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kFilter = QStringLiteral("HTMLファイル(*.html,*.htm)|*.html;*.htm");
const QString kInternalTitle = QStringLiteral("ファイルオープン");
const QString kInternalText = QStringLiteral("このファイルはプログラム内部で使用しています");
const QString kCancelled = QStringLiteral("キャンセルになりました");

} // namespace

Documents::Documents(ProgramState& state, Host& host, EditBuffer& buffer, Preview& preview,
                     CaptionSetter setCaption)
    : m_state(state), m_host(host), m_buffer(buffer), m_preview(preview),
      m_setCaption(std::move(setCaption)) {}

QString Documents::caption(const QString& documentPath) {
    return QStringLiteral("Tagloom -") + documentPath;
}

bool Documents::isInternalFile(const QString& path) const {
    return path == m_host.helpFile() ||
           path == m_host.appFile(QStringLiteral("HTML-TGLM-temp.html"));
}

bool Documents::refusedAsInternal(const QString& path) {
    if (!isInternalFile(path))
        return false;
    m_host.beep();
    m_host.messageBox(kInternalText, Buttons::Ok, Icon::Exclamation, kInternalTitle);
    return true;
}

void Documents::resetFormat() {
    m_encoding = TextEncoding::Cp932;
    m_lineEnding = LineEnding::CrLf;
    m_openedBytes.clear();
    m_openedPath.clear();
}

bool Documents::confirmDiscard(const QString& title) {
    if (m_state.document.DocumentSaved)
        return true;
    m_host.beep();
    const Answer answer = m_host.messageBox(
        QStringLiteral("編集中だったファイルへの変更が保存されていません。\r\n\r\n"
                       "変更を保存しますか？"),
        Buttons::YesNoCancel, Icon::Information, title);
    if (answer == Answer::Cancel)
        return false;
    if (answer == Answer::Yes) {
        SaveDocument(m_state.document.DocumentPath);
        m_host.beep();
        return m_state.document.DocumentSaved;
    }
    return true;
}

QString Documents::OpenDocument(int load) {
    if (load != 0 && !confirmDiscard(QStringLiteral("保存確認")))
        return {};
    FileDialogRequest request;
    request.title = QStringLiteral("HTMLファイルを開く");
    request.filter = kFilter;
    request.initialFolder = m_state.settings.OpenLastFolder == 1 ? m_state.settings.LastDocumentPath
                                                                 : m_host.applicationFolder();
    request.fileMustExist = true;
    const std::optional<QString> chosen = m_host.openFileDialog(request);
    if (!chosen) {
        m_host.messageBox(kCancelled, Buttons::Ok, Icon::Exclamation);
        return {};
    }
    if (refusedAsInternal(*chosen))
        return {};
    if (load == 0)
        return *chosen;

    // Read and decode first: a file that cannot be read leaves the buffer as it was.
    QString error;
    const std::optional<DecodedText> read = readTextFile(*chosen, &error);
    if (!read) {
        m_host.messageBox(QStringLiteral("ファイルを開けませんでした。\r\n") + *chosen +
                              QStringLiteral("\r\n") + error,
                          Buttons::Ok, Icon::Exclamation, kInternalTitle);
        return {};
    }
    DocumentState& doc = m_state.document;
    doc.DocumentPath = *chosen;
    m_buffer.setText(QString());
    m_buffer.setTag(QStringLiteral("no"));
    m_buffer.loadText(linesToCrLf(read->text));
    m_buffer.setTag(QString());
    m_encoding = read->encoding;
    m_lineEnding = detectLineEnding(read->text);
    m_openedPath = *chosen;
    m_openedBytes.clear();
    // Bytes the pane's text would not give back: kept, and written back as long as the page
    // is saved unchanged.
    if (!read->exact || !EditBuffer::widgetHoldsAsIs(read->text)) {
        QFile file(*chosen);
        if (file.open(QIODevice::ReadOnly))
            m_openedBytes = file.readAll();
    }
    m_host.setWorkingFolder(QFileInfo(*chosen).absolutePath());
    m_setCaption(caption(doc.DocumentPath));
    doc.DocumentSaved = true;
    m_preview.RefreshPreview();
    m_state.settings.LastDocumentPath = doc.DocumentPath;
    tellOfDamagedCharacter(read->text, read->encoding);
    return {};
}

void Documents::tellOfDamagedCharacter(const QString& text, TextEncoding encoding) {
    // Every other decoder refuses bytes that would give half a surrogate pair, so only a UTF-16
    // text needs the look.
    if (encoding != TextEncoding::Utf16LeBom && encoding != TextEncoding::Utf16BeBom)
        return;
    const qsizetype damaged = firstLoneSurrogate(text);
    if (damaged < 0)
        return;
    m_host.messageBox(
        QStringLiteral("このファイルには") + describeDamagedCharacter(text, damaged) +
            QStringLiteral("が含まれています。ファイルが壊れている可能性があります。\r\n%1 のまま"
                           "上書き保存すれば、その文字も元のとおりに書き戻されます。ほかの文字"
                           "コードでは保存できません。")
                .arg(encodingName(encoding)),
        Buttons::Ok, Icon::Exclamation, kInternalTitle);
}

bool Documents::writeDocument(const QString& path) {
    QString text = m_buffer.text();
    // The final line break only when the text lacks one, so open-and-save keeps the file as is.
    if (!text.endsWith(QLatin1String("\r\n")))
        text.append(QLatin1String("\r\n"));
    if (m_lineEnding == LineEnding::Lf)
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));

    // Saved unchanged where it came from, a page keeps the bytes it was read from, though its
    // encoding would spell the text otherwise, or the pane could not hold a character of it: the
    // bytes on disk are the user's.
    const std::optional<QString> opened = path == m_openedPath && !m_openedBytes.isEmpty()
                                              ? decodeText(m_openedBytes, m_encoding)
                                              : std::nullopt;
    if (opened && EditBuffer::heldByWidget(*opened) == text) {
        QString error;
        if (writeFileAtomic(path, m_openedBytes, &error))
            return true;
        m_host.messageBox(QStringLiteral("ファイルを保存できませんでした。\r\n") + path +
                              QStringLiteral("\r\n") + error,
                          Buttons::Ok, Icon::Exclamation, QStringLiteral("セーブエラー"));
        return false;
    }

    TextEncoding encoding = m_encoding;
    // UTF-16 writes a damaged character back as it was read; no other encoding can hold it.
    const qsizetype damaged = firstLoneSurrogate(text);
    if (damaged >= 0 && encoding != TextEncoding::Utf16LeBom &&
        encoding != TextEncoding::Utf16BeBom) {
        m_host.messageBox(describeDamagedCharacter(text, damaged) +
                              QStringLiteral("が含まれているため、%1 では保存できません。その文字を"
                                             "削除してから保存してください。")
                                  .arg(encodingName(encoding)),
                          Buttons::Ok, Icon::Exclamation, QStringLiteral("セーブエラー"));
        return false;
    }
    const QStringList unfit = unencodableCharacters(text, encoding);
    if (!unfit.isEmpty()) {
        const Answer answer = m_host.messageBox(
            QStringLiteral("次の文字は %1 では保存できません：\r\n%2\r\n\r\n"
                           "UTF-8 で保存しますか？（「いいえ」で保存を取り消します）")
                .arg(encodingName(encoding), unfit.mid(0, 20).join(QStringLiteral(" "))),
            Buttons::YesNo, Icon::Exclamation, QStringLiteral("文字コードの確認"));
        if (answer != Answer::Yes) {
            m_host.messageBox(kCancelled, Buttons::Ok, Icon::Exclamation);
            return false;
        }
        // With the mark the browser reads UTF-8 even where the page still declares Shift_JIS.
        encoding = TextEncoding::Utf8Bom;
    }
    const std::optional<QByteArray> bytes = encodeText(text, encoding);
    QString error;
    if (!bytes || !writeFileAtomic(path, *bytes, &error)) {
        m_host.messageBox(QStringLiteral("ファイルを保存できませんでした。\r\n") + path +
                              QStringLiteral("\r\n") + error,
                          Buttons::Ok, Icon::Exclamation, QStringLiteral("セーブエラー"));
        return false;
    }
    m_encoding = encoding;
    m_openedBytes.clear();
    return true;
}

void Documents::SaveDocument(const QString& path) {
    DocumentState& doc = m_state.document;
    if (!path.isEmpty()) {
        if (refusedAsInternal(doc.DocumentPath))
            return;
        if (!writeDocument(doc.DocumentPath))
            return;
        doc.DocumentSaved = true;
        m_preview.RefreshPreview();
        return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("HTMLファイルの保存");
    request.filter = kFilter;
    request.initialFolder = m_host.applicationFolder();
    request.confirmOverwrite = true;
    request.folderMustExist = true;
    const std::optional<QString> chosen = m_host.saveFileDialog(request);
    if (!chosen) {
        m_host.messageBox(kCancelled, Buttons::Ok, Icon::Exclamation);
        return;
    }
    doc.DocumentPath = *chosen;
    if (refusedAsInternal(doc.DocumentPath))
        return;
    if (!writeDocument(doc.DocumentPath))
        return;
    m_setCaption(caption(doc.DocumentPath));
    doc.DocumentSaved = true;
    m_preview.RefreshPreview();
}

void Documents::mnuUpdateFile_Click() {
    if (!m_state.document.DocumentPath.isEmpty()) {
        SaveDocument(m_state.document.DocumentPath);
        return;
    }
    m_host.beep();
    m_host.messageBox(QStringLiteral("ファイルが保存されていません｡"), Buttons::Ok,
                      Icon::Exclamation, QStringLiteral("セーブエラー"));
}

void Documents::mnuNewFile_Click() {
    if (!confirmDiscard(QStringLiteral("保存確認")))
        return;
    m_host.messageBox(QStringLiteral("新規作成ウィザードを開始します｡"), Buttons::Ok,
                      Icon::Information, QStringLiteral("新規作成ウィザード"));
    m_host.beep();
    const QString title = m_host.inputBox(QStringLiteral("ページのタイトルは？"),
                                          QStringLiteral("STEP:1"), QStringLiteral("page title"));
    m_buffer.loadText(QStringLiteral("<HTML>\r\n<HEAD>\r\n<TITLE>") + title +
                      QStringLiteral("</TITLE>\r\n</HEAD>\r\n<BODY>\r\n\r\n</BODY>\r\n</HTML>"));
    resetFormat();
    SaveDocument(QString());
}
