#include "prefs/set_midi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QShortcut>
#include <utility>

#include "framework/page_services.h"
#include "platform/midiout_api.h"
#include "platform/utf8_text.h"
#include "settings/settings_values.h"

namespace {

using framework::DialogItem;
using framework::ItemKind;

const DialogItem midiItems[] = {
    {TSetMidi::driverLabel, ItemKind::Static, "MIDI output &driver", 8, 8, 170, 9},
    {TSetMidi::driverCombo, ItemKind::EditComboBox, "", 8, 19, 173, 14},
    {TSetMidi::patchOffsetBox, ItemKind::CheckBox, "1-Based instrument notation (recommended)", 8,
     40, 173, 10},
    {TSetMidi::soundFontLabel, ItemKind::Static, "&SoundFont of the built-in synth", 8, 60, 170, 9},
    {TSetMidi::soundFontEdit, ItemKind::Edit, "", 8, 71, 130, 14},
    {TSetMidi::soundFontBrowse, ItemKind::PushButton, "&Browse...", 142, 71, 39, 14},
};

const framework::DialogTemplate midiTemplate{TSetMidi::resourceId, "MIDI", 189, 106, 8, midiItems};

constexpr const char* mapperName = "MIDI Mapper";

}  // namespace

std::span<const framework::Response<TSetMidi>> TSetMidi::responseTable() {
    static constexpr framework::Response<TSetMidi> table[] = {
        {framework::WM_COMMAND, &TSetMidi::browseSoundFont, TSetMidi::soundFontBrowse},
    };
    return table;
}

TSetMidi::TSetMidi(platform::MidiOutApi* output, framework::FileDialogs& dialogs, QWidget* parent)
    : TPropertyPage(parent, midiTemplate),
      ContextHelpWin(this, controls::helptables::midiPrefs, controls::helptables::midiPrefsContext),
      midiOut(output),
      fileDialogs(dialogs) {}

QComboBox* TSetMidi::driverBox() const {
    return qobject_cast<QComboBox*>(item(driverCombo));
}

QLineEdit* TSetMidi::soundFontField() const {
    return qobject_cast<QLineEdit*>(item(soundFontEdit));
}

void TSetMidi::setupWindow() {
    if (QComboBox* combo = driverBox()) {
        combo->setInsertPolicy(QComboBox::NoInsert);
        if (QLineEdit* edit = combo->lineEdit()) {
            edit->setMaxLength(static_cast<int>(settings::midiDriverMaxLength));
        }
    }
    if (QLineEdit* field = soundFontField()) {
        field->setMaxLength(static_cast<int>(settings::soundFontMaxLength));
        field->setPlaceholderText(QStringLiteral("The system's General MIDI SoundFont"));
    }
    // The labels' letters lead to the fields they name.
    for (const auto& [keys, target] :
         {std::pair{"Alt+D", driverCombo}, std::pair{"Alt+S", soundFontEdit}}) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromUtf8(keys)), this);
        connect(shortcut, &QShortcut::activated, this, [this, id = target] {
            if (QWidget* field = item(id)) {
                field->setFocus(Qt::ShortcutFocusReason);
            }
        });
    }
    fillDriverList();
    TPropertyPage::setupWindow();
}

void TSetMidi::fillDriverList() {
    QComboBox* combo = driverBox();
    if (combo == nullptr || midiOut == nullptr) {
        return;
    }
    platform::MidiOutCaps caps;
    if (midiOut->getDevCaps(platform::mm::MIDI_MAPPER, &caps) == platform::mm::MMSYSERR_NOERROR) {
        combo->addItem(QString::fromUtf8(caps.productName));
    }
    const uint32_t count = midiOut->getNumDevs();
    for (uint32_t id = 0; id < count; ++id) {
        caps = {};
        if (midiOut->getDevCaps(id, &caps) == platform::mm::MMSYSERR_NOERROR) {
            combo->addItem(QString::fromUtf8(caps.productName));
        }
    }
}

void TSetMidi::selectDriver(const QString& name) {
    QComboBox* combo = driverBox();
    if (combo == nullptr) {
        return;
    }
    const QString wanted = name == QStringLiteral("-1") ? QString::fromUtf8(mapperName) : name;
    const int found = combo->findText(wanted, Qt::MatchStartsWith);
    if (found >= 0) {
        combo->setCurrentIndex(found);
    } else {
        combo->setCurrentIndex(-1);
        combo->setEditText(name);
    }
}

void TSetMidi::TransferData(framework::TransferDirection direction) {
    QComboBox* combo = driverBox();
    auto* patchOffset = qobject_cast<QCheckBox*>(item(patchOffsetBox));
    QLineEdit* soundFont = soundFontField();
    if (direction == framework::TransferDirection::setData) {
        if (patchOffset != nullptr) {
            patchOffset->setChecked(settings::PatchOffset == 1);
        }
        selectDriver(QString::fromStdString(settings::MidiDriver.get()));
        if (soundFont != nullptr) {
            soundFont->setText(QString::fromStdString(settings::SoundFont.get()));
        }
        return;
    }
    if (patchOffset != nullptr) {
        settings::PatchOffset = patchOffset->isChecked() ? 1 : 0;
    }
    if (combo != nullptr) {
        // Cut in bytes, as it is stored, and never inside a character.
        const std::string name = combo->currentText().toStdString();
        settings::MidiDriver.set(
            std::string(platform::text::utf8Prefix(name, settings::midiDriverMaxLength)));
    }
    if (soundFont != nullptr) {
        settings::SoundFont.set(
            soundFont->text().trimmed().left(settings::soundFontMaxLength).toStdString());
    }
}

framework::LRESULT TSetMidi::browseSoundFont(framework::WPARAM, framework::LPARAM) {
    QLineEdit* field = soundFontField();
    if (field == nullptr) {
        return 0;
    }
    const QString folder = field->text().isEmpty() ? QStringLiteral("/usr/share/sounds/sf2")
                                                   : QFileInfo(field->text()).absolutePath();
    const QString chosen =
        fileDialogs.openFileName(this, QStringLiteral("Open"),
                                 QStringLiteral("SoundFont files (*.sf2 *.sf3);;All files (*)"),
                                 folder, QStringLiteral("sf2"));
    if (!chosen.isEmpty()) {
        field->setText(chosen);
    }
    return 0;
}
