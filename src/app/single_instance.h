#pragma once
// One running Lirveto per user. A lock file in the runtime folder, held for the whole run, makes
// the rule atomic: only its holder listens on the per-user local socket, so only the holder ever
// replaces or removes that socket. A later start that finds the lock taken asks the holder to
// come to the front and counts it as running only when it answers.
//
// Thread: GUI.

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "platform/instance_lock.h"

namespace app {

class SingleInstance : public QObject {
  public:
    enum class Start {
        first,     // this is the instance (listening unless errorText says otherwise)
        asked,     // another instance answered and comes to the front
        silent,    // another instance holds the lock but did not answer in time
        unguarded  // no lock could be had (see errorText): runs without the rule
    };

    // The socket and the lock live in `folder`; an empty folder means there is none to use.
    explicit SingleInstance(QString folder);

    QString socketPath() const;
    QString lockPath() const;

    // Takes the lock and listens, or asks the holder; waits up to `waitMs` for a holder that is
    // still starting to answer. `activate` runs for each later start that asks this one.
    Start start(std::function<void()> activate, int waitMs = 10000);

    // True only when an instance listening at the socket answered the request.
    bool askRunningInstance(int timeoutMs);

    QString errorText() const { return error; }

    static constexpr const char* activateRequest = "activate\n";
    static constexpr const char* activateAnswer = "ok\n";

  private:
    bool listen();
    void answer();

    QString folder;
    QString error;
    // Declared before the server so that it is released after the server has removed its socket.
    std::unique_ptr<platform::InstanceLock> lock;
    QLocalServer server;
    std::function<void()> onActivate;
};

}  // namespace app
