// Search and replace. On any text and any target, literal and case-folded Find next select what a
// plain search of the document's CR LF text finds from the search position (or beep and say
// nothing was found, leaving the selection), and Replace all gives the text a plain left-to-right
// replacement gives; the search functions agree with the same plain search on any text.
#include "FuzzSupport.h"
#include "host/EditBuffer.h"
#include "search/TextSearch.h"
#include "search/frmRe.h"
#include "support/FakeHost.h"

#include <QCheckBox>
#include <QPlainTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

// Simple case folding of each character (a surrogate pair as one), within the text alone.
QString folded(QStringView text) {
    return text.toString().toCaseFolded();
}

bool sameAt(QStringView text, qsizetype at, QStringView target, Comparison mode) {
    const QStringView window = text.mid(at, target.size());
    return mode == Comparison::Exact ? window == target : folded(window) == folded(target);
}

qsizetype plainFind(QStringView text, QStringView target, qsizetype from, Comparison mode) {
    if (target.isEmpty())
        return -1;
    for (qsizetype at = std::max<qsizetype>(from, 0); at + target.size() <= text.size(); ++at)
        if (sameAt(text, at, target, mode))
            return at;
    return -1;
}

std::vector<qsizetype> plainFindEvery(QStringView text, QStringView target, Comparison mode) {
    std::vector<qsizetype> hits;
    for (qsizetype at = plainFind(text, target, 0, mode); at >= 0;
         at = plainFind(text, target, at + target.size(), mode))
        hits.push_back(at);
    return hits;
}

QString plainReplaceEvery(QStringView text, QStringView target, QStringView replacement,
                          Comparison mode) {
    QString out;
    qsizetype from = 0;
    for (const qsizetype hit : plainFindEvery(text, target, mode)) {
        out += text.mid(from, hit - from);
        out += replacement;
        from = hit + target.size();
    }
    out += text.mid(from);
    return out;
}

QString described(QStringView text, QStringView target, Comparison mode) {
    return QStringLiteral("mode %1\ntext:   ").arg(int(mode)) + fuzz::shown(text) +
           u"\ntarget: "_s + fuzz::shown(target);
}

void functionsAgree(const QString& text, const QString& target, qsizetype from, Comparison mode) {
    const qsizetype hit = findText(text, target, from, mode);
    const qsizetype plain = plainFind(text, target, from, mode);
    FUZZ_CHECK(hit == plain,
               QStringLiteral("from %1: found %2, plainly %3\n").arg(from).arg(hit).arg(plain) +
                   described(text, target, mode));
    FUZZ_CHECK(findEvery(text, target, mode) == plainFindEvery(text, target, mode),
               described(text, target, mode));
}

struct Bench {
    Bench() : buffer(&edit), host(fuzz::scratchFolder()), dialog(host, buffer, nullptr) {}
    QPlainTextEdit edit;
    EditBuffer buffer;
    FakeHost host;
    frmRe dialog;
};

Bench& bench() {
    static Bench* b = new Bench; // lives as long as the process
    return *b;
}

// Find next pressed a few times, the caret moved between presses, against the plain search.
void findNextAgrees(fuzz::Input& in, const QString& document, const QString& target,
                    Comparison mode) {
    Bench& b = bench();
    b.host.clear();
    b.buffer.setText(document);
    const QString text = b.buffer.text();
    b.dialog.chkSmBi->setChecked(mode == Comparison::IgnoreCase);
    b.dialog.setTargetText(target);
    const QString t = b.dialog.targetText();
    b.dialog.SearchPos = int(in.number(uint32_t(text.size()) + 4));
    for (int press = int(in.number(3)); press >= 0; --press) {
        if (in.flag())
            b.buffer.setSelection(int(in.number(uint32_t(text.size()))),
                                  int(in.number(uint32_t(t.size()) + 2)));
        const int caret = b.buffer.selectionStart();
        const int length = b.buffer.selectionLength();
        int searchPos = b.dialog.SearchPos;
        if (caret + t.size() != searchPos)
            searchPos = caret;
        const qsizetype hit = plainFind(text, t, searchPos, mode);
        const int beeps = b.host.count(QStringLiteral("beep"));
        b.dialog.cmdSearch_Click();
        const QString state = QStringLiteral("caret %1, search position %2: selection %3+%4, "
                                             "plain hit %5\n")
                                  .arg(caret)
                                  .arg(searchPos)
                                  .arg(b.buffer.selectionStart())
                                  .arg(b.buffer.selectionLength())
                                  .arg(hit) +
                              described(text, t, mode);
        if (hit < 0) {
            FUZZ_CHECK(b.host.count(QStringLiteral("beep")) == beeps + 1, state);
            FUZZ_CHECK(b.buffer.selectionStart() == caret && b.buffer.selectionLength() == length,
                       state);
            FUZZ_CHECK(b.dialog.SearchPos == searchPos, state);
        } else {
            FUZZ_CHECK(b.buffer.selectionStart() == hit && b.buffer.selectionLength() == t.size(),
                       state);
            FUZZ_CHECK(b.buffer.selectedText() == text.mid(hit, t.size()), state);
            FUZZ_CHECK(b.dialog.SearchPos == hit + t.size(), state);
        }
    }
}

void replaceAllAgrees(const QString& target, const QString& replacement, Comparison mode) {
    Bench& b = bench();
    b.dialog.chkSmBi->setChecked(mode == Comparison::IgnoreCase);
    b.dialog.setTargetText(target);
    b.dialog.txtA->setPlainText(replacement);
    const QString text = b.buffer.text();
    const QString expected =
        plainReplaceEvery(text, b.dialog.targetText(), b.dialog.replacementText(), mode);
    b.dialog.cmdAllRe_Click();
    FUZZ_CHECK(b.buffer.text() == expected, u"replaced: "_s + fuzz::shown(b.buffer.text()) +
                                                u"\nexpected: "_s + fuzz::shown(expected) + u'\n' +
                                                described(text, b.dialog.targetText(), mode));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const Comparison mode = in.flag() ? Comparison::IgnoreCase : Comparison::Exact;
    const qsizetype from = qsizetype(in.number(1 << 12));
    const QString target = fuzz::textOf(in.until('\0'));
    const QString replacement = fuzz::textOf(in.until('\0'));
    const QString text = fuzz::textOf(in.until('\0'));
    functionsAgree(text, target, from, mode);
    findNextAgrees(in, text, target, mode);
    if (!target.isEmpty() && !replacement.isEmpty())
        replaceAllAgrees(target, replacement, mode);
    // What a run made goes with it, so libFuzzer's leak check has nothing to look into.
    Bench& b = bench();
    b.host.clear();
    b.buffer.setText(QString());
    b.dialog.setTargetText(QString());
    b.dialog.txtA->clear();
    return 0;
}
