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
// Installs the function used instead of QCoreApplication::quit; an empty
// function restores quitting.
void setQuitter(Quitter quitter);

bool openUrl(const QUrl &url);
void quitApplication();

} // namespace DesktopHooks
