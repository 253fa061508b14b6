// Without libFuzzer a fuzz target replays inputs: each file named on the command line, and every
// file in each folder named, once, in name order. Options (arguments that begin with "-") are
// libFuzzer's and are left alone, so one test command serves both builds.
#include "FuzzSupport.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(u'-'))
            continue;
        const QFileInfo info(arg);
        if (!info.isDir()) {
            files << arg;
            continue;
        }
        const QDir dir(arg);
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
            files << dir.filePath(name);
    }
    for (const QString& file : files) {
        std::fprintf(stderr, "Running: %s\n", qPrintable(file));
        const QByteArray bytes = fuzz::readFile(file);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                               size_t(bytes.size()));
    }
    std::fprintf(stderr, "Replayed %lld inputs\n", static_cast<long long>(files.size()));
    return 0;
}
