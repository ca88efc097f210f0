#include "app/about_dlg.h"

#include <QLabel>

#include "app/version_hot_link.h"
#include "framework/resources.h"

namespace app {

namespace {

using framework::DialogItem;
using framework::ItemKind;

const DialogItem aboutItems[] = {
    {1003, ItemKind::Icon, "1003", 8, 7, 21, 20},
    {AboutDlg::versionId, ItemKind::StaticNoPrefix, "Version ", 37, 7, 150, 9},
    {AboutDlg::copyrightId, ItemKind::StaticNoPrefix, "Copyright", 37, 18, 150, 26},
    {AboutDlg::linkId, ItemKind::OwnerDrawButton, "", 37, 46, 150, 12},
    {framework::IDCANCEL, ItemKind::DefPushButton, "&OK", 88, 88, 48, 15},
};

const framework::DialogTemplate aboutTemplate{
    AboutDlg::resourceId, "About Lirveto", 223, 107, 8, aboutItems,
};

constexpr int textLimit = 255;

void setLimitedText(QWidget* control, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text.left(textLimit));
    }
}

}  // namespace

std::string AboutDlg::makerSite() {
    return "https://" + makerHost();
}

AboutDlg::AboutDlg(QWidget* parent, std::function<void(const std::string&)> open,
                   const VersionBlock* block)
    : TDialog(parent, aboutTemplate), opener(std::move(open)), version(block) {
    setWindowIcon(framework::loadIcon(1003));
}

QWidget* AboutDlg::createItem(const DialogItem& item) {
    if (item.id == linkId) {
        return new THotLink(this, linkId, makerSite(), opener);
    }
    return TDialog::createItem(item);
}

void AboutDlg::setupWindow() {
    const ProjectRCVersion reader =
        version != nullptr ? ProjectRCVersion(version) : ProjectRCVersion();
    const char* name = nullptr;
    const char* number = nullptr;
    if (reader.productName(name) && reader.productVersion(number)) {
        setWindowTitle(QStringLiteral("About %1").arg(QString::fromUtf8(name)));
        auto* line = qobject_cast<QLabel*>(item(versionId));
        const QString templateText = line != nullptr ? line->text().left(127) : QString();
        // The template text ends in a blank, so two blanks stand before the number.
        setLimitedText(line,
                       QStringLiteral("%1 %2 %3")
                           .arg(QString::fromUtf8(name), templateText, QString::fromUtf8(number)));
    }
    const char* notice = nullptr;
    if (reader.legalCopyright(notice)) {
        setLimitedText(item(copyrightId), QString::fromUtf8(notice));
    }
}

}  // namespace app
