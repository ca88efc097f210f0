#pragma once
// RescueNote: the recordings that endings by signal kept, one path a line, for the next start to
// tell the user about. Each ending adds to it; it stays until the user has dismissed the notice,
// so that a start ended before then tells again.
//
// Thread: GUI.

#include <QString>
#include <QStringList>
#include <utility>

namespace app {

class RescueNote {
  public:
    explicit RescueNote(QString path) : file(std::move(path)) {}

    // Adds the recordings after those of earlier endings. False, with the reason in `error`,
    // when the note could not be written.
    bool add(const QStringList& recordings, QString& error) const;
    // The noted recordings that are still where they were kept, each once, oldest first. A note
    // whose recordings are all gone (moved or deleted by the user) is dropped.
    QStringList keptRecordings() const;
    void remove() const;

  private:
    QString file;
};

}  // namespace app
