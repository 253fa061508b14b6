#pragma once

#include "host/Host.h"

#include <QString>
#include <span>

class EditBuffer;

// The style sheet filters: each writes ` STYLE="FILTER:...;"` at the start of the selection,
// which the user has put inside an opening tag after its element name. Nothing is wrapped or
// deleted, and the focus stays where it is. Glow and drop shadow leave the caret at COLOR= and
// inject F2 for the color code tool.
class StyleFilters {
public:
    StyleFilters(Host& host, EditBuffer& buffer, const QString& quote);

    void mnuHTMLstylealpha_Click();
    void nnuHTMLstyleblur_Click();
    void mnuHTMLstyledropshadow_Click();
    void mnuHTMLstylefliph_Click();
    void mnuHTMLstyleflipv_Click();
    void mnuHTMLstylefilterglow_Click();
    void mnuHTMLstylewave_Click();
    void mnuHTMLstylexray_Click();

    struct Item {
        const char* item;
        const char* caption;
        void (StyleFilters::*click)();
    };
    static std::span<const Item> items();

private:
    void collapseSelection();
    void insertStyle(const QString& declaration);
    bool askYesNo(const QString& prompt, const QString& title);
    // Beep, tell the user, step back into the empty COLOR value, inject F2.
    void openColorTool(const QString& prompt, Icon icon, const QString& title);

    Host& m_host;
    EditBuffer& m_buffer;
    const QString& m_quote;
};
