#include "app/performances_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "pages/performance_keeping.h"

namespace app {

namespace {

constexpr files::PerformancePage allPages[] = {
    files::PerformancePage::wave, files::PerformancePage::dsound, files::PerformancePage::midi};

QString pageTitle(const std::optional<files::PerformancePage>& page) {
    if (!page) {
        return QStringLiteral("Gesture");
    }
    switch (*page) {
        case files::PerformancePage::wave:
            return QStringLiteral("Wave");
        case files::PerformancePage::dsound:
            return QStringLiteral("DirectSound");
        case files::PerformancePage::midi:
            return QStringLiteral("Midi");
    }
    return {};
}

// "1:05.3": minutes, seconds and tenths.
QString lengthText(int64_t ms) {
    const int64_t tenths = ms / 100;
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg((tenths / 10) % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

// The start as the user's clock shows it.
QString startText(const std::string& start) {
    const QDateTime when = QDateTime::fromString(QString::fromStdString(start), Qt::ISODate);
    return when.isValid() ? when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                          : QString::fromStdString(start);
}

QComboBox* choices(QWidget* parent, const QStringList& items, int current) {
    auto* box = new QComboBox(parent);
    box->addItems(items);
    box->setCurrentIndex(current);
    return box;
}

constexpr const char* exportFilter =
    "WAV (*.wav);;FLAC (*.flac);;Ogg Vorbis (*.ogg);;Opus (*.opus);;MP3 (*.mp3);;"
    "Standard MIDI (*.mid)";

}  // namespace

PerformancesDlg::PerformancesDlg(QWidget* parent, const files::PerformanceHistory& playHistory,
                                 framework::FileDialogs& fileDialogs, platform::MessageBox& boxes,
                                 platform::MessageBoxQueue& boxQueue)
    : QDialog(parent),
      history(playHistory),
      dialogs(fileDialogs),
      messages(boxes),
      queue(boxQueue) {
    setWindowTitle(QStringLiteral("Performances"));
    plays = new QTreeWidget(this);
    plays->setHeaderLabels(
        {QStringLiteral("Page"), QStringLiteral("Start"), QStringLiteral("Length")});
    plays->setRootIsDecorated(false);
    plays->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    page = choices(this,
                   {QStringLiteral("The page it was played on"), QStringLiteral("Wave"),
                    QStringLiteral("DirectSound"), QStringLiteral("Midi")},
                   0);
    rate = choices(this,
                   {QStringLiteral("22050"), QStringLiteral("44100"), QStringLiteral("48000"),
                    QStringLiteral("96000")},
                   1);
    bits = choices(
        this,
        {QStringLiteral("8"), QStringLiteral("16"), QStringLiteral("24"), QStringLiteral("float")},
        1);
    channels = choices(this, {QStringLiteral("Mono"), QStringLiteral("Stereo")}, 1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Export &through:"), page);
    form->addRow(QStringLiteral("&Rate (Hz):"), rate);
    form->addRow(QStringLiteral("&Bits:"), bits);
    form->addRow(QStringLiteral("C&hannels:"), channels);

    auto* buttons = new QDialogButtonBox(this);
    playButton = buttons->addButton(QStringLiteral("&Play back"), QDialogButtonBox::ActionRole);
    keep = buttons->addButton(QStringLiteral("&Keep..."), QDialogButtonBox::ActionRole);
    exportButton = buttons->addButton(QStringLiteral("&Export..."), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(playButton, &QPushButton::clicked, this, [this] { playBackChosen(); });
    connect(keep, &QPushButton::clicked, this, [this] { keepChosen(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { exportChosen(); });
    connect(plays, &QTreeWidget::currentItemChanged, this, [this] { updateButtons(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(plays);
    layout->addLayout(form);
    layout->addWidget(buttons);
    refresh();
}

PerformancesDlg::~PerformancesDlg() = default;

void PerformancesDlg::refresh() {
    plays->clear();
    shown = history.newestFirst();
    for (const auto& play : shown) {
        new QTreeWidgetItem(plays, {pageTitle(play->page), startText(play->start),
                                    lengthText(files::performanceLengthMs(*play))});
    }
    if (plays->topLevelItemCount() > 0) {
        plays->setCurrentItem(plays->topLevelItem(0));
    }
    updateButtons();
}

const files::Performance* PerformancesDlg::chosen() const {
    const int row = plays->indexOfTopLevelItem(plays->currentItem());
    return row >= 0 && static_cast<std::size_t>(row) < shown.size() ? shown[row].get() : nullptr;
}

void PerformancesDlg::updateButtons() {
    const bool any = chosen() != nullptr;
    keep->setEnabled(any);
    playButton->setEnabled(any && playChosen != nullptr);
    exportButton->setEnabled(any && !exporting.running());
}

void PerformancesDlg::setPlayBack(std::function<bool(const files::Performance&)> playBack) {
    playChosen = std::move(playBack);
    updateButtons();
}

bool PerformancesDlg::playBackChosen() {
    const files::Performance* play = chosen();
    return play != nullptr && playChosen && playChosen(*play);
}

bool PerformancesDlg::keepChosen() {
    const files::Performance* play = chosen();
    return play != nullptr && pages::keepPerformanceFile(this, dialogs, messages, *play,
                                                         QStringLiteral("Keep performance"));
}

PerformanceExportRequest PerformancesDlg::exportRequest(const QString& path) const {
    PerformanceExportRequest request;
    request.outPath = path;
    const files::Performance* play = chosen();
    const int through = page->currentIndex();
    request.engine =
        through > 0 ? allPages[through - 1]
                    : (play != nullptr && play->page ? *play->page : files::PerformancePage::wave);
    const QString kind = QFileInfo(path).suffix().toLower();
    if (kind == QLatin1String("mid") || kind == QLatin1String("midi")) {
        request.engine = files::PerformancePage::midi;  // the Midi engine's own file
        return request;
    }
    const QString known = kind == QLatin1String("flac") || kind == QLatin1String("ogg") ||
                                  kind == QLatin1String("opus") || kind == QLatin1String("mp3")
                              ? kind
                              : QStringLiteral("wav");
    const QString hz =
        known == QLatin1String("opus") ? QStringLiteral("48000") : rate->currentText();
    QString depth;
    if (known == QLatin1String("wav") ||
        (known == QLatin1String("flac") && bits->currentText() != QLatin1String("float"))) {
        depth = bits->currentText();
    }
    request.format = QStringLiteral("%1:%2:%3:%4")
                         .arg(known, hz, depth, QString::number(channels->currentIndex() + 1));
    return request;
}

void PerformancesDlg::exportChosen() {
    const files::Performance* play = chosen();
    if (play == nullptr || exporting.running()) {
        return;
    }
    const QString name =
        dialogs.saveFileName(this, QStringLiteral("Export performance"),
                             QString::fromLatin1(exportFilter), QString(), QStringLiteral("wav"));
    if (name.isEmpty()) {
        return;
    }
    if (!exporting.start(*play, exportRequest(name), [this](bool ok) { exportDone(ok); })) {
        messages.show(exporting.failure().toStdString(), "Lirveto",
                      platform::MessageBoxStyle::OkExclamation);
        return;
    }
    progress = new QProgressDialog(QStringLiteral("Exporting to %1...").arg(name),
                                   QStringLiteral("Cancel"), 0, 0, this);
    progress->setWindowTitle(QStringLiteral("Export performance"));
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
    connect(progress, &QProgressDialog::canceled, this, [this] {
        exporting.cancel();
        updateButtons();
    });
    progress->show();
    updateButtons();
}

void PerformancesDlg::exportDone(bool ok) {
    if (progress) {
        const QSignalBlocker quiet(progress.data());
        progress->close();
    }
    updateButtons();
    if (!ok) {
        // Not from inside this signal: the box waits for the event loop.
        queue.request({exporting.failure().toStdString(), "Lirveto",
                       platform::MessageBoxStyle::OkExclamation});
    }
}

}  // namespace app
