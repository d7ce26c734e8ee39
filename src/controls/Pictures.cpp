#include "controls/Pictures.h"

namespace qel {

QString picturePath(const char* name) {
    return QStringLiteral(":/qel/%1.%2").arg(QLatin1String(name), QLatin1String(QEL_PICTURE_FORMAT));
}

} // namespace qel
