// Feeds arbitrary bytes to the settings-store reader and looks the result up
// the way the About dialog does.
#include "platform/linux/RegFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto text = QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size));
    const qel::RegFile file = qel::RegFile::parse(text);
    const QString key = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools");
    file.hasKey(key);
    if (const auto values = file.values(key + QStringLiteral("\\MSINFO"))) {
        for (auto v = values->cbegin(); v != values->cend(); ++v)
            (void)v->data.size();
    }
    (void)file.value(key + QStringLiteral(" Location"), QStringLiteral("MSINFO"));
    return 0;
}
