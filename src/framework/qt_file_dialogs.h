#pragma once
// The system's file choosers on QFileDialog, as the pages ask for them.

#include "framework/page_services.h"

namespace framework {

class QtFileDialogs : public FileDialogs {
  public:
    // GUI thread. An empty result means the user cancelled.
    QString openFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& folder, const QString& defaultSuffix) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& folder, const QString& defaultSuffix) override;
};

}  // namespace framework
