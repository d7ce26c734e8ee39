#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;

namespace qel {

class AppObject;
class ContextIDs;

// The splash window shown while the main window loads. It has no behaviour
// of its own: the user can neither click it away nor close it; start-up
// unloads it.
class frmSplash final : public QWidget {
    Q_OBJECT
public:
    frmSplash(const AppObject& app, ContextIDs& contextIDs);

    // Points the program at its help file on behalf of this window, then fills
    // in the version line and the product name. Errors pass to the caller.
    void Form_Load();

    // Runs Form_UnLoad (the help viewer's quit command) once, then closes the
    // window. Errors of the quit command pass to the caller.
    void unload();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_UnLoad();

    const AppObject& m_app;
    ContextIDs& m_contextIDs;
    bool m_unloading = false;
    bool m_unloaded = false;

    QGroupBox* m_fraMainFrame = nullptr;
    QLabel* m_Picture2 = nullptr;
    QLabel* m_Picture1 = nullptr;
    QLabel* m_lblCompanyProduct = nullptr;
    QLabel* m_lblProductName = nullptr;
    QLabel* m_lblPlatform = nullptr;
    QLabel* m_lblVersion = nullptr;
    QLabel* m_Label1 = nullptr;
};

} // namespace qel
