#include "StyleFilters.h"

#include "NumberText.h"
#include "host/EditBuffer.h"
#include "host/Host.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const StyleFilters::Item kItems[] = {
    {"mnuHTMLstylealpha", "ALPHA　（半透明化）", &StyleFilters::mnuHTMLstylealpha_Click},
    {"nnuHTMLstyleblur", "BLUR　（にじませる）", &StyleFilters::nnuHTMLstyleblur_Click},
    {"mnuHTMLstyledropshadow", "DROPSHADOW　（影をつける）",
     &StyleFilters::mnuHTMLstyledropshadow_Click},
    {"mnuHTMLstylefliph", "FLIPH　（左右反転）", &StyleFilters::mnuHTMLstylefliph_Click},
    {"mnuHTMLstyleflipv", "FLIPV　（上下反転）", &StyleFilters::mnuHTMLstyleflipv_Click},
    {"mnuHTMLstylefilterglow", "GLOW　（太陽の光のような）",
     &StyleFilters::mnuHTMLstylefilterglow_Click},
    {"mnuHTMLstylewave", "WAVE　（波をかけます）", &StyleFilters::mnuHTMLstylewave_Click},
    {"mnuHTMLstylexray", "XRAY　（レントゲン写真のような）", &StyleFilters::mnuHTMLstylexray_Click},
};

} // namespace

std::span<const StyleFilters::Item> StyleFilters::items() {
    return kItems;
}

StyleFilters::StyleFilters(Host& host, EditBuffer& buffer, const QString& quote)
    : m_host(host), m_buffer(buffer), m_quote(quote) {}

void StyleFilters::collapseSelection() {
    m_buffer.setSelectionLength(0);
}

void StyleFilters::insertStyle(const QString& declaration) {
    m_buffer.replaceSelection(" STYLE=" + m_quote + declaration + m_quote);
}

bool StyleFilters::askYesNo(const QString& prompt, const QString& title) {
    return m_host.messageBox(prompt, Buttons::YesNo, Icon::Information, title) == Answer::Yes;
}

void StyleFilters::openColorTool(const QString& prompt, Icon icon, const QString& title) {
    m_host.beep();
    m_host.messageBox(prompt, Buttons::Ok, icon, title);
    // From behind `);"` back to just after "COLOR=".
    m_buffer.setSelectionStart(m_buffer.selectionStart() - 3);
    m_host.injectKeys(u"{F2}"_s);
}

void StyleFilters::mnuHTMLstylealpha_Click() {
    collapseSelection();
    const QString t =
        m_host.inputBox(u"対象の透明度を指定してください（半角数値）"_s, u"ALPHA - 透明度"_s);
    // The opacity is computed from the answer, so without a number there is nothing to write.
    const std::optional<double> transparency = readDecimal(t);
    if (!transparency) {
        m_host.beep();
        return;
    }
    insertStyle("FILTER:ALPHA(OPACITY=" + shortestDecimal(100 - *transparency) + ");");
}

void StyleFilters::nnuHTMLstyleblur_Click() {
    collapseSelection();
    const QString add =
        askYesNo(u"にじませた対象の上ににじませる前の対象を乗せますか？"_s, u"BLUR - ADD"_s)
            ? u"true"_s
            : u"false"_s;
    const QString strength =
        m_host.inputBox(u"対象をにじませる強さをしてください（半角数値）"_s, u"BLUR - STRENGTH"_s);
    insertStyle("FILTER:BLUR(STRENGTH=" + strength + ",ADD=" + add + ");");
}

void StyleFilters::mnuHTMLstyledropshadow_Click() {
    collapseSelection();
    insertStyle(u"FILTER:DROPSHADOW(COLOR=);"_s);
    openColorTool(u"影の色を指定するために、カラーツールを開きます"_s, Icon::Information,
                  u"DROPSHADOW - COLOR"_s);
}

void StyleFilters::mnuHTMLstylefliph_Click() {
    collapseSelection();
    insertStyle(u"FILTER:FLIPH();"_s);
}

void StyleFilters::mnuHTMLstyleflipv_Click() {
    collapseSelection();
    insertStyle(u"FILTER:FLIPV();"_s);
}

void StyleFilters::mnuHTMLstylefilterglow_Click() {
    collapseSelection();
    insertStyle(u"FILTER:GLOW(COLOR=);"_s);
    openColorTool(u"色を指定するために、カラーツールを開きます"_s, Icon::None, QString());
}

void StyleFilters::mnuHTMLstylewave_Click() {
    collapseSelection();
    const QString add =
        askYesNo(u"なみかけ適応後の対象の上になみかけ適応前の対象を乗せますか？"_s, u"WAVE - ADD"_s)
            ? u"TRUE"_s
            : u"FALSE"_s;
    const QString freq =
        m_host.inputBox(u"縦波の回数を指定してください（半角数値）"_s, u"WAVE - FREQ"_s);
    const QString light =
        m_host.inputBox(u"コントラストを指定してください（半角数値）"_s, u"WAVE - LIGHTSTRENGTH"_s);
    const QString strength =
        m_host.inputBox(u"波の強さを指定してください（半角数値）"_s, u"WAVE - STRENGTH"_s);
    insertStyle("FILTER:WAVE(ADD=" + add + ",FREQ=" + freq + ",LIGHTSTRENGTH=" + light +
                ",STRENGTH=" + strength + ");");
}

void StyleFilters::mnuHTMLstylexray_Click() {
    collapseSelection();
    insertStyle(u"FILTER:XRAY();"_s);
}
