#include "StartupTrace.h"

#include <QDateTime>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcStartup, "tagloom.startup", QtWarningMsg)

} // namespace

void traceStartup(const char* moment) {
    qCDebug(lcStartup, "%s %lld", moment, QDateTime::currentMSecsSinceEpoch());
}
