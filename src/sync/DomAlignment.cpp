#include "DomAlignment.h"

#include "SourceTree.h"

#include <QList>
#include <QStringView>

namespace {

// How far ahead a level looks for the element that matches: far enough for a script's few
// additions or an edit's few new elements, near enough to stay linear.
constexpr int kLookAhead = 16;

// A tree as child lists in tree order: children of node i are kids[first[i] .. first[i+1]).
struct Tree {
    std::vector<int> first;
    std::vector<int> kids;
    std::vector<int> roots;

    explicit Tree(const std::vector<int>& parent) {
        const int n = int(parent.size());
        first.assign(size_t(n) + 1, 0);
        for (int i = 0; i < n; ++i)
            if (parent[size_t(i)] >= 0)
                ++first[size_t(parent[size_t(i)]) + 1];
        for (int i = 0; i < n; ++i)
            first[size_t(i) + 1] += first[size_t(i)];
        kids.resize(size_t(first[size_t(n)]));
        std::vector<int> fill(first.begin(), first.end() - 1);
        for (int i = 0; i < n; ++i) {
            if (parent[size_t(i)] >= 0)
                kids[size_t(fill[size_t(parent[size_t(i)])]++)] = i;
            else
                roots.push_back(i);
        }
    }
    int count(int node) const { return first[size_t(node) + 1] - first[size_t(node)]; }
    int kid(int node, int k) const { return kids[size_t(first[size_t(node)] + k)]; }
};

} // namespace

void DomAlignment::setIdentity(int count) {
    m_identity = true;
    m_count = count;
    m_pageOfDom.clear();
    m_domOfPage.clear();
    m_pageParent.clear();
}

void DomAlignment::align(const SourceTree& tree, const QString& pageElements) {
    m_identity = false;
    // The page's elements: parent from depth, key from namespace and name.
    std::vector<int> pageParent;
    std::vector<QString> pageKey;
    std::vector<int> lastAtDepth;
    for (const QStringView line : QStringView(pageElements).split(u'\n')) {
        const qsizetype space = line.indexOf(u' ');
        if (space <= 0)
            continue;
        const int depth = line.left(space).toInt();
        if (depth < 0 || depth > int(lastAtDepth.size()))
            continue;
        lastAtDepth.resize(size_t(depth));
        pageParent.push_back(depth > 0 ? lastAtDepth.back() : -1);
        lastAtDepth.push_back(int(pageParent.size()) - 1);
        pageKey.push_back(line.mid(space + 1).toString());
    }
    // The parse's document elements, by domIndex.
    const int domCount = int(tree.domElements.size());
    std::vector<int> domParent(static_cast<size_t>(domCount), -1);
    std::vector<QString> domKey(static_cast<size_t>(domCount));
    for (int d = 0; d < domCount; ++d) {
        const int element = tree.domElements[size_t(d)];
        const int parent = tree.elements[size_t(element)].parent;
        domParent[size_t(d)] = parent >= 0 ? tree.elements[size_t(parent)].domIndex : -1;
        domKey[size_t(d)] =
            QString::number(tree.elements[size_t(element)].ns) + u' ' + tree.localName(element);
    }

    m_count = int(pageParent.size());
    m_pageParent = pageParent;
    m_domOfPage.assign(size_t(m_count), -1);
    m_pageOfDom.assign(size_t(domCount), -1);
    const Tree page(pageParent);
    const Tree dom(domParent);
    std::vector<std::pair<int, int>> todo; // (page, dom)
    if (!page.roots.empty() && !dom.roots.empty() &&
        pageKey[size_t(page.roots[0])] == domKey[size_t(dom.roots[0])])
        todo.emplace_back(page.roots[0], dom.roots[0]);
    while (!todo.empty()) {
        const auto [p, d] = todo.back();
        todo.pop_back();
        m_domOfPage[size_t(p)] = d;
        m_pageOfDom[size_t(d)] = p;
        const int pn = page.count(p);
        const int dn = dom.count(d);
        int i = 0;
        int j = 0;
        while (i < pn && j < dn) {
            const int pk = page.kid(p, i);
            const int dk = dom.kid(d, j);
            if (pageKey[size_t(pk)] == domKey[size_t(dk)]) {
                todo.emplace_back(pk, dk);
                ++i;
                ++j;
                continue;
            }
            // The page's element further on in the parse (the parse's were taken out), or the
            // parse's element further on in the page (the page's were put in).
            int removed = 0;
            for (int s = 1; s <= kLookAhead && j + s < dn && !removed; ++s)
                if (pageKey[size_t(pk)] == domKey[size_t(dom.kid(d, j + s))])
                    removed = s;
            int added = 0;
            for (int s = 1; s <= kLookAhead && i + s < pn && !added; ++s)
                if (pageKey[size_t(page.kid(p, i + s))] == domKey[size_t(dk)])
                    added = s;
            if (added && (!removed || added <= removed)) {
                i += added;
            } else if (removed) {
                j += removed;
            } else {
                ++i;
                ++j;
            }
        }
    }
}

int DomAlignment::pageIndexOf(const SourceTree& tree, int element) const {
    if (element < 0)
        return -1;
    const int d = tree.elements[size_t(element)].domIndex;
    if (d < 0)
        return -1;
    if (m_identity)
        return d < m_count ? d : -1;
    return d < int(m_pageOfDom.size()) ? m_pageOfDom[size_t(d)] : -1;
}

int DomAlignment::elementOf(const SourceTree& tree, int pageIndex) const {
    if (m_identity) {
        if (pageIndex < 0 || pageIndex >= int(tree.domElements.size()))
            return -1;
        return tree.domElements[size_t(pageIndex)];
    }
    for (int p = pageIndex; p >= 0 && p < m_count; p = m_pageParent[size_t(p)]) {
        const int d = m_domOfPage[size_t(p)];
        if (d >= 0)
            return tree.domElements[size_t(d)];
    }
    return -1;
}
