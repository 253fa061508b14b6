#include "SyncWiring.h"

#include "MenuTree.h"
#include "document/Preview.h"
#include "host/Host.h"
#include "state/ProgramState.h"
#include "sync/CaretPreviewSetting.h"
#include "sync/PreviewSync.h"

#include <QAction>

SyncWiring::SyncWiring(ProgramState& state, Host& host, EditBuffer& buffer, BrowserPane& wb,
                       Preview& preview, MenuTree& menus) {
    PreviewSync::Hooks hooks;
    hooks.previewAddress = [&preview] { return Preview::ToFileUrl(preview.previewFile()); };
    // The element RefreshPreview writes after each head tag.
    hooks.baseElement = [&state, &host] {
        return QStringLiteral("<base href=") + state.QuoteChar +
               Preview::ToFileUrl(host.workingFolder()) + u'/' + state.QuoteChar + u'>';
    };
    hooks.outlineHidden = [&state] { return state.BrowserMode; };
    m_sync = std::make_unique<PreviewSync>(buffer, wb, std::move(hooks));

    QAction* item = menus.item(QStringLiteral("mnuCaretPreview"));
    const QString folder = host.applicationFolder();
    item->setCheckable(true);
    item->setChecked(CaretPreviewSetting::load(folder));
    m_sync->setFollowCaret(item->isChecked());
    PreviewSync* sync = m_sync.get();
    menus.wire(QStringLiteral("mnuCaretPreview"), [sync, item, folder, &host] {
        sync->setFollowCaret(item->isChecked());
        if (!CaretPreviewSetting::save(folder, item->isChecked()))
            host.messageBox(
                QStringLiteral("この設定を保存できません。次に起動したときは元に戻ります。"
                               "\r\n") +
                    CaretPreviewSetting::fileName(folder),
                Buttons::Ok, Icon::Exclamation, QStringLiteral("カーソル位置をプレビューで示す"));
    });
    // Entering and leaving browser mode always changes mnuWBTool's caption.
    if (QAction* browserMode = menus.item(QStringLiteral("mnuWBTool")))
        QObject::connect(browserMode, &QAction::changed, sync, &PreviewSync::updateVisibility);
}

SyncWiring::~SyncWiring() = default;
