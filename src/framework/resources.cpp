#include "framework/resources.h"

#include <QFile>

// The resources live in a static library: nothing references them unless they are registered.
static void registerLirvetoResources() {
    Q_INIT_RESOURCE(lirveto);
}

namespace framework {

namespace {
void ensureResources() {
    static const bool registered = [] {
        registerLirvetoResources();
        return true;
    }();
    (void)registered;
}
}  // namespace

QPixmap loadBitmap(int id) {
    ensureResources();
    return QPixmap(QStringLiteral(":/lirveto/bitmaps/%1.png").arg(id));
}

QIcon loadIcon(int id) {
    ensureResources();
    QIcon icon;
    for (const int size : {32, 16}) {
        const QString path = QStringLiteral(":/lirveto/icons/%1-%2.png").arg(id).arg(size);
        if (QFile::exists(path)) {
            icon.addFile(path, QSize(size, size));
        }
    }
    return icon;
}

}  // namespace framework
