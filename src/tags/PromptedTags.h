#pragma once

#include <QString>
#include <span>

class EditBuffer;
class Host;

// The HTML menu's commands that ask for their values before calling InsertTag. Answers go in
// exactly as typed; a cancelled box is the empty answer. Font, rule, table and body leave the
// caret in an empty color value and, when the user agrees, inject F2 for the color code tool.
class PromptedTags {
public:
    // `quote` is the program's QuoteChar, read at each command.
    PromptedTags(Host& host, EditBuffer& buffer, const QString& quote);

    void mnuHTMLa_Click();
    void mnuHTMLbase_Click();
    void mnuHTMLlink_Click();
    void mnuHTMLtitle_Click();
    void mnuHTMLfont_Click();
    void mnuHTMLh1_Click();
    void mnuHTMLhr_Click();
    void mnuHTMLimg_Click();
    void mnuHTMLt_Click();
    void mnuHTMLbody_Click();
    void mnuHTMLbgm_Click();
    void mnuHTMLautolink_Click();

    struct Item {
        const char* item;
        const char* caption;
        void (PromptedTags::*click)();
    };
    static std::span<const Item> items();

private:
    QString quoted(const QString& value) const { return m_quote + value + m_quote; }
    bool askYesNo(const QString& prompt, const QString& title);
    void offerColor(const QString& prompt, const QString& title);

    Host& m_host;
    EditBuffer& m_buffer;
    const QString& m_quote;
};
