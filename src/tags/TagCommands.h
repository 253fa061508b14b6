#pragma once

#include "PromptedTags.h"
#include "StyleFilters.h"

#include <QString>
#include <functional>

class EditBuffer;
class Host;

// Every command of the HTML menu, ready to be connected to its item by name.
class TagCommands {
public:
    TagCommands(Host& host, EditBuffer& buffer, const QString& quote);

    using Wire = std::function<void(const QString& item, std::function<void()> command)>;
    // Hands each item name with its command to `wire`. The commands live as long as this object.
    void wireAll(const Wire& wire);

    PromptedTags& prompted() { return m_prompted; }
    StyleFilters& filters() { return m_filters; }

private:
    EditBuffer& m_buffer;
    PromptedTags m_prompted;
    StyleFilters m_filters;
};
