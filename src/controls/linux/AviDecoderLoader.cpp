#include "controls/linux/AviDecoder.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace qel {

namespace {

constexpr int ErrorLoadingLibrary = 48; // "Error in loading DLL"

using DecodeFunction = bool (*)(const QByteArray&, qint64, DecodedClip&, int&, QString&);

// Next to the program when installed; the build folder's bin/ serves programs
// and tests run from the build tree.
QStringList moduleFolders() {
    return {QCoreApplication::applicationDirPath(), QStringLiteral(QEL_CLIP_DECODER_BUILD_DIR)};
}

DecodeFunction loadDecoder() {
    QString lastError;
    for (const QString& folder : moduleFolders()) {
        const QString file = QDir(folder).filePath(QStringLiteral("libqel_avidecoder.so"));
        if (!QFile::exists(file))
            continue;
        // Never unloaded: the decoder stays for the rest of the run once used.
        QLibrary library(file);
        if (auto f = reinterpret_cast<DecodeFunction>(library.resolve("qel_decode_clip")))
            return f;
        lastError = library.errorString();
    }
    throw Error(ErrorLoadingLibrary,
                QStringLiteral("Error in loading DLL: the clip decoder libqel_avidecoder.so %1")
                    .arg(lastError.isEmpty() ? QStringLiteral("is not installed") : lastError));
}

} // namespace

DecodedClip decodeClip(const QByteArray& hostPath, qint64 maxFrameBytes) {
    const DecodeFunction decode = loadDecoder();
    DecodedClip clip;
    int number = 0;
    QString description;
    if (!decode(hostPath, maxFrameBytes, clip, number, description))
        throw Error(number, description);
    return clip;
}

} // namespace qel
