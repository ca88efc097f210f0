#include "app/rescue_note.h"

#include <QFile>
#include <QFileInfo>

namespace app {

bool RescueNote::add(const QStringList& recordings, QString& error) const {
    QFile note(file);
    if (!note.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        error = note.errorString();
        return false;
    }
    const QByteArray lines = (recordings.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (note.write(lines) != lines.size() || !note.flush()) {
        error = note.errorString();
        return false;
    }
    return true;
}

QStringList RescueNote::keptRecordings() const {
    QFile note(file);
    if (!note.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    QStringList kept;
    for (const QString& path :
         QString::fromUtf8(note.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (QFileInfo(path).isFile() && !kept.contains(path)) {
            kept << path;
        }
    }
    note.close();
    if (kept.isEmpty()) {
        note.remove();
    }
    return kept;
}

void RescueNote::remove() const {
    QFile::remove(file);
}

}  // namespace app
