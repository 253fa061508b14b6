#pragma once

#include <QString>

struct Settings;

namespace StartPages {

// The hidden text of txtfirst: the first-run page.
QString firstRunPage();
// The hidden text of txtDQ: a double quote, then the about page broken over lines at blanks.
QString quoteAndAboutPage();
// The address the preview shows at start; `helpFile` is the help page's path.
QString startAddress(const Settings& settings, bool firstRun, const QString& helpFile);

} // namespace StartPages
