#include "prefs/set_output.h"

#include <QComboBox>
#include <QShortcut>
#include <utility>

#include "settings/output_settings.h"
#include "settings/settings_values.h"

namespace {

using framework::DialogItem;
using framework::ItemKind;

const DialogItem outputItems[] = {
    {TSetOutput::deviceLabel, ItemKind::Static, "Output &device", 8, 8, 170, 9},
    {TSetOutput::deviceCombo, ItemKind::ComboBox, "", 8, 19, 173, 14},
    {TSetOutput::latencyLabel, ItemKind::Static, "Output &latency", 8, 40, 170, 9},
    {TSetOutput::latencyCombo, ItemKind::ComboBox, "", 8, 51, 80, 14},
    {TSetOutput::nextPlayLabel, ItemKind::Static, "A new choice is heard from the next Play.", 8,
     74, 173, 9},
};

const framework::DialogTemplate outputTemplate{
    TSetOutput::resourceId, "Output", 189, 92, 8, outputItems};

QString latencyText(int ms) {
    return ms == 0 ? QStringLiteral("Auto") : QStringLiteral("%1 ms").arg(ms);
}

}  // namespace

std::span<const framework::Response<TSetOutput>> TSetOutput::responseTable() {
    return {};
}

TSetOutput::TSetOutput(DeviceLister lister, QWidget* parent)
    : TPropertyPage(parent, outputTemplate),
      ContextHelpWin(this, controls::helptables::outputPrefs,
                     controls::helptables::outputPrefsContext),
      listDevices(std::move(lister)) {}

QComboBox* TSetOutput::deviceBox() const {
    return qobject_cast<QComboBox*>(item(deviceCombo));
}

QComboBox* TSetOutput::latencyBox() const {
    return qobject_cast<QComboBox*>(item(latencyCombo));
}

void TSetOutput::setupWindow() {
    // Each entry carries what is stored for it: the device's name, the latency in ms.
    if (QComboBox* devices = deviceBox()) {
        devices->addItem(QStringLiteral("System default"), QString());
        if (listDevices) {
            for (const platform::OutputDevice& device : listDevices()) {
                devices->addItem(QString::fromStdString(device.description),
                                 QString::fromStdString(device.name));
            }
        }
    }
    if (QComboBox* latencies = latencyBox()) {
        latencies->addItem(latencyText(0), 0);
        for (const int ms : fixedLatencies) {
            latencies->addItem(latencyText(ms), ms);
        }
    }
    // The labels' letters lead to the lists they name.
    for (const auto& [keys, target] :
         {std::pair{"Alt+D", deviceCombo}, std::pair{"Alt+L", latencyCombo}}) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromUtf8(keys)), this);
        connect(shortcut, &QShortcut::activated, this, [this, id = target] {
            if (QWidget* field = item(id)) {
                field->setFocus(Qt::ShortcutFocusReason);
            }
        });
    }
    TPropertyPage::setupWindow();
}

void TSetOutput::selectDevice(const QString& name) {
    QComboBox* devices = deviceBox();
    if (devices == nullptr) {
        return;
    }
    int found = devices->findData(name);
    if (found < 0) {
        // A device the server does not offer now (unplugged, or no server answered) stays chosen
        // under its own name, so that OK does not lose it.
        devices->addItem(name, name);
        found = devices->count() - 1;
    }
    devices->setCurrentIndex(found);
}

void TSetOutput::selectLatency(int ms) {
    QComboBox* latencies = latencyBox();
    if (latencies == nullptr) {
        return;
    }
    int found = latencies->findData(ms);
    if (found < 0) {
        // A latency set outside this list (a settings file edited by hand) is kept in order.
        int at = 1;
        while (at < latencies->count() && latencies->itemData(at).toInt() < ms) {
            ++at;
        }
        latencies->insertItem(at, latencyText(ms), ms);
        found = at;
    }
    latencies->setCurrentIndex(found);
}

void TSetOutput::TransferData(framework::TransferDirection direction) {
    QComboBox* devices = deviceBox();
    QComboBox* latencies = latencyBox();
    if (direction == framework::TransferDirection::setData) {
        selectDevice(QString::fromStdString(settings::OutputDevice.get()));
        selectLatency(settings::validOutputLatency(settings::OutputLatency));
        return;
    }
    if (devices != nullptr && devices->currentIndex() >= 0) {
        settings::OutputDevice.set(devices->currentData().toString().toStdString());
    }
    if (latencies != nullptr && latencies->currentIndex() >= 0) {
        settings::OutputLatency = latencies->currentData().toInt();
    }
}
