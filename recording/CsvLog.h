#pragma once
// The CSV log: one file, a line appended per sweep.
#include <QFile>
#include <QString>
#include <string_view>

namespace tamsel {

class CsvLog {
public:
    // Creates path as a new, empty file; an existing file is never replaced, but refused. A
    // log still open is closed first. Returns the error text, empty on success.
    QString create(const QString &path);
    // Writes line and CR LF straight to the file: nothing waits in a buffer, so a crash
    // loses at most the line being written. Returns the error text, empty on success; a log
    // that is not open is an error.
    QString appendLine(std::string_view line);
    // Returns the error text, empty on success; closing a log that is not open is an error.
    QString close();

    bool isOpen() const { return file_.isOpen(); }
    QString path() const { return file_.fileName(); }

private:
    QFile file_;
};

} // namespace tamsel
