#pragma once
// A performance rendered again: through its own page read by read (files::ReadReplay); through
// another page, or for a plain gesture file, its reads sampled by time as a gesture's are.

#include <string>

#include "files/performance_file.h"
#include "gesture.h"

// The gesture to render `performance` with through `engine`: its reads by time, which replay in
// order when the engine is the performance's own page and every read is numbered. It lasts as
// long as the play did when the file says so (through its own page, until every read the play
// made is given again), else until its last line.
Gesture performanceGesture(const files::Performance& performance, const std::string& engine);
