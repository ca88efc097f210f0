#include "surface/note_guide.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "engine/midi/midi_tone.h"
#include "engine/tone/cursor_mapping.h"
#include "engine/tone/note_readout.h"
#include "engine/tone/pitch_layout.h"
#include "engine/tone/scale_notes.h"
#include "settings/settings_values.h"

namespace surface {

namespace {

constexpr int32_t kHighestNote = 127;

bool isNatural(int32_t note) {
    switch (note % 12) {
        case 1:
        case 3:
        case 6:
        case 8:
        case 10:
            return false;
        default:
            return true;
    }
}

std::optional<int32_t> columnOf(const GuideKey& key, int32_t note) {
    // The Midi page keeps its own semitone range whatever the layout of the sample pages.
    if (key.layout == settings::PitchLayout::Semitones && key.mapping != GuideMapping::midi) {
        const engine::CursorLayoutSetup layout{key.layout, key.lowNote, key.highNote};
        const auto column = engine::cursorFromPitch(note, key.screen, layout);
        return column ? std::optional<int32_t>(static_cast<int32_t>(std::lround(*column)))
                      : std::nullopt;
    }
    if (key.mapping == GuideMapping::midi) {
        return engine::cursorFromPitch(static_cast<float>(note), key.screen.width,
                                       {key.midiLow, key.midiHigh});
    }
    return engine::cursorFromFrequency(engine::frequencyFromNote(static_cast<float>(note)),
                                       key.screen);
}

int32_t loudnessAt(const GuideKey& key, int32_t y) {
    if (key.mapping == GuideMapping::midi) {
        return engine::levelFor(y, key.screen.height, key.midiVolume,
                                {key.loudnessCurve, key.loudnessRange});
    }
    return engine::amplitudeFromCursor(y, key.screen);
}

}  // namespace

GuideKey currentGuideKey(GuideMapping mapping, platform::ScreenSize screen) {
    GuideKey key;
    key.mapping = mapping;
    key.screen = screen;
    key.pitch = settings::Pitch;
    key.volume = settings::Volume;
    key.midiLow = settings::MidiPitch;
    key.midiHigh = settings::MidiPitch2;
    key.midiVolume = settings::MidiVolume;
    key.layout = settings::CursorLayout;
    key.lowNote = settings::LowNote;
    key.highNote = settings::HighNote;
    key.correcting = settings::Correction;
    key.scale = settings::CorrectionScale;
    key.root = settings::CorrectionRoot;
    key.concertPitch = settings::ConcertPitch;
    key.loudnessCurve = settings::Loudness;
    key.loudnessRange = settings::LoudnessRange;
    return key;
}

QString shortNoteName(int32_t note) {
    return QString::fromLatin1(engine::shortNoteName(note).c_str());
}

NoteGuide buildNoteGuide(const GuideKey& key) {
    NoteGuide guide;
    guide.correcting = key.correcting;
    if (key.screen.width <= 0 || key.screen.height <= 0) {
        return guide;
    }
    std::vector<std::optional<int32_t>> columns(kHighestNote + 2);
    for (int32_t note = 0; note <= kHighestNote + 1; ++note) {
        columns[static_cast<size_t>(note)] = columnOf(key, note);
    }
    for (int32_t note = 0; note <= kHighestNote; ++note) {
        const auto& x = columns[static_cast<size_t>(note)];
        if (!x) {
            continue;
        }
        // The lane reaches to the next semitone's line, or back to the previous one at the end.
        const auto& next = columns[static_cast<size_t>(note + 1)];
        const std::optional<int32_t> previous =
            note > 0 ? columns[static_cast<size_t>(note - 1)] : std::nullopt;
        int32_t lane = 0;
        if (next) {
            lane = std::abs(*next - *x);
        } else if (previous) {
            lane = std::abs(*x - *previous);
        } else {
            lane = key.screen.width;
        }
        GuideLine line;
        line.x = *x;
        line.note = note;
        line.laneWidth = lane;
        line.natural = isNatural(note);
        line.inScale = !key.correcting || engine::isScaleNote(note, key.scale, key.root);
        line.root = key.correcting && (note - key.root) % 12 == 0;
        const bool named = key.correcting ? line.inScale : note % 12 == 0 || note % 12 == 9;
        if (lane >= kNarrowestLane && named) {
            line.label = shortNoteName(note);
        }
        guide.lines.push_back(line);
    }
    std::sort(guide.lines.begin(), guide.lines.end(),
              [](const GuideLine& a, const GuideLine& b) { return a.x < b.x; });

    const int32_t height = key.screen.height;
    for (const int32_t y : {0, height / 4, height / 2, height * 3 / 4, height - 1}) {
        guide.loudness.push_back({y, loudnessAt(key, y)});
    }
    guide.loudest = guide.loudness.front().loudness;
    return guide;
}

}  // namespace surface
