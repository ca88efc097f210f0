#pragma once
// The help service over Qt: a viewer window for the bundle's pages and pale pop-ups at the cursor.
// The bundle is a folder with index.html (contents), one page per topic, contexts.txt (lines
// "<context number> <page>") and the pop-up texts (".topic <id>" followed by its text).
//
// Thread: GUI, every operation; the parse functions, any thread.

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/help.h"

class QLabel;
class QTextBrowser;

namespace platform {

// The texts of a pop-up text file, by help id.
QHash<std::uint32_t, QString> parsePopupTexts(const QString& content);
// The pages of a context map, by context number.
QHash<std::uint32_t, QString> parseContextMap(const QString& content);

class QtHelp : public Help {
  public:
    QtHelp() = default;
    QtHelp(const QtHelp&) = delete;
    QtHelp& operator=(const QtHelp&) = delete;
    ~QtHelp() override;

    bool displayTopic(const std::string& helpFile, const std::string& topic) override;
    bool helpContext(const std::string& helpFile, std::uint32_t context) override;
    bool displayTextPopup(const std::string& popupFile, const HelpPopup& popup) override;

    // The windows shown last, for tests (null before the first one).
    QTextBrowser* viewer() const;
    QLabel* popup() const { return popupLabel; }

  private:
    bool showPage(const QString& path);

    QPointer<QWidget> viewerWindow;
    QPointer<QTextBrowser> browser;
    QPointer<QLabel> popupLabel;
};

}  // namespace platform
