#include "platform/Scheduler.h"

#include <QCryptographicHash>

namespace qel {

QString scheduleName(const QString& source, const QString& drive) {
    const QByteArray digest =
        QCryptographicHash::hash(source.toUpper().toUtf8(), QCryptographicHash::Sha256);
    return drive.left(1).toLower() + u'-' + QString::fromLatin1(digest.toHex().left(8));
}

} // namespace qel
