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
  S.frame = (k, n, h, mayScroll) => {
    S.snapshot();
    if (S.n !== n || S.h !== h) return S.answer({ rect: null, stale: true });
    const e = S.els[k];
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

QString hit(double x, double y) {
    return call(QStringLiteral("tagloomSync.hit(%1, %2);").arg(x).arg(y));
}

} // namespace PageScript
