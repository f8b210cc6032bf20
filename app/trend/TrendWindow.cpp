#include "app/trend/TrendWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/TApplication.h"
#include "app/PictureView.h"
#include "display/PictureFile.h"
#include "files/WholeFile.h"

namespace tamsel {

TrendWindow::TrendWindow(const LongRun &run, std::function<ReportFacts()> facts,
                         std::function<QString()> waiting, QWidget *parent)
    : QWidget(parent, Qt::Window), run_(run), facts_(std::move(facts)), waiting_(std::move(waiting)),
      // Small enough for the window to fit a 1366 x 768 screen, header and buttons included.
      view_(new PictureView(QStringLiteral("TrendView"), QSize(420, 440),
                            [this](QPainter &painter, const QRect &area) { drawPage(painter, area); }, this))
{
    setObjectName(QStringLiteral("TrendWindow"));
    setWindowTitle(QStringLiteral("Trend"));
    TitleEdit = new QLineEdit(this);
    TitleEdit->setObjectName(QStringLiteral("TitleEdit"));
    TitleEdit->setPlaceholderText(QStringLiteral("The watch, as the report names it"));
    SaveButton = new QPushButton(QStringLiteral("Save image…"), this);
    CopyButton = new QPushButton(QStringLiteral("Copy"), this);
    auto *title = new QHBoxLayout;
    title->addWidget(new QLabel(QStringLiteral("Watch:"), this));
    title->addWidget(TitleEdit, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SaveButton);
    buttons->addWidget(CopyButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(title);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);
    connect(TitleEdit, &QLineEdit::textChanged, view_, qOverload<>(&QWidget::update));
    connect(SaveButton, &QPushButton::clicked, this, &TrendWindow::saveClicked);
    connect(CopyButton, &QPushButton::clicked, this, &TrendWindow::copyClicked);
    resize(680, 900);
}

void TrendWindow::drawPage(QPainter &painter, const QRect &area) const
{
    ReportFacts facts = facts_();
    facts.title = TitleEdit->text().trimmed();
    ReportPage::draw(painter, area, run_, facts, waiting_());
}

void TrendWindow::runChanged()
{
    if (isVisible())
        view_->update();
}

QString TrendWindow::saveImage(const QString &path) const
{
    QByteArray bytes;
    const QString type = QFileInfo(path).suffix().toLower();
    if (type == QLatin1String("svg")) {
        bytes = drawnPicture(view_->size(), type, QStringLiteral("Trend"),
                             [this](QPainter &painter, const QRect &page) { drawPage(painter, page); });
    } else if (type == QLatin1String("png")) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        view_->image().save(&buffer, "PNG"); // the pixels on screen
    } else {
        return QStringLiteral("An image is saved as .png or .svg, not as \"%1\"")
            .arg(QFileInfo(path).fileName());
    }
    const QString error = bytes.isEmpty() ? QStringLiteral("nothing was drawn") : writeWholeFile(path, bytes);
    if (!error.isEmpty())
        return QStringLiteral("Cannot save the image %1: %2").arg(QDir::toNativeSeparators(path), error);
    return {};
}

void TrendWindow::saveClicked()
{
    QString filter;
    QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Save image"), QString(),
                                     QStringLiteral("PNG image (*.png);;SVG image (*.svg)"), &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter.startsWith(QLatin1String("SVG")) ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (const QString error = saveImage(path); !error.isEmpty())
        ShowException(error);
}

void TrendWindow::copyClicked()
{
    QApplication::clipboard()->setImage(view_->image());
}

} // namespace tamsel
