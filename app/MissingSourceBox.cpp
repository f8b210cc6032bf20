#include "app/MissingSourceBox.h"

#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include "capture/CaptureSession.h"

namespace tamsel {

MissingSourceBox::MissingSourceBox(QWidget *window, const MissingSource &missing,
                                   std::function<void()> useDefault)
    : QMessageBox(QMessageBox::Warning, QString(), QString::fromUtf8(missing.what()), QMessageBox::Cancel,
                  window)
{
    QStringList names;
    for (const CaptureSource &s : missing.sources)
        names << QString::fromStdString(s.description.empty() ? s.name : s.description);
    setInformativeText(names.isEmpty()
                           ? QStringLiteral("The sound server has no capture source.")
                           : QStringLiteral("The sources are: %1.").arg(names.join(QStringLiteral(", "))));
    useDefault_ = addButton(QStringLiteral("Use the default source"), QMessageBox::AcceptRole);
    setDefaultButton(useDefault_);
    connect(useDefault_, &QPushButton::clicked, this, std::move(useDefault));
    setAttribute(Qt::WA_DeleteOnClose);
    QTimer::singleShot(0, this, [this] { open(); });
}

} // namespace tamsel
