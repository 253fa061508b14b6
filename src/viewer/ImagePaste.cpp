#include "ImagePaste.h"

#include "host/EditBuffer.h"
#include "host/Host.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace {

const QString kSameFolderPrompt =
    QStringLiteral("指定した画像と編集しているドキュメントは同じ場所にあります。\r\n"
                   "フルパスではなく、ドキュメントがある場所以下のパスで貼り付けますか？");
const QString kSameFolderTitle = QStringLiteral("画像の位置");

bool isDriveLetterPath(const QString& path) {
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    return drive.match(path).hasMatch();
}

// A drive-letter working folder: every occurrence of it is taken out of the path, backslashes
// become slashes and a leading slash goes.
QString relativeToDriveFolder(QString path, const QString& folder) {
    path.remove(folder, Qt::CaseSensitive);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return path;
}

// The part of `path` below `folder`, or a null string when the path does not lie inside it.
// Only a whole leading folder counts: "/web" is not inside "/website", and "/" is never cut
// out of the middle of a path.
QString belowFolder(const QString& path, const QString& folder) {
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    if (folder.isEmpty() || path.size() <= prefix.size() || !path.startsWith(prefix))
        return {};
    return path.mid(prefix.size());
}

} // namespace

ImagePaste::ImagePaste(Host& host, EditBuffer& buffer, const QString& quoteChar)
    : m_host(host), m_buffer(buffer), m_quote(quoteChar) {}

QString ImagePaste::chooseSourcePath(const QString& path) {
    const QString folder = m_host.workingFolder();
    if (isDriveLetterPath(folder)) {
        if (!path.contains(folder, Qt::CaseInsensitive))
            return path;
        const Answer a = m_host.messageBox(kSameFolderPrompt, Buttons::YesNo, Icon::Information,
                                           kSameFolderTitle);
        return a == Answer::Yes ? relativeToDriveFolder(path, folder) : path;
    }
    const QString rest = belowFolder(path, folder);
    if (rest.isNull())
        return path;
    const Answer a =
        m_host.messageBox(kSameFolderPrompt, Buttons::YesNo, Icon::Information, kSameFolderTitle);
    return a == Answer::Yes ? rest : path;
}

QString ImagePaste::sizeText(const QString& selectedName, const QString& path) {
    const qint64 kb = QFileInfo(path).size() / 1024;
    return selectedName + QStringLiteral(" Size:") + QString::number(kb) + QStringLiteral("KB");
}

QString ImagePaste::suggestedHeight(const QString& width) {
    bool ok = false;
    const QString t = width.trimmed();
    double n = QLocale::system().toDouble(t, &ok);
    if (!ok)
        n = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(n))
        return QStringLiteral("0");
    if (n <= 0)
        return QStringLiteral("240");
    return QString::number(std::floor(n / 4 * 3), 'f', 0);
}

void ImagePaste::insertAtCaret(const QString& tag) {
    // The tag goes in at the start of the selection; the selected text stays behind it.
    m_buffer.setSelectionLength(0);
    m_buffer.replaceSelection(tag);
}

std::optional<QString> ImagePaste::beginPaste(const QString& path) {
    if (path.isEmpty()) {
        m_host.beep();
        return std::nullopt;
    }
    const QString source = chooseSourcePath(path);
    m_buffer.setSelectionLength(0);
    m_host.beep();
    return source;
}

void ImagePaste::mnuHTMLn_Click(const QString& path, const QString& selectedName) {
    const std::optional<QString> source = beginPaste(path);
    if (!source)
        return;
    const QString alt =
        m_host.inputBox(QStringLiteral("画像の説明を入力してください"),
                        QStringLiteral("画像の貼り付け"), sizeText(selectedName, path));
    const QString& q = m_quote;
    insertAtCaret(QStringLiteral("<IMG SRC=") + q + *source + q + QStringLiteral(" ALT=") + q +
                  alt + q + QStringLiteral(">"));
    m_host.beep();
}

void ImagePaste::mnuHTMLs_Click(const QString& path, const QString& selectedName) {
    const std::optional<QString> source = beginPaste(path);
    if (!source)
        return;
    const QString width =
        m_host.inputBox(QStringLiteral("画像の横幅を指定してください"),
                        QStringLiteral("画像の貼り付け（横幅指定）"), QStringLiteral("320"));
    const QString height = suggestedHeight(width);
    m_host.beep();
    const QString givenHeight =
        m_host.inputBox(QStringLiteral("画像の縦幅を指定してください"),
                        QStringLiteral("画像の貼り付け（縦幅指定）"), height);
    const QString alt = m_host.inputBox(QStringLiteral("画像の説明を入力してください"),
                                        QStringLiteral("画像の説明"), sizeText(selectedName, path));
    const QString& q = m_quote;
    insertAtCaret(QStringLiteral("<IMG SRC=") + q + *source + q + QStringLiteral(" width=") + q +
                  width + q + QStringLiteral(" height=") + q + givenHeight + q +
                  QStringLiteral(" alt=") + q + alt + q + QStringLiteral(">"));
    m_host.beep();
}

void ImagePaste::mnuPathCopy_Click(const QString& path) {
    m_host.setClipboardText(QString());
    m_host.setClipboardText(path);
    m_host.beep();
    m_host.messageBox(QStringLiteral("コピーしました：\r\n\r\n") + path, Buttons::Ok,
                      Icon::Information, QStringLiteral("パスのコピー"));
}
