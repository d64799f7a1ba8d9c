#pragma once

// The two ways the guide and the updater reach outside the program: handing
// an address to the desktop's URL handler and quitting the application. Both
// go through replaceable functions so that tests can watch them instead of
// opening browsers or ending the test run.

#include <QUrl>

#include <functional>

namespace DesktopHooks {

using UrlOpener = std::function<bool(const QUrl &)>;
using Quitter = std::function<void()>;

// Installs the function used instead of QDesktopServices::openUrl; an empty
// function restores the desktop handler.
void setUrlOpener(UrlOpener opener);
// Installs the function used instead of the normal way of quitting; an
// empty function restores it.
void setQuitter(Quitter quitter);

bool openUrl(const QUrl &url);
// Quits the way the File menu's Exit does: every window is asked to close,
// so the main window asks about unsaved changes first and keeps the
// program running when the user cancels. Without a GUI it simply quits.
void quitApplication();

} // namespace DesktopHooks
