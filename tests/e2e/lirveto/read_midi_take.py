#!/usr/bin/python3
"""Reads a Midi page recording with mido: read_midi_take.py FILE FIRST_NOTE LAST_NOTE.
The file must be format 1 with a 1 ms tick, start with the program change on channels 13 and 1,
and strike FIRST_NOTE, later LAST_NOTE, each on both channels, every event at a time not before
the one ahead of it, the last note ended by a note off."""
import sys

import mido


def main(argv):
    song = mido.MidiFile(argv[1])
    first, last = int(argv[2]), int(argv[3])
    assert song.type == 1 and len(song.tracks) == 2, (song.type, len(song.tracks))
    assert song.ticks_per_beat == 24, song.ticks_per_beat
    tempo = [m.tempo for m in song.tracks[0] if m.type == "set_tempo"]
    assert tempo == [24000], tempo
    now = 0
    struck = []
    events = [m for m in song.tracks[1] if not m.is_meta]
    for message in song.tracks[1]:
        now += message.time
        if message.type == "note_on" and message.velocity > 0:
            struck.append((now, message.channel, message.note))
    assert [(m.type, m.channel) for m in events[:2]] == [("program_change", 13),
                                                         ("program_change", 1)], events[:2]
    assert [(c, n) for _, c, n in struck[:2]] == [(13, first), (1, first)], struck[:2]
    assert [(c, n) for _, c, n in struck[-2:]] == [(13, last), (1, last)], struck[-2:]
    assert struck[-1][0] - struck[0][0] >= 500, struck  # a second apart, give or take the timer
    assert events[-1].type == "note_off" and events[-1].note == last, events[-1]
    print(f"read_midi_take: {len(events)} events over {now} ms, notes {[n for _, c, n in struck if c == 13]}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
