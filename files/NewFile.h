#pragma once
// Files created new: never over a file that is there, with a numbered name on a clash.
#include <QByteArray>
#include <QString>
#include <functional>

namespace tamsel {

// The name to try the n-th time (n = 1, 2, ...); an empty name ends the tries.
using NameTry = std::function<QString(int n)>;

// The system's text for an errno value ("No space left on device").
QString systemReason(int code);

// Creates and opens for writing the first of nameFor's names that is free, in one step, so that
// no other program can take the same name in between. Returns the descriptor, which the caller
// closes, with *path set to the name taken; or -1 with *error set to the system's reason.
int createNewFile(const NameTry &nameFor, QString *path, QString *error);

// Writes bytes whole to the first free name of nameFor's: through a temporary file beside it,
// moved to that name only when every byte is on disk and only where no file is. A symbolic
// link at a name is replaced, never followed. A failure leaves no part of the file and no
// temporary behind. Returns the name taken, or empty with *error set to the system's reason.
QString writeNewWholeFile(const NameTry &nameFor, const QByteArray &bytes, QString *error);

} // namespace tamsel
