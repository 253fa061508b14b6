#include "PageScript.h"

namespace {

// Set up once per document in the world of its own. The fingerprint folds the namespace, the
// depth and the local name of each element in tree order, as foldDomHash does.
const char kLibrary[] = R"JS(
if (!self.tagloomSync || self.tagloomSync.doc !== document) self.tagloomSync = (() => {
  const S = { doc: document, els: null, depths: null, n: 0, h: 0 };
  const ns = e => e.namespaceURI === 'http://www.w3.org/1999/xhtml' ? 0
                : e.namespaceURI === 'http://www.w3.org/2000/svg' ? 1
                : e.namespaceURI === 'http://www.w3.org/1998/Math/MathML' ? 2 : 3;
  S.snapshot = () => {
    if (S.els) return;
    const els = [], depths = [];
    let h = 2166136261;
    const fold = u => { h = Math.imul(h ^ u, 16777619) >>> 0; };
    let e = document.documentElement, d = 0;
    while (e) {
      els.push(e); depths.push(d);
      fold(ns(e)); fold(d & 0xffff);
      const name = e.localName;
      for (let i = 0; i < name.length; i++) fold(name.charCodeAt(i));
      fold(0xffff);
      if (e.firstElementChild) { e = e.firstElementChild; d++; continue; }
      while (e && !e.nextElementSibling) { e = e.parentElement; d--; }
      if (e) e = e.nextElementSibling;
    }
    S.els = els; S.depths = depths; S.n = els.length; S.h = h;
  };
  S.answer = more => Object.assign(
      { n: S.n, h: S.h, q: document.compatMode === 'BackCompat' }, more);
  S.describe = () => {
    S.els = null; // as the page stands now
    S.snapshot();
    return S.answer({ list: S.els.map((e, i) => S.depths[i] + ' ' + ns(e) + ' ' + e.localName)
                                  .join('\n') });
  };
  const visible = (r, vw, vh) => {
    const shown = Math.min(r.bottom, vh) - Math.max(r.top, 0);
    return r.right > 0 && r.left < vw && r.bottom >= 0 && r.top <= vh &&
           shown >= Math.min(r.height, vh / 8);
  };
  const instantly = (f, how) => { try { f(Object.assign({ behavior: 'instant' }, how)); }
                                  catch (x) { f(Object.assign({ behavior: 'auto' }, how)); } };
  // The element's namespace and name and those of its ancestors, up to the root.
  const chainOf = e => {
    const c = [];
    for (; e; e = e.parentElement) c.push(ns(e) + ' ' + e.localName);
    return c.join('/');
  };
  // The document's own list of its elements in tree order: counted and searched inside the
  // engine, so a look at one element costs nothing like a walk over all of them.
  // Held here so the engine keeps the list it has counted for as long as the document lives.
  const all = () => S.all || (S.all = document.getElementsByTagName('*'));
  // Right after a load: the world, this library and the list counted before anyone asks.
  S.prime = () => ({ count: all().length });
  S.quickFrame = (k, n, chain, mayScroll) => {
    const els = all();
    const e = els.length === n ? els[k] : null;
    if (!e || chainOf(e) !== chain) return S.answer({ rect: null, stale: true });
    return S.box(e, mayScroll);
  };
  S.quickHit = (x, y) => {
    const els = all();
    const e = document.elementFromPoint(x, y);
    let lo = 0, hi = els.length - 1, i = -1;
    while (e && lo <= hi) {
      const mid = (lo + hi) >> 1, m = els[mid];
      if (m === e) { i = mid; break; }
      if (m.compareDocumentPosition(e) & Node.DOCUMENT_POSITION_FOLLOWING) lo = mid + 1;
      else hi = mid - 1;
    }
    return S.answer({ index: i, count: els.length, chain: i >= 0 ? chainOf(e) : '' });
  };
  S.frame = (k, n, h, mayScroll) => {
    S.snapshot();
    if (S.n !== n || S.h !== h) return S.answer({ rect: null, stale: true });
    return S.box(S.els[k], mayScroll);
  };
  S.box = (e, mayScroll) => {
    if (!e || !e.isConnected || e.getClientRects().length === 0) return S.answer({ rect: null });
    // The visible viewport, scroll bars left out; in quirks mode the root's client height is
    // the whole document's.
    const vv = window.visualViewport;
    const vw = vv ? vv.width : innerWidth, vh = vv ? vv.height : innerHeight;
    let r = e.getBoundingClientRect();
    if (mayScroll && !visible(r, vw, vh)) {
      instantly(o => e.scrollIntoView(o), { block: 'start', inline: 'nearest' });
      r = e.getBoundingClientRect();
      instantly(o => window.scrollBy(o), { top: r.top - vh / 3, left: 0 });
      r = e.getBoundingClientRect();
    }
    return S.answer({ rect: [r.left, r.top, r.width, r.height], scroll: [scrollX, scrollY],
                      view: [vw, vh] });
  };
  S.hit = (x, y) => {
    S.els = null; // the page has changed since the quick look found it different
    S.snapshot();
    // Up from the element at the point to the nearest one the snapshot holds.
    let e = document.elementFromPoint(x, y), i = -1;
    while (e && (i = S.els.indexOf(e)) < 0)
      e = e.parentElement || (e.getRootNode() instanceof ShadowRoot ? e.getRootNode().host : null);
    return S.answer({ index: e ? i : -1 });
  };
  return S;
})();
)JS";

QString call(const QString& expression) {
    return QString::fromUtf8(kLibrary) + expression;
}

// A JavaScript string literal; element names hold no quotes or backslashes, but say so safely.
QString jsString(const QString& text) {
    QString out = QStringLiteral("'");
    for (const QChar c : text) {
        if (c == u'\\' || c == u'\'')
            out += u'\\';
        out += c;
    }
    return out + u'\'';
}

} // namespace

namespace PageScript {

QString describe() {
    return call(QStringLiteral("tagloomSync.describe();"));
}

QString frame(int index, int n, quint32 h, bool mayScroll) {
    return call(QStringLiteral("tagloomSync.frame(%1, %2, %3, %4);")
                    .arg(index)
                    .arg(n)
                    .arg(h)
                    .arg(mayScroll ? QStringLiteral("true") : QStringLiteral("false")));
}

QString quickFrame(int index, int n, const QString& chain, bool mayScroll) {
    return call(
        QStringLiteral("tagloomSync.quickFrame(%1, %2, %3, %4);")
            .arg(index)
            .arg(n)
            .arg(jsString(chain), mayScroll ? QStringLiteral("true") : QStringLiteral("false")));
}

QString prime() {
    return call(QStringLiteral("tagloomSync.prime();"));
}

QString quickHit(double x, double y) {
    return call(QStringLiteral("tagloomSync.quickHit(%1, %2);").arg(x).arg(y));
}

QString hit(double x, double y) {
    return call(QStringLiteral("tagloomSync.hit(%1, %2);").arg(x).arg(y));
}

} // namespace PageScript
