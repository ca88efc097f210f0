#pragma once
// Exporting a kept play: the performance goes to a private temporary folder and lirveto-render,
// the program installed beside this one, renders it off the GUI thread into the chosen file.
// Cancel ends the render and takes away whatever it had begun to write, so a cancelled or failed
// export leaves neither a partial output nor a temporary file.
//
// GUI thread.

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "files/performance_file.h"

class QTemporaryDir;

namespace app {

struct PerformanceExportRequest {
    QString outPath;
    files::PerformancePage engine = files::PerformancePage::wave;
    // lirveto-render's --format value ("wav:44100:16:2"); empty: the engine's own recording
    // (for the Midi engine, its Standard MIDI file).
    QString format;
};

class PerformanceExport final : public QObject {
  public:
    explicit PerformanceExport(QObject* parent = nullptr);
    ~PerformanceExport() override;

    // lirveto-render in this program's folder, where the build and the installation put it.
    static QString renderProgram();

    // Starts the render of `performance`. False, with failure() saying why, when it cannot
    // start; otherwise `done` is called with the outcome unless cancel() comes first.
    bool start(const files::Performance& performance, const PerformanceExportRequest& request,
               std::function<void(bool ok)> done, const QString& program = renderProgram());
    bool running() const;
    // Ends a running render at once and removes what it had written; `done` is not called.
    void cancel();
    // Why the last export failed, in one line naming the file; empty after a success.
    QString failure() const { return why; }

  private:
    void finished(int exitCode, QProcess::ExitStatus status);
    void removeLeftovers();
    QStringList temporariesBeside() const;

    std::unique_ptr<QTemporaryDir> work;
    QProcess process;
    QString outPath;
    bool outExisted = false;
    QStringList temporariesBefore;
    QString why;
    std::function<void(bool)> whenDone;
};

}  // namespace app
