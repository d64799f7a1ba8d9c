#pragma once

// Pure rules of the update checker and downloader: version comparison, the
// size and remaining-time texts of the download window, which addresses may
// be fetched and how the installer's file name is derived from its address.

#include <QString>
#include <QtGlobal>

class QUrl;

namespace UpdateRules {

// At most this many redirections are followed for one feed check or download.
constexpr int MaxRedirects = 10;
// Downloads announced or grown larger than this are aborted (1 GiB).
constexpr qint64 MaxDownloadBytes = qint64(1) << 30;
// A feed announced or grown larger than this is not read (1 MiB): the real
// one is a few hundred bytes, and nothing else may fill the memory.
constexpr qint64 MaxFeedBytes = qint64(1) << 20;
// The longest values of a feed's fields that are taken. A version or an
// address past its limit is no version or address of ours and fails the
// check; release notes are cut at theirs. So no widget is ever handed a
// text of the feed's whole size to lay out.
constexpr int MaxVersionLength = 256;
constexpr int MaxAddressLength = 2048;
constexpr int MaxNotesLength = 16 * 1024;
// `text` cut to at most `limit` characters (a pair of UTF-16 halves kept
// whole), an ellipsis marking the cut.
QString cappedText(const QString &text, int limit);
// File name used when the download address does not end in one.
inline QString defaultFileName() { return QStringLiteral("Kestro_Update.bin"); }

// The feed address built into the program.
QString defaultFeedUrl();
// The feed address in force: the environment variable KESTRO_UPDATE_FEED when
// it is set and not empty (a mirror; it must be https as well, see
// isFetchAllowed), else the built-in address.
QString updateFeedUrl();
// The product's download page, named where no installer is downloaded.
QString downloadPageUrl();

// Tells whether version a is newer than version b. Both are split at "."
// (empty parts kept) and compared part by part as decimal integers, a part
// that is not a number counting as 0, and so does a part the shorter list
// lacks: 1.1.3.0 is the same version as 1.1.3, 1.1.3.1 is newer.
bool compareVersions(const QString &a, const QString &b);

// "%1 bytes" below 1024, "%1 KB" below 1024*1024, "%1 MB" otherwise, each
// quotient truncated to a whole number.
QString sizeText(qint64 bytes);

// Remaining seconds of a transfer that has run elapsedSeconds, at the whole
// average rate received/elapsed; -1 when it cannot be computed yet (less than
// a second elapsed or an average rate of 0 bytes per second).
qint64 remainingSeconds(qint64 received, qint64 total, qint64 elapsedSeconds);

// "about one hour" / "about %1 hours" above 7200 s, "1 minute" / "%1 minutes"
// above 60 s, else "1 second" / "%1 seconds", rounded to the nearest unit.
QString timeRemainingText(qint64 seconds);

// Only https addresses with a host are fetched: plain http is refused
// everywhere, the loopback interface included, so that neither a feed, a
// redirection nor KESTRO_UPDATE_FEED can make the program take an answer
// nobody could vouch for.
bool isFetchAllowed(const QUrl &url);

// The last part of the address's path after its last "/" (and, so that a
// crafted address cannot climb out of the download directory on any system,
// after its last "\\"); defaultFileName() when that part is empty, "." or "..".
QString fileNameFromUrl(const QString &url);

// What the user gets from a download address, for the offer's text: the
// package kind its file name shows ("Kestro (a .deb package)"), or just
// "Kestro" when the name does not tell.
QString downloadKind(const QString &url);

} // namespace UpdateRules
