#include "settings/Unit1.h"

#include "settings/DialogPlacement.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>

#include <algorithm>

namespace tamsel {

TOKBottomDlg::TOKBottomDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Lift angle Set"));
    setFixedSize(243, 94);
    // The main window's font reaches the dialog although it is a window of its own.
    setAttribute(Qt::WA_WindowPropagation);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 225, 41);

    Label1 = new QLabel(QStringLiteral("Lift angle"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(24, 20, 48, 12);
    // The design's label box is small for today's fonts; let the text run on.
    Label1->adjustSize();

    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setGeometry(168, 16, 57, 21);
    SpinEdit1->setRange(MinValue, MaxValue);
    SpinEdit1->setValue(MinValue);
    // A field left empty (or holding only a sign) becomes the minimum when it is
    // interpreted, not the previous value: the same number the text reads as.
    SpinEdit1->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(79, 60, 75, 25);
    OKBtn->setDefault(true);

    CancelBtn = new QPushButton(QStringLiteral("CANCEL"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(159, 60, 75, 25);
    // Esc rejects through QDialog itself, which is the CANCEL result.

    connect(OKBtn, &QPushButton::clicked, this, &TOKBottomDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TOKBottomDlg::CancelBtnClick);
}

int TOKBottomDlg::ValueFromText(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return MinValue;
    return std::clamp(value, MinValue, MaxValue);
}

int TOKBottomDlg::SpinEditValue() const
{
    // What the user typed, before the spin box has had a chance to fix it up.
    return ValueFromText(SpinEdit1->cleanText());
}

void TOKBottomDlg::SetSpinEditValue(int value)
{
    SpinEdit1->setValue(std::clamp(value, MinValue, MaxValue));
}

void TOKBottomDlg::OKBtnClick()
{
    done(QDialog::Accepted);
}

void TOKBottomDlg::CancelBtnClick()
{
    done(QDialog::Rejected);
}

void TOKBottomDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        CentreOnParent(this);
}

} // namespace tamsel
