#pragma once

#include <QString>
#include <span>

class EditBuffer;

// A menu item that wraps the selection in fixed texts: one InsertTag call and nothing else.
struct SimpleTag {
    const char* item;    // menu item name
    const char* caption; // menu caption
    const char* open;
    const char* close;
    bool placeCaret;
    short back;
};

std::span<const SimpleTag> simpleTags();
const SimpleTag* findSimpleTag(const QString& item);

void runSimpleTag(EditBuffer& buffer, const SimpleTag& tag);
