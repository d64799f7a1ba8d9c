#include "DesktopHooks.h"

#include <QCoreApplication>
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
    QCoreApplication::quit();
}

} // namespace DesktopHooks
