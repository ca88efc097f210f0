#include "pages/recording.h"

#include <QFile>
#include <QFileInfo>

#include "files/failure_text.h"
#include "framework/recording_rescue.h"
#include "framework/window_title.h"
#include "platform/temp_file_name.h"

namespace pages {

using platform::MessageBoxStyle;
namespace answer = platform::MessageBoxResult;

namespace {

const QString startFolder = QStringLiteral(".");

}  // namespace

std::string fileSystemName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString shownName(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

Recording::Recording(QWidget& owner, framework::PageServices& pageServices, Kind fileKind,
                     std::function<void()> stop)
    : page(owner), services(pageServices), kind(std::move(fileKind)), stopPage(std::move(stop)) {}

bool Recording::isOpen() const {
    const auto hold = lockFile();
    return file().isOpen();
}

bool Recording::holdsSound() const {
    const auto hold = lockFile();
    return file().isOpen() && file().length() > 0;
}

bool Recording::prepareToPlay() {
    if (!mayPlay()) {
        return false;
    }
    attach();
    return true;
}

Recording::Finishing Recording::replacing() const {
    return kind.newTakeStopsThePage ? Finishing::stopsThePage : Finishing::playsOn;
}

void Recording::discard(Finishing finishing) {
    if (finishing == Finishing::stopsThePage) {
        stopPage();
    }
    const auto hold = lockFile();
    file().discard();
}

void Recording::closeFile(Finishing finishing) {
    if (!isOpen()) {
        return;
    }
    if (finishing == Finishing::stopsThePage) {
        stopPage();
    }
    std::string problem;
    {
        const auto hold = lockFile();
        if (file().isOpen()) {
            problem = finish();
        }
    }
    attach();
    if (!problem.empty()) {
        reportFailure(problem);
    }
}

bool Recording::saveCheck() {
    return saveCheck(Finishing::stopsThePage);
}

bool Recording::saveCheck(Finishing finishing) {
    bool modified = false;
    bool temporary = false;
    {
        const auto hold = lockFile();
        if (!file().isOpen()) {
            return true;
        }
        modified = file().isModified();
        temporary = file().isTemporary();
    }
    if (!modified) {
        if (temporary) {
            discard(finishing);
        }
        return true;
    }
    if (temporary) {
        const int choice = services.messageBox.show("Do you want to save?", kind.changedCaption,
                                                    MessageBoxStyle::YesNoCancelQuestion);
        if (choice == answer::IDCANCEL) {
            return false;
        }
        if (choice == answer::IDNO) {
            discard(finishing);
            return true;
        }
        if (choice != answer::IDYES) {
            services.messageBox.show("error", "error", MessageBoxStyle::OkExclamation);
            return true;
        }
        // A take the user wanted kept stays open until it really has a name.
        bool saved = false;
        if (!saveAs(&saved) || !saved) {
            return false;
        }
    }
    closeFile(finishing);
    return true;
}

bool Recording::saveAs(bool* saved) {
    if (saved != nullptr) {
        *saved = false;
    }
    if (!isOpen()) {
        return false;
    }
    const QString name = services.fileDialogs.saveFileName(&page, QStringLiteral("Save As"),
                                                           kind.filter, startFolder, kind.suffix);
    if (name.isEmpty()) {
        return false;
    }
    bool named = false;
    {
        const auto hold = lockFile();
        named = file().saveAs(fileSystemName(name).c_str());
    }
    if (named) {
        attach();  // a take stopped by a failed write goes on
        showTitle();
        if (saved != nullptr) {
            *saved = true;
        }
    } else {
        reportFailure("Can't save the recording as " + fileSystemName(name) + ".");
    }
    return true;
}

void Recording::fileNew() {
    if (kind.newTakeStopsThePage) {
        stopPage();
    }
    if (!saveCheck(replacing())) {
        return;
    }
    closeFile(replacing());
    if (!startNewFile()) {
        reportFailure("Can't create a temporary file for the recording in " +
                      platform::getTempPath() + ".");
    }
    showTitle();
}

void Recording::fileOpen() {
    if (kind.newTakeStopsThePage) {
        stopPage();
    }
    if (!saveCheck(replacing())) {
        return;
    }
    const QString name = services.fileDialogs.openFileName(&page, QStringLiteral("Open"),
                                                           kind.filter, startFolder, kind.suffix);
    if (name.isEmpty()) {
        return;
    }
    const std::string path = fileSystemName(name);
    if (!QFileInfo(name).isFile()) {
        services.messageBox.show("Can't find " + path + ".", "Lirveto",
                                 MessageBoxStyle::OkExclamation);
        return;
    }
    if (!mayOpen(path)) {
        return;
    }
    closeFile(replacing());
    bool opened = false;
    {
        const auto hold = lockFile();
        opened = file().open(path.c_str());
    }
    attach();
    if (!opened) {
        reportFailure(openFailure(path));
    }
    showTitle();
}

bool Recording::fileSave() {
    bool unnamed = false;
    bool updated = true;
    {
        const auto hold = lockFile();
        unnamed = file().isOpen() && file().isTemporary();
        if (file().isOpen() && !unnamed) {
            updated = file().bringUpToDate();
        }
    }
    // A take without a name is saved by naming it: bringing a temporary file up to date would
    // clear its changed mark, and the next New or Exit would drop it without asking.
    if (unnamed) {
        return saveAs();
    }
    if (!updated) {
        reportFailure("Can't save the recording " + file().fileName() + ".");
    }
    return false;
}

void Recording::fileClose() {
    bool ask = false;
    {
        const auto hold = lockFile();
        ask = file().isOpen() && file().isTemporary() && file().isModified();
    }
    // A take without a name would be left behind in the temporary folder: ask first.
    if (ask && !saveCheck()) {
        return;
    }
    closeFile(Finishing::stopsThePage);
    showTitle();
}

void Recording::showTitle() {
    QString fileTitle;
    bool open = false;
    {
        const auto hold = lockFile();
        open = file().isOpen();
        if (open) {
            fileTitle = shownName(file().title());
        }
    }
    if (playButton != nullptr) {
        playButton->setText(open ? QStringLiteral("&Record") : QStringLiteral("&Play"));
    }
    page.window()->setWindowTitle(framework::composeWindowTitle(fileTitle));
}

QString Recording::rescue(const QString& folder, const QString& stem) {
    stopPage();
    QString kept;
    {
        const auto hold = lockFile();
        if (file().isOpen() && file().isTemporary()) {
            // The start of a take alone (no sound yet) is nothing worth keeping.
            if (file().isModified() && file().length() > 0) {
                const QString name = framework::freeFileName(folder, stem, kind.suffix);
                if (file().saveAs(fileSystemName(name).c_str())) {
                    kept = name;
                } else {
                    // Closing a changed temporary file keeps it: say where it stayed.
                    kept = shownName(file().fileName());
                }
            } else {
                file().discard();
            }
        }
        if (file().isOpen()) {
            finish();  // the finished layout, which other programs read
        }
    }
    attach();
    return kept;
}

void Recording::reportFailure(const std::string& what) {
    std::string text;
    {
        const auto hold = lockFile();
        text = files::failureText(what, file());
    }
    services.messageBox.show(text, "Lirveto", MessageBoxStyle::OkExclamation);
}

}  // namespace pages
