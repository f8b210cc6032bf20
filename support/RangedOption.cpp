#include "support/RangedOption.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace tamsel {

RangedOption::RangedOption(const char *name, const char *help, IntRange range)
    : name_(QString::fromLatin1(name)), help_(QString::fromUtf8(help)), min_(static_cast<double>(range.min)),
      max_(static_cast<double>(range.max)), whole_(true)
{}

RangedOption::RangedOption(const char *name, const char *help, double min, double max)
    : name_(QString::fromLatin1(name)), help_(QString::fromUtf8(help)), min_(min), max_(max), whole_(false)
{}

QString RangedOption::rangeText() const
{
    // Always with a full stop: the command line reads numbers the same in every locale.
    return QStringLiteral("%1 from %2 to %3")
        .arg(whole_ ? QStringLiteral("a whole number") : QStringLiteral("a number"),
             QString::number(min_, 'g', 15), QString::number(max_, 'g', 15));
}

QCommandLineOption RangedOption::option() const
{
    return {name_, QStringLiteral("%1 Takes %2.").arg(help_, rangeText()), QStringLiteral("VALUE")};
}

void RangedOption::refuse(const QString &value) const
{
    commandLineError(QStringLiteral("--%1 must be %2, not \"%3\"").arg(name_, rangeText(), value));
}

std::optional<int32_t> RangedOption::whole(const QCommandLineParser &args) const
{
    if (!args.isSet(name_))
        return std::nullopt;
    const QString text = args.value(name_);
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < min_ || value > max_)
        refuse(text);
    return static_cast<int32_t>(value);
}

std::optional<double> RangedOption::real(const QCommandLineParser &args) const
{
    if (!args.isSet(name_))
        return std::nullopt;
    const QString text = args.value(name_);
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !(value >= min_ && value <= max_))
        refuse(text);
    return value;
}

void commandLineError(const QString &message)
{
    std::fprintf(stderr, "%s: %s\n", QCoreApplication::applicationName().toLocal8Bit().constData(),
                 message.toLocal8Bit().constData());
    std::exit(2);
}

} // namespace tamsel
