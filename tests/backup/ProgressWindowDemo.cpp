// Shows the progress window with a playing clip, lines set and the bar at 60,
// and saves a picture of it. Also writes the demo clip, which users may copy
// to C:\FILECOPY.AVI (their home folder on the default drive table).
//
//   progress_window_demo <picture.png> [clip.avi]

#include "AviWriter.h"
#include "DemoClip.h"
#include "MapDrives.h"
#include "backup/frmBackup.h"
#include "platform/Error.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPalette>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <picture.png> [clip.avi]\n", argv[0]);
        return 2;
    }
    const QColor face = app.palette().color(QPalette::Button);
    const QByteArray clip = qel::test::aviBytes(qel::test::demoCopyClip(face.rgb() & 0xffffff));
    if (argc > 2 && !qel::test::writeFile(QString::fromLocal8Bit(argv[2]), clip)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }

    QTemporaryDir drive;
    if (!qel::test::writeFile(drive.filePath("FILECOPY.AVI"), clip))
        return 1;
    qel::test::MapDrives drives;
    drives.addDrive('C', drive.path().toUtf8());
    qel::frmBackup form(drives);
    form.show();
    try {
        form.animation().Open("C:\\FILECOPY.AVI");
        form.animation().Play();
    } catch (const qel::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    form.setSourceLine("From:  C:\\QEL\\ACCT1\\*.CVT");
    form.setDestinationLine("  To:  a:\\ACCT1\\");
    form.setProgress(60);

    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 330)
        app.processEvents(QEventLoop::AllEvents, 10);
    if (!form.window()->grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    form.animation().Stop();
    form.animation().Close();
    form.unload();
    return 0;
}
