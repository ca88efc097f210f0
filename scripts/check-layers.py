#!/usr/bin/env python3
"""Fails when a source under src/ breaks the layering.

The pure core (platform, platform/waveout, settings, files and the engine folders) must not include a Qt, SDL, FluidSynth, ALSA, libsndfile or X11/xcb header, and no folder may
include a project header from a layer above its own. Includes are read as text, so a forbidden
header is caught even where the compiler would find it on the default path (fluidsynth.h,
alsa/asoundlib.h, SDL2/SDL.h).

Usage: check-layers.py [SOURCE_ROOT]   (default: the repository's src/)
"""

import pathlib
import re
import sys

# Headers of the device and GUI libraries, by the first part of the included name.
DEVICE_HEADER = re.compile(
    r"^(Q[A-Za-z]*|Qt[A-Za-z]*/.*|SDL[^/]*|SDL2/.*|fluidsynth(\.h|/.*)|alsa/.*|asoundlib\.h|"
    r"xcb/.*|X11/.*|sndfile\.hh?)$"
)
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')

# Layers from the bottom up; a file may include project headers of its own layer and lower ones,
# except that the Qt backends and the framework stand side by side on the device backends (the
# Qt cursor reads the X pointer through the backends' xcb connection).
LAYER_RANK = {"core": 0, "backends": 1, "qt_backends": 2, "framework": 2, "controls": 3,
              "pages": 4, "prefs": 5, "surface": 5, "app": 6}
SIDE_BY_SIDE = {"qt_backends", "framework"}


def layer_of(relative: str) -> str:
    """The layer of a path relative to src/ ("engine/wave/wave_engine.h")."""
    parts = relative.split("/")
    if parts[0] == "platform" and len(parts) > 2 and parts[1] == "backends":
        return "qt_backends" if len(parts) > 3 and parts[2] == "qt" else "backends"
    if parts[0] in ("platform", "settings", "files", "engine"):
        return "core"
    if parts[0] == "pages":
        return "pages"
    return parts[0]


# The platform layer and its backends serve everything above them: they take what they need as
# arguments rather than reading the settings, the files or the engines.
ABOVE_THE_PLATFORM = ("settings/", "files/", "engine/")


def may_include(source_layer: str, header_layer: str) -> bool:
    if source_layer == header_layer:
        return True
    if source_layer in SIDE_BY_SIDE and header_layer in SIDE_BY_SIDE:
        return False
    return LAYER_RANK.get(header_layer, 99) < LAYER_RANK.get(source_layer, 99)


def problems(root: pathlib.Path):
    for path in sorted(root.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        relative = path.relative_to(root).as_posix()
        layer = layer_of(relative)
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            header = match.group(1)
            where = f"src/{relative}:{number}"
            if layer == "core" and DEVICE_HEADER.match(header):
                yield f"{where}: the core includes the device or GUI header <{header}>"
            elif (relative.startswith("platform/") and header.startswith(ABOVE_THE_PLATFORM)
                  and (root / header).is_file()):
                yield f"{where}: the platform includes {header} of a layer above it"
            elif (root / header).is_file() and not may_include(layer, layer_of(header)):
                yield f"{where}: {layer} includes {header} of the {layer_of(header)} layer"


def main() -> int:
    default = pathlib.Path(__file__).resolve().parent.parent / "src"
    root = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else default
    if not root.is_dir():
        print(f"check-layers: no such folder {root}", file=sys.stderr)
        return 2
    found = list(problems(root))
    for problem in found:
        print(problem, file=sys.stderr)
    if found:
        print(f"check-layers: {len(found)} include(s) break the layering", file=sys.stderr)
        return 1
    print("check-layers: every include keeps to its layer")
    return 0


if __name__ == "__main__":
    sys.exit(main())
