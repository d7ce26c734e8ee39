#include "AppHarness.h"
#include "app/FrmMain.h"
#include "app/Module1.h"
#include "controls/AccessibleRoles.h"

#include <QAccessible>
#include <QApplication>
#include <gtest/gtest.h>

namespace qel::test {
namespace {

QWidget* topLevelNamed(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

// What a screen reader reads as what the control is: its name, or for a combo
// box (whose name is its value) the label it is labelled by.
QString readAs(QAccessibleInterface* iface) {
    if (iface->role() != QAccessible::ComboBox)
        return iface->text(QAccessible::Name);
    const auto labels = iface->relations(QAccessible::Label);
    return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
}

// The main window with the defaults window and the About dialog opened from
// its menu, as a screen reader user reaches them.
class AccessibleNames : public ::testing::Test {
protected:
    void SetUp() override {
        installAccessibleRoles();
        module1.Main();
        ASSERT_TRUE(module1.MainForm());
        module1.MainForm()->Mnu_Defaults_Click();
        module1.MainForm()->Hlp_About_Click();
    }

    AppHarness h;
    Module1 module1{h.services, h.help};
};

struct Expected {
    const char* window;
    const char* control;
    QAccessible::Role role;
    const char* name;
};

TEST_F(AccessibleNames, ListsAndTextBoxesAreReadByTheirLabelsAndKeepTheirRoles) {
    const Expected cases[] = {
        {"FrmMain", nullptr, QAccessible::Window, "Qel Trekkel"},
        {"frmDefaults", nullptr, QAccessible::Window, "QEL Trekkel Defaults"},
        {"frmAbout", nullptr, QAccessible::Dialog,
         "About QEL_Trekkel (from Fairmoss Investment Management Program)"},
        {"FrmMain", "Drive1", QAccessible::ComboBox, "Select the source drive"},
        {"FrmMain", "Dir1", QAccessible::List, "Select the directory with QEL files"},
        {"FrmMain", "File1", QAccessible::List, "Select the files"},
        {"FrmMain", "Drive2", QAccessible::ComboBox,
         "Select the files to copy to the destination drive  ==>"},
        {"FrmMain", "Txt_FileInfo", QAccessible::EditableText, "File information"},
        {"FrmMain", "cmd_BackupDefault", QAccessible::Button, "Backup QEL Files"},
        {"FrmMain", "Check1", QAccessible::CheckBox, "Save current directory as startup default?"},
        {"frmDefaults", "Txt_Backupdrivedefault", QAccessible::EditableText, "Backup to drive"},
        {"frmDefaults", "Txt_filelist", QAccessible::EditableText,
         "List of files to always backup"},
        {"frmAbout", "cmdSysInfo", QAccessible::Button, "System Info..."},
        {"frmAbout", "Picture1", QAccessible::Graphic, "Puzzle pieces"},
        {"frmAbout", "lblLicensedUser", QAccessible::EditableText, "Licensed user"},
    };
    for (const Expected& e : cases) {
        QWidget* window = topLevelNamed(QString::fromLatin1(e.window));
        ASSERT_TRUE(window) << e.window;
        const QString name = QString::fromLatin1(e.control ? e.control : e.window);
        auto* control = e.control ? window->findChild<QWidget*>(name) : window;
        ASSERT_TRUE(control) << qPrintable(name);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
        ASSERT_TRUE(iface) << qPrintable(name);
        EXPECT_EQ(readAs(iface), QString::fromUtf8(e.name)) << qPrintable(name);
        EXPECT_EQ(iface->role(), e.role) << qPrintable(name);
    }
}

TEST_F(AccessibleNames, EveryControlThatTakesTheFocusHasANameAndItsTooltipAsDescription) {
    for (const char* name : {"FrmMain", "frmDefaults", "frmAbout"}) {
        QWidget* window = topLevelNamed(QString::fromLatin1(name));
        ASSERT_TRUE(window) << name;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(window) ||
                control->focusProxy())
                continue;
            const QString id = QString::fromLatin1(name) + u'.' + control->objectName() + u' ' +
                               QString::fromLatin1(control->metaObject()->className());
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
            ASSERT_TRUE(iface) << qPrintable(id);
            EXPECT_FALSE(readAs(iface).trimmed().isEmpty()) << qPrintable(id);
            if (!control->toolTip().isEmpty()) {
                EXPECT_EQ(iface->text(QAccessible::Description), control->toolTip())
                    << qPrintable(id);
            }
        }
    }
}

} // namespace
} // namespace qel::test
