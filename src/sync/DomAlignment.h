#pragma once

#include <QString>
#include <vector>

struct SourceTree;

// Which element of the page stands for which element of the parse. When the page holds exactly
// the parse's elements (the usual case, told by their count and fingerprint) the two are the same
// list. When the page's scripts have added or removed elements, or the page shows an older text,
// the two trees are matched level by level on namespace and name: an element the page has and
// the parse lacks has no source.
class DomAlignment {
public:
    void setIdentity(int count);
    // `pageElements`: one line per element of the page in tree order, "depth namespace name",
    // as the page script describes them.
    void align(const SourceTree& tree, const QString& pageElements);

    bool isIdentity() const { return m_identity; }
    // The page's element for an element of the parse (SourceTree::elements index); -1 when the
    // page has none.
    int pageIndexOf(const SourceTree& tree, int element) const;
    // The parse's element (SourceTree::elements index) for the page's element, or for its
    // nearest ancestor that has one; -1 when none has.
    int elementOf(const SourceTree& tree, int pageIndex) const;

private:
    bool m_identity = true;
    int m_count = 0;
    std::vector<int> m_pageOfDom;  // by the parse's domIndex
    std::vector<int> m_domOfPage;  // by page index: the parse's domIndex, -1 when none
    std::vector<int> m_pageParent; // by page index
};
