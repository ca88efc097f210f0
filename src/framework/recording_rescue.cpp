#include "framework/recording_rescue.h"

#include <QDir>
#include <QFileInfo>

namespace framework {

QString freeFileName(const QString& folder, const QString& stem, const QString& suffix) {
    const QDir where(folder);
    QString name = where.filePath(stem + QLatin1Char('.') + suffix);
    for (int n = 2; QFileInfo::exists(name); ++n) {
        name = where.filePath(stem + QLatin1Char('-') + QString::number(n) + QLatin1Char('.') +
                              suffix);
    }
    return name;
}

}  // namespace framework
