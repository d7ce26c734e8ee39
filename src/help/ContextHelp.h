#pragma once

#include "platform/HelpViewer.h"

class QApplication;
class QObject;
class QWidget;

namespace qel {

class AppObject;

// Makes F1 open the help topic of whatever has the keyboard: the active
// item of an open menu, else the focus widget, looking up the parent chain
// for an int property "HelpContextID" (the window's own counts too). With no
// number anywhere it opens the contents; with no HelpFile it does nothing.
// The filter is a child of qapp; deleting the returned object turns F1 help
// off again (viewer and app must outlive it).
QObject* installContextHelp(QApplication& qapp, HelpViewer& viewer, const AppObject& app);

// The help context number F1 on target means: its own "HelpContextID", or the
// nearest one up its parent chain (through a menu's action); 0 when none.
int helpContextId(const QObject* target);

// A stable 32-bit handle for the window that holds widget, never 0 for a
// widget (0 for none). Kept with the window, so it is the same on every call.
WindowHandle windowHandle(const QWidget* widget);

} // namespace qel
