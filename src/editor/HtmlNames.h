#pragma once

#include <QLatin1StringView>
#include <QList>
#include <QStringView>

// The element and attribute names of the current HTML standard, with the enumerated values of a
// few attributes, as one table in small letters. The obsolete elements and attributes the
// program's own menus insert (FONT, CENTER, XMP, BGCOLOR, ...) are in it too, marked obsolete.
namespace HtmlNames {

struct Name {
    QLatin1StringView text;
    bool obsolete = false;
};

// Element names that begin with `prefix` (in any letter case), in alphabetical order.
QList<Name> elementsStartingWith(QStringView prefix);

// Attribute names of `element` that begin with `prefix`: the element's own first, then the
// global ones, each group in alphabetical order. An unknown element has only the global ones.
QList<Name> attributesStartingWith(QStringView element, QStringView prefix);

// The values of an enumerated attribute of `element` that begin with `prefix`; none for an
// attribute whose values are not a fixed list.
QList<Name> valuesStartingWith(QStringView element, QStringView attribute, QStringView prefix);

} // namespace HtmlNames
