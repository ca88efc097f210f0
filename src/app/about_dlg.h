#pragma once
// AboutDlg: the program's icon, name and version, legal notice and the maker's web address.

#include <functional>
#include <string>

#include "app/version.h"
#include "framework/dialog.h"

namespace app {

class THotLink;

class AboutDlg : public framework::TDialog {
  public:
    static constexpr int resourceId = 22000;
    static constexpr int versionId = 22001;
    static constexpr int copyrightId = 22002;
    static constexpr int linkId = 22006;

    // `version` is the block to read (the program's own when null); `opener` opens the link.
    AboutDlg(QWidget* parent, std::function<void(const std::string&)> opener,
             const VersionBlock* version = nullptr);

    // The maker's site, shown and opened by the link.
    static std::string makerSite();

  protected:
    QWidget* createItem(const framework::DialogItem& item) override;
    void setupWindow() override;

  private:
    std::function<void(const std::string&)> opener;
    const VersionBlock* version;
};

}  // namespace app
