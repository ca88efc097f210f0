// The guide is checked in the painted image, against columns found by walking the engines'
// mappings pixel by pixel, so a guide that drifts from what sounds fails here.

#include "surface/note_guide.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <set>
#include <utility>

#include "engine/midi/midi_tone.h"
#include "engine/tone/cursor_mapping.h"
#include "engine/tone/note_readout.h"
#include "engine/tone/pitch_layout.h"
#include "settings/settings_values.h"
#include "support/qt_application.h"
#include "support/scoped_playing_settings.h"
#include "support/scoped_settings.h"
#include "surface/surface_painter.h"

namespace {

using surface::GuideMapping;

struct ScopedMidiRange {
    int32_t low = settings::MidiPitch;
    int32_t high = settings::MidiPitch2;
    ~ScopedMidiRange() {
        settings::MidiPitch = low;
        settings::MidiPitch2 = high;
    }
};

surface::NoteGuide guideFor(GuideMapping mapping, platform::ScreenSize screen) {
    return surface::buildNoteGuide(surface::currentGuideKey(mapping, screen));
}

const surface::GuideLine* lineOf(const surface::NoteGuide& guide, int32_t note) {
    const auto found = std::find_if(guide.lines.begin(), guide.lines.end(),
                                    [note](const auto& line) { return line.note == note; });
    return found == guide.lines.end() ? nullptr : &*found;
}

// The first column at which the Wave mapping sounds `hz`, by walking every column.
int32_t waveColumnOf(int32_t hz, platform::ScreenSize screen) {
    for (int32_t x = 0; x < screen.width; ++x) {
        if (engine::frequencyFromCursor(x, screen) >= hz) {
            return x;
        }
    }
    return -1;
}

int32_t midiColumnOf(float pitch, int32_t width, engine::PitchRange range) {
    for (int32_t x = 0; x < width; ++x) {
        const float at = engine::exactPitch(x, width, range);
        if (range.high >= range.low ? at >= pitch : at <= pitch) {
            return x;
        }
    }
    return -1;
}

QImage painted(const surface::NoteGuide& guide, platform::ScreenSize screen) {
    QImage image(screen.width, screen.height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    surface::paintGuide(painter, guide, image.size());
    return image;
}

// A row away from the labels and the loudness scale.
int clearRow(platform::ScreenSize screen) {
    return screen.height * 3 / 8;
}

// The painted image shows a line in column x and none in a column the guide leaves empty.
void expectLineDrawnAt(const QImage& image, const surface::NoteGuide& guide, int32_t x) {
    std::set<int32_t> used;
    for (const auto& line : guide.lines) {
        used.insert(line.x);
    }
    int32_t empty = 0;
    while (used.count(empty) != 0) {
        ++empty;
    }
    const int y = clearRow({image.width(), image.height()});
    EXPECT_NE(image.pixel(x, y), image.pixel(empty, y)) << "no line in column " << x;
    EXPECT_TRUE(used.count(x) != 0);
}

TEST(NoteGuide, TheWaveGuidesA4LiesWhereTheWaveMappingFirstSounds440Hz) {
    ScopedToneSettings restore;
    for (const platform::ScreenSize screen :
         {platform::ScreenSize{1920, 1080}, platform::ScreenSize{3840, 2160},
          platform::ScreenSize{800, 800}, platform::ScreenSize{1366, 768}}) {
        for (int32_t pitch : {1, 2, 5, 10}) {
            settings::Pitch = pitch;
            const surface::NoteGuide guide = guideFor(GuideMapping::frequency, screen);
            const surface::GuideLine* a4 = lineOf(guide, 69);
            ASSERT_NE(a4, nullptr) << screen.width << " px, Pitch " << pitch;
            EXPECT_EQ(a4->x, waveColumnOf(440, screen)) << screen.width << " px, Pitch " << pitch;
            expectLineDrawnAt(painted(guide, screen), guide, a4->x);
            // Every line lies where the mapping sounds its note, whatever the note.
            for (const auto& line : guide.lines) {
                EXPECT_EQ(
                    line.x,
                    waveColumnOf(engine::frequencyFromNote(static_cast<float>(line.note)), screen))
                    << "note " << line.note;
            }
        }
    }
    settings::Pitch = 1;
    const surface::NoteGuide narrow = guideFor(GuideMapping::frequency, {1920, 1080});
    EXPECT_EQ(lineOf(narrow, 84), nullptr) << "C6 (1046 Hz) lies beyond 1020 Hz";
    EXPECT_EQ(lineOf(narrow, 15), nullptr) << "below 20 Hz";

    ScopedPlayingSettings restorePlaying;
    settings::Pitch = 10;
    settings::ConcertPitch = 4150;  // A4 = 415 Hz: the guide's A4 moves to where 415 Hz sounds
    EXPECT_EQ(lineOf(guideFor(GuideMapping::frequency, {1920, 1080}), 69)->x,
              waveColumnOf(415, {1920, 1080}));
}

TEST(NoteGuide, TheMidiGuidesNote69LiesWhereTheMidiPitchReaches69InEitherDirection) {
    ScopedMidiRange restore;
    for (const engine::PitchRange range :
         {engine::PitchRange{40, 80}, engine::PitchRange{60, 72}, engine::PitchRange{0, 127},
          engine::PitchRange{80, 40}}) {
        settings::MidiPitch = range.low;
        settings::MidiPitch2 = range.high;
        for (const platform::ScreenSize screen :
             {platform::ScreenSize{1920, 1080}, platform::ScreenSize{3840, 2160}}) {
            const surface::NoteGuide guide = guideFor(GuideMapping::midi, screen);
            const surface::GuideLine* a4 = lineOf(guide, 69);
            ASSERT_NE(a4, nullptr);
            EXPECT_EQ(a4->x, midiColumnOf(69.0F, screen.width, range))
                << range.low << ".." << range.high << " over " << screen.width;
            expectLineDrawnAt(painted(guide, screen), guide, a4->x);
            EXPECT_EQ(a4->label, "A4");
        }
    }
    // Reversed, the notes fall from left to right: the guide reads right to left.
    const surface::NoteGuide reversed = guideFor(GuideMapping::midi, {1920, 1080});
    ASSERT_GE(reversed.lines.size(), 2U);
    EXPECT_GT(reversed.lines.front().note, reversed.lines.back().note);
    EXPECT_LT(lineOf(reversed, 72)->x, lineOf(reversed, 60)->x);
}

TEST(NoteGuide, LanesTooNarrowToHitAreFaintAndUnlabelled) {
    ScopedToneSettings restore;
    settings::Pitch = 10;  // 12.5 Hz per column on 800 pixels
    const platform::ScreenSize screen{800, 800};
    const surface::NoteGuide guide = guideFor(GuideMapping::frequency, screen);
    const surface::GuideLine* a1 = lineOf(guide, 33);  // 55 Hz: semitones 3 Hz apart
    const surface::GuideLine* a6 = lineOf(guide, 93);  // 1760 Hz: 105 Hz apart
    ASSERT_NE(a1, nullptr);
    ASSERT_NE(a6, nullptr);
    EXPECT_LT(a1->laneWidth, surface::kNarrowestLane);
    EXPECT_TRUE(a1->label.isEmpty());
    EXPECT_GE(a6->laneWidth, surface::kNarrowestLane);
    EXPECT_EQ(a6->label, "A6");
    for (const auto& line : guide.lines) {
        if (line.laneWidth < surface::kNarrowestLane) {
            EXPECT_TRUE(line.label.isEmpty()) << "note " << line.note;
        }
    }
    // Sharps never carry a label, and naturals are drawn stronger than sharps.
    const QImage image = painted(guide, screen);
    const surface::GuideLine* c7 = lineOf(guide, 96);
    const surface::GuideLine* cSharp7 = lineOf(guide, 97);
    ASSERT_NE(c7, nullptr);
    ASSERT_NE(cSharp7, nullptr);
    EXPECT_TRUE(cSharp7->label.isEmpty());
    const int y = clearRow(screen);
    EXPECT_GT(qGray(image.pixel(c7->x, y)), qGray(image.pixel(cSharp7->x, y)));
    EXPECT_GT(qGray(image.pixel(cSharp7->x, y)), qGray(image.pixel(a1->x, y)))
        << "a lane too narrow to hit is fainter than any other";
}

TEST(NoteGuide, TheSemitonesLayoutSpacesTheSamplePagesNotesEvenlyAndLeavesTheMidiPage) {
    ScopedPlayingSettings restore;
    settings::CursorLayout = settings::PitchLayout::Semitones;
    settings::LowNote = 45;
    settings::HighNote = 93;
    const platform::ScreenSize screen{1920, 1080};
    const engine::CursorLayoutSetup layout{settings::PitchLayout::Semitones, 45, 93};
    {
        const surface::NoteGuide guide = guideFor(GuideMapping::frequency, screen);
        ASSERT_EQ(guide.lines.size(), 49U) << "A2 to A6, both edges included";
        EXPECT_EQ(guide.lines.front().x, 0);
        EXPECT_EQ(guide.lines.back().x, screen.width - 1);
        for (const auto& line : guide.lines) {
            // The column plays the note to within half a column (1/80 of a semitone).
            EXPECT_NEAR(engine::pitchFromCursor(line.x, screen, layout), line.note,
                        0.5 * 48 / 1919 + 1e-9);
            EXPECT_NEAR(line.laneWidth, 1919.0 / 48, 1.0) << "note " << line.note;
        }
        EXPECT_EQ(lineOf(guide, 69)->label, "A4");
    }
    const surface::NoteGuide midiInSemitones = guideFor(GuideMapping::midi, screen);
    settings::CursorLayout = settings::PitchLayout::Hertz;
    const surface::NoteGuide midiInHertz = guideFor(GuideMapping::midi, screen);
    ASSERT_EQ(midiInSemitones.lines.size(), midiInHertz.lines.size());
    for (size_t i = 0; i < midiInHertz.lines.size(); ++i) {
        EXPECT_EQ(midiInSemitones.lines[i].x, midiInHertz.lines[i].x) << "line " << i;
    }
}

TEST(NoteGuide, WhileACorrectionIsOnTheScalesNotesAreStrongAndTheOthersFaint) {
    ScopedPlayingSettings restore;
    settings::CursorLayout = settings::PitchLayout::Semitones;
    settings::LowNote = 60;
    settings::HighNote = 72;
    settings::CorrectionScale = settings::MusicalScale::Major;
    settings::CorrectionRoot = 2;  // D major: F#, C# in; F, C out
    const platform::ScreenSize screen{1200, 800};
    const int y = clearRow(screen);
    const auto grayAt = [&](const surface::NoteGuide& guide, int32_t note) {
        return qGray(painted(guide, screen).pixel(lineOf(guide, note)->x, y));
    };

    const surface::NoteGuide plain = guideFor(GuideMapping::frequency, screen);
    EXPECT_GT(grayAt(plain, 60), grayAt(plain, 61)) << "without correction: naturals over sharps";

    settings::Correction = true;
    const surface::NoteGuide guide = guideFor(GuideMapping::frequency, screen);
    for (const int32_t note : {61, 62, 64, 66, 67, 69, 71}) {
        EXPECT_TRUE(lineOf(guide, note)->inScale) << note;
    }
    for (const int32_t note : {60, 63, 65, 68, 70, 72}) {
        EXPECT_FALSE(lineOf(guide, note)->inScale) << note;
    }
    EXPECT_GT(grayAt(guide, 66), grayAt(guide, 65)) << "F# in, F out";
    EXPECT_GT(grayAt(guide, 61), grayAt(guide, 60)) << "C# in, C out";
    EXPECT_GT(grayAt(guide, 61), grayAt(plain, 61)) << "a scale note is stronger than before";
    // Every scale note is named, the root marked; the others are not.
    for (const auto& [note, name] : {std::pair{61, "C#4"},
                                     {62, "D4"},
                                     {64, "E4"},
                                     {66, "F#4"},
                                     {67, "G4"},
                                     {69, "A4"},
                                     {71, "B4"}}) {
        EXPECT_EQ(lineOf(guide, note)->label, name);
        EXPECT_EQ(lineOf(guide, note)->root, note == 62) << note;
    }
    EXPECT_TRUE(lineOf(guide, 60)->label.isEmpty()) << "C, out of the scale";
}

TEST(NoteGuide, TheLoudnessScaleRunsFromTheLoudestAtTheTopToSilenceAtTheBottom) {
    ScopedToneSettings restore;
    ScopedMidiRange restoreRange;
    settings::Volume = 80;
    const surface::NoteGuide wave = guideFor(GuideMapping::frequency, {1920, 1080});
    ASSERT_EQ(wave.loudness.size(), 5U);
    EXPECT_EQ(wave.loudness.front().y, 0);
    EXPECT_EQ(wave.loudness.front().loudness, 80);
    EXPECT_EQ(wave.loudness[2].loudness, 40);
    EXPECT_EQ(wave.loudness.back().loudness, 0);
    EXPECT_EQ(wave.loudest, 80);

    const int32_t midiVolume = settings::MidiVolume;
    settings::MidiVolume = 100;
    const surface::NoteGuide midi = guideFor(GuideMapping::midi, {1920, 1080});
    settings::MidiVolume = midiVolume;
    EXPECT_EQ(midi.loudest, 127);
    EXPECT_EQ(midi.loudness.back().loudness, engine::levelFor(1079, 1080, 100));
}

TEST(NoteGuide, TheMarkerNamesTheNearestNoteAndItsOffsetInCents) {
    using engine::SoundingNote;
    EXPECT_FALSE(surface::markerNote({SoundingNote::Kind::silent, 440, 50}).has_value());
    const auto a4 = surface::markerNote({SoundingNote::Kind::frequency, 440, 50});
    ASSERT_TRUE(a4.has_value());
    EXPECT_EQ(a4->name, "A4");
    EXPECT_EQ(a4->cents, 0);
    // 439 Hz reads "G#4" in the status bar (truncated); the marker names the nearest note.
    const auto flat = surface::markerNote({SoundingNote::Kind::frequency, 439, 50});
    EXPECT_EQ(flat->name, "A4");
    EXPECT_LT(flat->cents, 0);
    const auto bent = surface::markerNote({SoundingNote::Kind::note, 60.7F, 100});
    EXPECT_EQ(bent->name, "C#4");
    EXPECT_EQ(bent->cents, -30);
    const auto low = surface::markerNote({SoundingNote::Kind::frequency, 20, 10});
    ASSERT_TRUE(low.has_value());
    EXPECT_TRUE(low->name.isEmpty()) << "below the named notes, as the readout's \"---\"";
}

}  // namespace
