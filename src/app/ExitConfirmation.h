#pragma once

namespace qel {

class AppObject;
class Dialogs;

// Asks whether to leave the program (Yes/No, No the default, the application
// title). On Yes it marks the program as ended, so a handler waiting in an
// event yield gives up, and returns true; the caller then closes the windows.
// On No nothing changes. Never fails.
bool confirmExit(Dialogs& dialogs, AppObject& app);

} // namespace qel
