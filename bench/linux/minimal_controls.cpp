// The second yardstick for start-up: a small Qt Widgets window with the kinds
// of control the program shows, so loading fonts and drawing styled controls
// costs the same on both sides.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Select the files to copy")));
    auto* combo = new QComboBox;
    combo->addItems({QStringLiteral("a: [floppy]"), QStringLiteral("c: [disk]")});
    layout->addWidget(combo);
    auto* list = new QListWidget;
    list->addItems({QStringLiteral("ACCT.CVD"), QStringLiteral("ACCT.IDX"),
                    QStringLiteral("PRICES.DAT"), QStringLiteral("QEL.INI")});
    layout->addWidget(list);
    layout->addWidget(new QPushButton(QStringLiteral("Exit")));
    window.resize(685, 512);
    window.show();
    return QApplication::exec();
}
