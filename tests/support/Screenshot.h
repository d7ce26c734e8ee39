#pragma once

#include <QDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace qel::test {

// With QEL_SCREENSHOT_DIR set, keeps a picture of the window there under
// name, so the windows can be looked at as a person sees them. Header-only:
// only window tests use it, and the support library links no widgets.
inline void keepScreenshot(QWidget& window, const QString& name) {
    const QString dir = qEnvironmentVariable("QEL_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        EXPECT_TRUE(window.grab().save(QDir(dir).filePath(name))) << name.toStdString();
    }
}

} // namespace qel::test
