#pragma once
// The CSV log: one file, a line appended per sweep.
#include <QString>
#include <cstdint>
#include <string_view>

#include "files/NewFile.h"

namespace tamsel {

class CsvLog {
public:
    CsvLog() = default;
    ~CsvLog();
    CsvLog(const CsvLog &) = delete;
    CsvLog &operator=(const CsvLog &) = delete;

    // Creates the first free name of nameFor's as a new, empty file, in one step: an existing
    // file is never replaced nor shared. A log still open is closed first. Returns the error
    // text, empty on success.
    QString create(const NameTry &nameFor);
    // The same for that one name only: refused when it is taken.
    QString create(const QString &path);
    // Writes line and CR LF straight to the file in one write, so that a crash loses at most
    // the line being written. A line that does not fit is cut off again: the log always ends
    // in a whole line. Returns the error text with the system's reason and the lines kept,
    // empty on success; a log that is not open is an error.
    QString appendLine(std::string_view line);
    // Returns the error text, empty on success; closing a log that is not open is an error.
    QString close();

    bool isOpen() const { return fd_ >= 0; }
    QString path() const { return path_; }

private:
    int fd_ = -1;
    QString path_;
    int64_t whole_ = 0; // the length up to the end of the last whole line
    int64_t lines_ = 0; // whole lines written
};

} // namespace tamsel
