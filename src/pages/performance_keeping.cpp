#include "pages/performance_keeping.h"

#include <QDateTime>
#include <cerrno>
#include <string>
#include <system_error>

#include "pages/recording.h"
#include "platform/atomic_file.h"

namespace pages {

bool keepPerformanceFile(QWidget* parent, framework::FileDialogs& dialogs,
                         platform::MessageBox& messages, const files::Performance& performance,
                         const QString& title) {
    const std::string text = files::performanceText(performance);  // a play may go on meanwhile
    const QString suggested = QDateTime::currentDateTime().toString(
        QStringLiteral("'performance-'yyyyMMdd-HHmmss'.performance'"));
    const QString name = dialogs.saveFileName(
        parent, title, QStringLiteral("Performances (*.performance);;All files (*)"), suggested,
        QStringLiteral("performance"));
    if (name.isEmpty()) {
        return false;
    }
    const std::string path = fileSystemName(name);
    if (!platform::replaceFileAtomically(path, text)) {
        messages.show("Can't keep the performance in " + path + ": " +
                          std::generic_category().message(errno) + ".",
                      "Lirveto", platform::MessageBoxStyle::OkExclamation);
        return false;
    }
    return true;
}

}  // namespace pages
