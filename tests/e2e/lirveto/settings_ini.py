#!/usr/bin/python3
"""Settings files as the program writes them.
settings_ini.py check FILE: the sections are Version (Version=1.0) first, then Setup led by
SwoopMode, then Main with the four view keys; every Setup value is a whole number or a word of
the wave format, and the device-bound MidiDriver and PatchOffset are absent.
settings_ini.py same FILE1 FILE2: both hold the same sections, keys and values."""
import configparser
import sys

VIEW_KEYS = ["ViewNoteName", "ViewNoteMid", "ViewNoteFreq", "ViewNoteVol"]
SETUP_KEYS = {"SwoopMode", "PlayOnStart", "MinimizeOnStart", "OnTop", "StopFocus", "Stereo",
              "SampleRate", "Resolution", "Instrument", "MidiPitch", "MidiPitch2", "MidiTremolo",
              "MidiVolume", "PitchBend", "Volume", "Pitch", "Vibrato", "Timbre"}


def read(path):
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str  # keys keep their case
    with open(path, encoding="ascii") as source:
        parser.read_file(source)
    return parser


def check(path):
    ini = read(path)
    assert ini.sections() == ["Version", "Setup", "Main"], ini.sections()
    assert dict(ini["Version"]) == {"Version": "1.0"}, dict(ini["Version"])
    setup = list(ini["Setup"])
    assert setup[0] == "SwoopMode", setup
    assert set(setup) == SETUP_KEYS, set(setup) ^ SETUP_KEYS
    for key in SETUP_KEYS - {"SampleRate", "Resolution"}:
        int(ini["Setup"][key])
    assert sorted(ini["Main"]) == sorted(VIEW_KEYS), list(ini["Main"])
    assert all(ini["Main"][key].isdigit() for key in VIEW_KEYS), dict(ini["Main"])
    text = open(path, encoding="ascii").read()
    assert "MidiDriver" not in text and "PatchOffset" not in text, text
    print(f"settings_ini: {path} holds {len(setup)} Setup values and the view keys")


def same(first, second):
    a, b = read(first), read(second)
    values = {s: dict(a[s]) for s in a.sections()}
    others = {s: dict(b[s]) for s in b.sections()}
    assert values == others, (values, others)
    print(f"settings_ini: {first} and {second} hold the same values")


def main(argv):
    if len(argv) == 3 and argv[1] == "check":
        check(argv[2])
    elif len(argv) == 4 and argv[1] == "same":
        same(argv[2], argv[3])
    else:
        raise SystemExit(__doc__)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
