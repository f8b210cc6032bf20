#include "settings/AboutBox.h"

#include "settings/DialogPlacement.h"
#include "settings/SystemInfo.h"
#include "settings/VersionInfo.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QShowEvent>
#include <QVBoxLayout>

namespace tamsel {

namespace {

constexpr int nameIndex = 9;    // "ProductName"
constexpr int versionIndex = 3; // "FileVersion"

} // namespace

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Tamsel"));
    setAttribute(Qt::WA_WindowPropagation);

    // A filled caption bar with the icon and the name in large type.
    auto *caption = new QWidget(this);
    caption->setAutoFillBackground(true);
    caption->setBackgroundRole(QPalette::Highlight);
    caption->setForegroundRole(QPalette::HighlightedText);
    icon_ = new QLabel(caption);
    name_ = new QLabel(QString::fromUtf8(" タムセル"), caption);
    name_->setForegroundRole(QPalette::HighlightedText);
    QFont large = name_->font();
    large.setPointSizeF(large.pointSizeF() > 0 ? large.pointSizeF() * 2 : 18);
    large.setBold(true);
    name_->setFont(large);
    auto *captionLayout = new QHBoxLayout(caption);
    captionLayout->addWidget(icon_);
    captionLayout->addWidget(name_, 1);

    version_ = new QLabel(QStringLiteral("Version"), this);
    maker_ = new QLabel(QStringLiteral("Copyright (C) 2026 Tamsel developers"), this);
    system_ = new QLabel(this);
    system_->setWordWrap(true);
    system_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(version_);
    layout->addWidget(maker_);
    layout->addWidget(system_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    system_->setText(tamsel::SystemInfoText());
    ShowIcon();
}

QString AboutBox::ApplicationName() const
{
    return name_->text();
}
void AboutBox::SetApplicationName(const QString &name)
{
    name_->setText(name);
}
QString AboutBox::VersionText() const
{
    return version_->text();
}
void AboutBox::SetVersionText(const QString &text)
{
    version_->setText(text);
}
QString AboutBox::MakerText() const
{
    return maker_->text();
}
QString AboutBox::SystemInfo() const
{
    return system_->text();
}

void AboutBox::ReadVersion(const VersionInfo &info)
{
    // Both read before either is shown, so a failure leaves the box as it was.
    const QString name = info.Read(nameIndex);
    const QString version = info.Read(versionIndex);
    SetApplicationName(name);
    SetVersionText(QStringLiteral("Version") + version);
}

void AboutBox::ShowIcon()
{
    QIcon icon = parentWidget() ? parentWidget()->window()->windowIcon() : QIcon();
    if (icon.isNull())
        icon = QApplication::windowIcon();
    icon_->setVisible(!icon.isNull());
    if (!icon.isNull())
        icon_->setPixmap(icon.pixmap(48, 48));
}

void AboutBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Memory and icon may have changed since the box was made.
    system_->setText(tamsel::SystemInfoText());
    ShowIcon();
    CentreOnParent(this);
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return;
    // A short opening effect; windows that cannot be translucent simply appear.
    auto *fade = new QPropertyAnimation(this, "windowOpacity", this);
    fade->setDuration(150);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace tamsel
