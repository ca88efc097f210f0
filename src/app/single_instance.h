#pragma once
// One running Lirveto per user: the first start listens on a per-user local socket; a later start
// finds it there and asks it to come to the front instead of opening a second window.

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>

namespace app {

class SingleInstance : public QObject {
  public:
    // `socketPath` is where the running instance listens.
    explicit SingleInstance(QString socketPath = defaultSocketPath());

    // $XDG_RUNTIME_DIR (or the temporary folder) / lirveto-<user id>.socket.
    static QString defaultSocketPath();

    // True when an instance answers at the socket: it has been asked to show itself. GUI thread.
    bool askRunningInstance(int timeoutMs = 2000);

    // Listens for later starts; `activate` runs for each one. A socket left by a run that
    // crashed is replaced. False (with errorText) when the socket cannot be made. GUI thread.
    bool listen(std::function<void()> activate);
    QString errorText() const { return server.errorString(); }

    static constexpr const char* activateRequest = "activate\n";
    static constexpr const char* activateAnswer = "ok\n";

  private:
    void answer();

    QString path;
    QLocalServer server;
    std::function<void()> onActivate;
};

}  // namespace app
