#pragma once
// Saving a kept play as a performance file: File > Keep last performance... and the Keep button of
// the Performances dialog.

#include <QString>

#include "files/performance_file.h"
#include "framework/page_services.h"
#include "platform/message_box.h"

class QWidget;

namespace pages {

// Asks where to save `performance` (a name with the time suggested) and writes it there
// atomically. A failure is shown in a box naming the file and the reason. True when saved.
// GUI thread, from a user's command (the box opens at once).
bool keepPerformanceFile(QWidget* parent, framework::FileDialogs& dialogs,
                         platform::MessageBox& messages, const files::Performance& performance,
                         const QString& title);

}  // namespace pages
