#include "app/scope/ScopeWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/PictureView.h"
#include "files/WholeFile.h"
#include "support/Messages.h"

namespace tamsel {

ScopeWindow::ScopeWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), view_(new PictureView(QStringLiteral("ScopeView"), QSize(480, 360),
                                                      [this](QPainter &painter, const QRect &area) {
                                                          BeatScopePlot::draw(painter, area, scope_, options());
                                                      },
                                                      this))
{
    setObjectName(QStringLiteral("ScopeWindow"));
    setWindowTitle(QStringLiteral("Beat scope"));
    scope_.emptyReason = BeatScope::kNoWatch;
    OverlayCheck = new QCheckBox(QStringLiteral("Overlay tick and tock"), this);
    OverlayCheck->setObjectName(QStringLiteral("OverlayCheck"));
    SaveButton = new QPushButton(QStringLiteral("Save image…"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(OverlayCheck);
    buttons->addStretch();
    buttons->addWidget(SaveButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);
    connect(OverlayCheck, &QCheckBox::toggled, view_, qOverload<>(&QWidget::update));
    connect(SaveButton, &QPushButton::clicked, this, &ScopeWindow::saveClicked);
}

BeatScopePlot::Options ScopeWindow::options() const
{
    BeatScopePlot::Options options;
    options.overlay = OverlayCheck->isChecked();
    return options;
}

void ScopeWindow::setScope(const BeatScope &scope)
{
    scope_ = scope;
    view_->update();
}

QString ScopeWindow::saveImage(const QString &path) const
{
    const QString type = QFileInfo(path).suffix().toLower();
    if (type != QLatin1String("png") && type != QLatin1String("svg") && type != QLatin1String("pdf"))
        return QStringLiteral("An image is saved as .png, .svg or .pdf, not as \"%1\"")
            .arg(QFileInfo(path).fileName());
    const QByteArray bytes = BeatScopePlot::encode(scope_, view_->size(), type, options());
    const QString error = bytes.isEmpty() ? QStringLiteral("nothing was drawn") : writeWholeFile(path, bytes);
    if (!error.isEmpty())
        return QStringLiteral("Cannot save the image %1: %2").arg(QDir::toNativeSeparators(path), error);
    return {};
}

void ScopeWindow::saveClicked()
{
    QString filter;
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save image"), QString(),
        QStringLiteral("PNG image (*.png);;SVG image (*.svg);;PDF document (*.pdf)"), &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter.startsWith(QLatin1String("SVG"))   ? QStringLiteral(".svg")
                : filter.startsWith(QLatin1String("PDF")) ? QStringLiteral(".pdf")
                                                          : QStringLiteral(".png");
    if (const QString error = saveImage(path); !error.isEmpty())
        ShowException(error);
}

} // namespace tamsel
