#include "RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString kindOf(mode_t mode) {
    if (S_ISFIFO(mode))
        return QStringLiteral("名前付きパイプ");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("デバイス");
    if (S_ISSOCK(mode))
        return QStringLiteral("ソケット");
    if (S_ISDIR(mode))
        return QStringLiteral("フォルダ");
    return QStringLiteral("特殊なファイル");
}

void fail(QString* error, const QString& reason) {
    if (error)
        *error = reason;
}

bool refusedKind(const struct stat& info, QString* error) {
    if (S_ISREG(info.st_mode))
        return false;
    fail(
        error,
        QStringLiteral("通常のファイルではないため読み込めません（%1）").arg(kindOf(info.st_mode)));
    return true;
}

} // namespace

bool openRegularFile(QFile& file, const QString& path, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    // A device is not even opened: opening some of them does something.
    struct stat info {};
    if (::stat(name.constData(), &info) == 0 && refusedKind(info, error))
        return false;
    // Opened without waiting and looked at again: the file read is the one that was checked.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fail(error, qt_error_string(errno));
        return false;
    }
    if (::fstat(fd, &info) != 0) {
        fail(error, qt_error_string(errno));
        ::close(fd);
        return false;
    }
    if (refusedKind(info, error)) {
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        fail(error, file.errorString());
        ::close(fd);
        return false;
    }
    return true;
}
