#pragma once
// The main window's title as every sound page shows it: the recording's file title, if any,
// before the program's name ("[noname.WAV] Lirveto", "take.wav Lirveto", "Lirveto").

#include <QString>

namespace framework {

inline constexpr const char* programName = "Lirveto";

// Composed afresh each time, so nothing of an earlier file's name can stay behind. Kept within
// the 259 characters a caption buffer holds, never cutting a character in half. Any thread.
QString composeWindowTitle(const QString& fileTitle);

}  // namespace framework
