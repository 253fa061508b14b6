#pragma once

#include <QString>
#include <QWebEngineScript>

// What the preview sync runs in the page: in a script world of its own, which shares the
// document with the page but none of its variables, so the page's scripts can neither see it
// nor change how it works. It adds nothing to the document. Each call takes a snapshot of the
// page's elements the first time it runs in a document, and every answer carries that
// snapshot's count ("n"), fingerprint ("h", as SourceTree::domHash) and quirks mode ("q").
namespace PageScript {

constexpr quint32 kWorld = QWebEngineScript::UserWorld + 1;

// {n, h, q, list}: the elements of a new snapshot, one "depth namespace name" line each.
QString describe();
// {n, h, q, rect: [left, top, width, height] or null, scroll: [x, y], view: [width, height]}:
// the box of the snapshot's element `index` in the page's own pixels, or null when it has none
// (not in the document, or not shown). When `mayScroll` and the element is out of view, the
// page is first scrolled so that it stands in the upper third. Nothing is measured or scrolled
// when the snapshot is not the one expected (`n`, `h`).
QString frame(int index, int n, quint32 h, bool mayScroll);
// The same without the snapshot, for a page that holds the parse's elements: the document's
// element `index` in tree order, when the document has `n` elements and that one's `chain`
// (namespace and name of it and its ancestors, "0 p/0 body/0 html") is the one expected;
// otherwise {stale: true}. Touches no other element, so it is as quick on a large page.
QString quickFrame(int index, int n, const QString& chain, bool mayScroll);
// {count}: sets this up in a page just loaded and has the document count its elements, so the
// first frame or click on a large page costs no more than the next.
QString prime();
// {q, index, count, chain}: the element at a point of the view, its place in the document's
// elements in tree order, their count and the element's chain; index -1 when there is none.
QString quickHit(double x, double y);
// {n, h, q, index}: the element at a point of the view (the page's own pixels), or its nearest
// ancestor in the snapshot; -1 when there is none.
QString hit(double x, double y);

} // namespace PageScript
