#include "app/performance_export.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <string>
#include <utility>

#include "pages/recording.h"
#include "platform/atomic_file.h"

namespace app {

namespace {

QString engineName(files::PerformancePage page) {
    return QString::fromUtf8(files::performancePageName(page));
}

// The tool's one line on stderr, without its program name.
QString toolMessage(const QByteArray& errors) {
    const QList<QByteArray> lines = errors.trimmed().split('\n');
    QString line = lines.isEmpty() ? QString() : QString::fromUtf8(lines.last()).trimmed();
    const QString prefix = QStringLiteral("lirveto-render: ");
    if (line.startsWith(prefix)) {
        line.remove(0, prefix.size());
    }
    return line;
}

}  // namespace

PerformanceExport::PerformanceExport(QObject* parent) : QObject(parent) {
    connect(&process, &QProcess::finished, this, &PerformanceExport::finished);
}

PerformanceExport::~PerformanceExport() {
    cancel();
}

QString PerformanceExport::renderProgram() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("lirveto-render"));
}

bool PerformanceExport::start(const files::Performance& performance,
                              const PerformanceExportRequest& request,
                              std::function<void(bool)> done, const QString& program) {
    why.clear();
    outPath = request.outPath;
    const auto fail = [this](const QString& reason) {
        why = QStringLiteral("Can't export the performance to %1: %2.").arg(outPath, reason);
        work.reset();
        return false;
    };
    if (running()) {
        return fail(QStringLiteral("another export is still running"));
    }
    if (!QFileInfo(program).isExecutable()) {
        return fail(QStringLiteral("the renderer %1 is missing").arg(program));
    }
    work = std::make_unique<QTemporaryDir>();
    if (!work->isValid()) {
        return fail(
            QStringLiteral("no temporary folder could be made (%1)").arg(work->errorString()));
    }
    const QString played = work->filePath(QStringLiteral("play.performance"));
    if (!platform::replaceFileAtomically(pages::fileSystemName(played),
                                         files::performanceText(performance))) {
        return fail(QStringLiteral("the temporary copy of the play could not be written"));
    }
    whenDone = std::move(done);
    outExisted = QFileInfo::exists(outPath);
    temporariesBefore = temporariesBeside();

    QStringList arguments{QStringLiteral("--performance"), played,
                          QStringLiteral("--engine"),      engineName(request.engine),
                          QStringLiteral("--out"),         outPath};
    if (!request.format.isEmpty()) {
        arguments << QStringLiteral("--format") << request.format;
    }
    // The tool's own temporary recordings go into the private folder, which goes with it.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), work->path());
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        return fail(process.errorString());
    }
    return true;
}

bool PerformanceExport::running() const {
    return process.state() != QProcess::NotRunning;
}

void PerformanceExport::cancel() {
    if (!running()) {
        return;
    }
    const QSignalBlocker quiet(process);
    process.kill();
    process.waitForFinished();
    removeLeftovers();
    if (!outExisted) {
        // The render may have finished its rename just before it was ended.
        QFile::remove(outPath);
    }
    work.reset();
}

void PerformanceExport::finished(int exitCode, QProcess::ExitStatus status) {
    const bool ok = status == QProcess::NormalExit && exitCode == 0;
    if (!ok) {
        QString reason = toolMessage(process.readAllStandardError());
        if (reason.isEmpty()) {
            reason = status == QProcess::CrashExit ? QStringLiteral("the renderer stopped")
                                                   : QStringLiteral("the render failed");
        }
        why = QStringLiteral("Can't export the performance to %1: %2.").arg(outPath, reason);
        removeLeftovers();
    }
    work.reset();
    if (whenDone) {
        whenDone(ok);
    }
}

// The hidden replacement files the tool writes beside the output before renaming one over it
// (".NAME.tmpNUMBER").
QStringList PerformanceExport::temporariesBeside() const {
    const QFileInfo out(outPath);
    return out.dir().entryList({QLatin1Char('.') + out.fileName() + QStringLiteral(".tmp*")},
                               QDir::Files | QDir::Hidden | QDir::System);
}

void PerformanceExport::removeLeftovers() {
    QDir folder = QFileInfo(outPath).dir();
    for (const QString& name : temporariesBeside()) {
        if (!temporariesBefore.contains(name)) {
            folder.remove(name);
        }
    }
}

}  // namespace app
