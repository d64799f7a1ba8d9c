#include "DesktopHooks.h"

#include <QApplication>
#include <QDesktopServices>

namespace DesktopHooks {

namespace {
UrlOpener &urlOpener()
{
    static UrlOpener opener;
    return opener;
}

Quitter &quitter()
{
    static Quitter q;
    return q;
}
} // namespace

void setUrlOpener(UrlOpener opener)
{
    urlOpener() = std::move(opener);
}

void setQuitter(Quitter q)
{
    quitter() = std::move(q);
}

bool openUrl(const QUrl &url)
{
    if (urlOpener())
        return urlOpener()(url);
    return QDesktopServices::openUrl(url);
}

void quitApplication()
{
    if (quitter()) {
        quitter()();
        return;
    }
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::closeAllWindows();
    else
        QCoreApplication::quit();
}

} // namespace DesktopHooks
