#pragma once
// File > Performances...: the plays kept since the program started, newest first, with their
// page, start and length; Keep... saves the chosen one as a performance file and Export...
// renders it through any page into a sound file or a Standard MIDI file.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "app/performance_export.h"
#include "files/performance_capture.h"
#include "framework/page_services.h"
#include "platform/message_box.h"

class QComboBox;
class QProgressDialog;
class QPushButton;
class QTreeWidget;

namespace app {

class PerformancesDlg final : public QDialog {
  public:
    PerformancesDlg(QWidget* parent, const files::PerformanceHistory& history,
                    framework::FileDialogs& dialogs, platform::MessageBox& messages,
                    platform::MessageBoxQueue& queue);
    ~PerformancesDlg() override;

    // Lists the history as it is now, the newest play chosen.
    void refresh();

    QTreeWidget* list() const { return plays; }
    QComboBox* pageChoice() const { return page; }
    QComboBox* rateChoice() const { return rate; }
    QComboBox* bitsChoice() const { return bits; }
    QComboBox* channelsChoice() const { return channels; }
    PerformanceExport& exporter() { return exporting; }

    bool keepChosen();
    void exportChosen();
    // Play back plays the chosen play again through `playBack` (its page's); without one the
    // button stays disabled.
    void setPlayBack(std::function<bool(const files::Performance&)> playBack);
    bool playBackChosen();

    // What the form asks for a file named `path`: its kind from the name's extension.
    PerformanceExportRequest exportRequest(const QString& path) const;

  private:
    const files::Performance* chosen() const;
    void exportDone(bool ok);
    void updateButtons();

    const files::PerformanceHistory& history;
    framework::FileDialogs& dialogs;
    platform::MessageBox& messages;
    platform::MessageBoxQueue& queue;
    // Held here too: the history may give plays up while they are listed.
    std::vector<std::shared_ptr<const files::Performance>> shown;
    QTreeWidget* plays;
    QComboBox* page;
    QComboBox* rate;
    QComboBox* bits;
    QComboBox* channels;
    QPushButton* keep;
    QPushButton* exportButton;
    QPushButton* playButton;
    std::function<bool(const files::Performance&)> playChosen;
    PerformanceExport exporting;
    QPointer<QProgressDialog> progress;
};

}  // namespace app
