#pragma once

// Makes every file write of this process fail past `bytes` bytes for as long
// as it lives, the way a full disk makes them fail: the system refuses the
// write (EFBIG, "File too large") instead of taking it. The signal the
// system sends with such a refusal is ignored meanwhile. Child processes
// started meanwhile inherit the limit.

#include <QtGlobal>

#include <sys/resource.h>
#include <csignal>

class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    // Whether the limit could be set.
    bool isActive() const { return m_active; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_active = false;
};
