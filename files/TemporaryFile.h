#pragma once
// The steps the file writers share: a new file created in one step, every byte written, and
// the temporary file beside a target that a writer moves into place once it is whole.
#include <QByteArray>
#include <sys/types.h>

namespace tamsel {

// Creates path new for writing (never over a file that is there); the descriptor, or -1 with errno.
int openNewFile(const QByteArray &path);

// Writes bytes whole to fd, retrying what was cut short; false with errno set when it cannot
// (a write that takes nothing counts as a full disk).
bool writeAll(int fd, const QByteArray &bytes);

// The bytes in a new temporary file beside target (target.XXXXXX), synced to disk; with mode >= 0
// the file gets those permission bits. Empty with errno set on failure, leaving nothing behind.
QByteArray writeTemporary(const QByteArray &target, const QByteArray &bytes, mode_t mode = mode_t(-1));

// Whether writeTemporary could make its file beside target: one is made, a few kilobytes are
// written to it, and it is taken away again. 0, or the errno of the failure.
int probeTemporary(const QByteArray &target);

} // namespace tamsel
