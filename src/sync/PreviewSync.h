#pragma once

#include "DomAlignment.h"
#include "FrameOverlay.h"
#include "IncrementalParse.h"

#include <QObject>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QVariant>
#include <functional>
#include <optional>

class BrowserPane;
class EditBuffer;
class QTimer;

// The preview and the source follow each other. When the caret rests, the element it is in is
// framed in the preview (scrolled to when out of view); Ctrl+click on the preview selects the
// start tag of the element clicked. Both go through one parse of the text as the preview's
// engine reads it (SourceTree) and its match with the page's elements (DomAlignment).
//
// Nothing runs on the keystroke path but a note of the edit (its place and the characters
// added) and the restart of one single-shot timer; the parse is brought up to date when the
// caret rests or a click comes, and only if the text changed: typing in a run of text moves
// its positions, anything else parses the text afresh.
class PreviewSync : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<QString()> previewAddress; // the preview file's address
        std::function<QString()> baseElement;    // what the preview writes after each <head>
        std::function<bool()> outlineHidden;     // browser mode: the preview covers the text
    };

    PreviewSync(EditBuffer& buffer, BrowserPane& pane, Hooks hooks, QObject* parent = nullptr);
    ~PreviewSync() override;

    // The caret link's switch. Ctrl+click works either way.
    void setFollowCaret(bool on);
    bool followsCaret() const { return m_follow; }

    // The caret has rested: frames its element, scrolling to it when it is out of view.
    void caretRested();
    // Ctrl+click at a point of the pane: selects the start tag of the element there.
    void selectElementAt(const QPointF& panePoint);
    // The browser mode or the switch changed: hides the frame, or shows it again.
    void updateVisibility();

    const FrameOverlay& frame() const { return *m_overlay; }
    // The page's element the frame stands on (its place in the page's tree order), -1 for none.
    int framedPageIndex() const { return m_overlay->isShown() ? m_framedPage : -1; }
    bool restPending() const;
    // The parse of the text as it stands.
    const SourceTree& currentTree();
    const PreviewText& currentText();
    // How the parse has been kept up to date.
    const IncrementalParse& parse() const { return m_parse; }
    // The element the frame shows for an editor position (widget units), -1 for none: nothing
    // in the head, a comment, a script or a style sheet, nor for text right in the body.
    int outlinedElementAt(int editorPosition);
    // The element whose start tag Ctrl+click selects for an element of the parse: itself, or
    // its nearest ancestor written in the text.
    int sourceElementOf(int element);

    static constexpr int kRestMs = 150;

signals:
    // The frame has been drawn, moved or taken away after a request.
    void frameUpdated();
    // A Ctrl+click has been handled (a start tag selected, or nothing found).
    void clickHandled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchViewWidgets();
    void onTextChanged(int position, int removed, int added);
    void onCaretMoved();
    void onPageShown();
    bool showsPreview() const;
    bool frameWanted() const;
    void ensureParsed();
    void requestFrame(bool mayScroll, int attempt = 0);
    void placeFrame(const QVariantMap& answer);
    void refreshFramePosition(const QPointF& scroll);
    QRect toPane(const QRectF& inView) const;
    // Makes the alignment fit the page of the answer, then runs `then` (at once, or when the
    // page has described itself; always the latter when `describeAnew`).
    void withAlignment(const QVariantMap& answer, std::function<void()> then,
                       bool describeAnew = false);
    // Parses again when the page's quirks mode is not the one the parse guessed; says whether.
    bool adoptPageQuirks(const QVariantMap& answer);
    // Whether a page of `count` elements whose element `pageIndex` has `chain` is read as the
    // parse's own elements, with no alignment in between.
    bool matchesParse(int pageIndex, int count, const QString& chain);
    // Namespace and local name of an element and its ancestors, as PageScript writes them.
    QString chainOf(int element) const;
    void hitThroughSnapshot(double x, double y);
    void selectStartTag(int element);
    void run(const QString& script, std::function<void(const QVariantMap&)> done);

    EditBuffer& m_buffer;
    BrowserPane& m_pane;
    Hooks m_hooks;
    FrameOverlay* m_overlay;
    QTimer* m_restTimer;
    bool m_follow = true;

    quint64 m_textGeneration = 1;
    quint64 m_parsedGeneration = 0;
    IncrementalParse m_parse;
    const PreviewText& m_text = m_parse.text();
    const SourceTree& m_tree = m_parse.tree();
    std::optional<bool> m_pageQuirks; // the page's own verdict, once it mattered

    DomAlignment m_alignment;
    bool m_aligned = false; // m_alignment fits the page (m_alignedCount, m_alignedHash)
    int m_alignedCount = 0;
    quint32 m_alignedHash = 0;

    int m_frameRequest = 0; // the newest frame request; older answers are dropped
    int m_framedElement = -1;
    int m_framedPage = -1;
    QRectF m_framedInPage; // the element's box in the page's document coordinates
    bool m_frameAfterLoad = false;
    std::optional<QPointF> m_clickAfterLoad;
    bool m_swallowingClick = false;
};
