#pragma once

// Marks the moments of start-up (splash shown, main window shown, start page shown) with the
// wall-clock time, for timing start-up from outside. Silent unless Qt's logging rules enable
// the category "tagloom.startup", e.g. QT_LOGGING_RULES="tagloom.startup.debug=true".
void traceStartup(const char* moment);
