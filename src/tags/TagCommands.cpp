#include "TagCommands.h"

#include "SimpleTags.h"

TagCommands::TagCommands(Host& host, EditBuffer& buffer, const QString& quote)
    : m_buffer(buffer), m_prompted(host, buffer, quote), m_filters(host, buffer, quote) {}

void TagCommands::wireAll(const Wire& wire) {
    for (const SimpleTag& tag : simpleTags())
        wire(QString::fromLatin1(tag.item), [this, &tag] { runSimpleTag(m_buffer, tag); });
    for (const PromptedTags::Item& p : PromptedTags::items())
        wire(QString::fromLatin1(p.item), [this, click = p.click] { (m_prompted.*click)(); });
    for (const StyleFilters::Item& f : StyleFilters::items())
        wire(QString::fromLatin1(f.item), [this, click = f.click] { (m_filters.*click)(); });
}
