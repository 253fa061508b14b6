#include "support/TestApp.h"
class Tst : public QObject { Q_OBJECT };
TAGLOOM_TEST_MAIN(Tst)
#include "tst_settings.moc"
