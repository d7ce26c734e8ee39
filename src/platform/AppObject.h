#pragma once

#include <QString>

namespace qel {

// The application object: the program's folder, title and version, the
// application-wide help-file path, and whether the program has ended.
class AppObject final {
public:
    // programDir is a DOS path: no trailing separator except at a drive root.
    AppObject(QString programDir, int major, int minor, int revision);

    const QString& Path() const { return m_path; }
    QString Title() const { return QStringLiteral("QEL_Trekkel"); }
    int Major() const { return m_major; }
    int Minor() const { return m_minor; }
    int Revision() const { return m_revision; }

    const QString& HelpFile() const { return m_helpFile; }
    void setHelpFile(const QString& path) { m_helpFile = path; }

    // Set once a confirmed Exit has ended the program; a handler interrupted
    // by a yield checks it and returns at once, doing nothing more.
    bool hasEnded() const { return m_ended; }
    void markEnded() { m_ended = true; }

private:
    QString m_path;
    int m_major;
    int m_minor;
    int m_revision;
    QString m_helpFile;
    bool m_ended = false;
};

// Gives Qt the application's name and version (the record's folder is named
// after it); call once the Qt application object exists.
void nameApplication();

// "Version " + major.minor.revision in plain decimal ("Version 1.0.0").
QString versionLine(const AppObject& app);

} // namespace qel
