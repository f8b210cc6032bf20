#include "recording/CsvLog.h"

#include <QDir>

namespace tamsel {

namespace {

QString notOpenText()
{
    return QStringLiteral("The CSV log is not open.");
}

} // namespace

QString CsvLog::create(const QString &path)
{
    if (file_.isOpen())
        file_.close();
    file_.setFileName(path);
    // Unbuffered: every line reaches the operating system when it is written.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return QStringLiteral("Cannot create the CSV log %1: %2")
            .arg(QDir::toNativeSeparators(path), file_.errorString());
    return {};
}

QString CsvLog::appendLine(std::string_view line)
{
    if (!file_.isOpen())
        return notOpenText();
    QByteArray bytes(line.data(), static_cast<qsizetype>(line.size()));
    bytes.append("\r\n");
    if (file_.write(bytes) != bytes.size())
        return QStringLiteral("Cannot write to the CSV log %1: %2")
            .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString());
    return {};
}

QString CsvLog::close()
{
    if (!file_.isOpen())
        return notOpenText();
    file_.close();
    if (file_.error() != QFileDevice::NoError)
        return QStringLiteral("Cannot close the CSV log %1: %2")
            .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString());
    return {};
}

} // namespace tamsel
