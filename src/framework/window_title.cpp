#include "framework/window_title.h"

namespace framework {

namespace {
// The caption is composed in a buffer of this size, terminator included.
constexpr qsizetype captionBuffer = 260;
}  // namespace

QString composeWindowTitle(const QString& fileTitle) {
    const QString name = QString::fromUtf8(programName);
    QString caption = fileTitle.isEmpty() ? name : fileTitle + QLatin1Char(' ') + name;
    if (caption.size() > captionBuffer - 1) {
        qsizetype keep = captionBuffer - 1;
        if (caption.at(keep - 1).isHighSurrogate()) {
            --keep;
        }
        caption.truncate(keep);
    }
    return caption;
}

}  // namespace framework
