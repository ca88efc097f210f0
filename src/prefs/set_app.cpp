#include "prefs/set_app.h"

#include <QAbstractButton>

#include "settings/settings_values.h"

namespace {

using framework::DialogItem;
using framework::ItemKind;

const DialogItem generalItems[] = {
    {TSetApp::playOnStartBox, ItemKind::CheckBox, "&Play at start-up", 10, 10, 140, 10},
    {TSetApp::minimizeOnStartBox, ItemKind::CheckBox, "&Minimize at start-up", 10, 26, 140, 10},
    {TSetApp::onTopBox, ItemKind::CheckBox, "&Always on top", 10, 42, 140, 10},
    {TSetApp::stopFocusBox, ItemKind::CheckBox, "&Continue sound when focus lost", 10, 58, 140, 10},
    {TSetApp::swoopModeBox, ItemKind::CheckBox, "Play &Only with moving mouse", 10, 90, 140, 10},
    {TSetApp::quickLaunchBox, ItemKind::CheckBox, "&QuickLaunch icon", 10, 74, 140, 10},
};

const framework::DialogTemplate generalTemplate{0, "General", 160, 130, 8, generalItems};

constexpr std::array<int, 6> transferIds = {
    TSetApp::playOnStartBox, TSetApp::minimizeOnStartBox, TSetApp::onTopBox,
    TSetApp::stopFocusBox,   TSetApp::swoopModeBox,       TSetApp::quickLaunchBox,
};

}  // namespace

std::span<const framework::Response<TSetApp>> TSetApp::responseTable() {
    return {};
}

TSetApp::TSetApp(std::function<void(bool)> topmost, QWidget* parent)
    : TPropertyPage(parent, generalTemplate),
      ContextHelpWin(this, controls::helptables::generalPrefs,
                     controls::helptables::generalPrefsContext),
      setTopmost(std::move(topmost)) {
    setTransferBuffer(transfer, transferIds);
}

QWidget* TSetApp::createItem(const DialogItem& entry) {
    QWidget* control = TPropertyPage::createItem(entry);
    if (entry.id == swoopModeBox && control != nullptr) {
        // Carried through the buffer, but not the user's to change here.
        control->setEnabled(false);
        control->setVisible(false);
    }
    return control;
}

void TSetApp::setupWindow() {
    TPropertyPage::setupWindow();
    if (auto* box = qobject_cast<QAbstractButton*>(item(quickLaunchBox))) {
        box->setChecked(shortcutExists());
    }
}

bool TSetApp::shortcutExists() const {
    std::string target;
    std::string description;
    return quickLaunch.findLink(linkName, platform::CShortcut::quickLaunch, target, description) ==
           0;
}

void TSetApp::TransferData(framework::TransferDirection direction) {
    if (direction == framework::TransferDirection::setData) {
        transfer[0] = settings::PlayOnStart ? 1 : 0;
        transfer[1] = settings::MinimizeOnStart ? 1 : 0;
        transfer[2] = settings::OnTop ? 1 : 0;
        transfer[3] = settings::StopFocus ? 1 : 0;
        transfer[4] = settings::SwoopMode != 0 ? 1 : 0;
        TPropertyPage::TransferData(direction);
        return;
    }
    TPropertyPage::TransferData(direction);
    settings::PlayOnStart = transfer[0] != 0;
    settings::MinimizeOnStart = transfer[1] != 0;
    settings::OnTop = transfer[2] != 0;
    settings::StopFocus = transfer[3] != 0;
    settings::SwoopMode = transfer[4] != 0 ? 1 : 0;
}

bool TSetApp::apply() {
    const bool wasOnTop = settings::OnTop;
    TransferData(framework::TransferDirection::getData);
    if (settings::OnTop != wasOnTop && setTopmost) {
        setTopmost(settings::OnTop);
    }
    const bool wanted = transfer[5] != 0;
    const bool present = shortcutExists();
    if (wanted && !present) {
        quickLaunch.createLink("_this", linkName, platform::CShortcut::quickLaunch, "", "", 1);
    } else if (!wanted && present) {
        quickLaunch.deleteLink(linkName, platform::CShortcut::quickLaunch);
    }
    return true;
}
