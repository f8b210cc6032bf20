#pragma once
// The lift angle dialog: one spin edit for the lift angle in degrees, OK and CANCEL.
// Created once with the main window as parent and reused for every change.
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tamsel {

class TOKBottomDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int MinValue = 10;
    static constexpr int MaxValue = 90;

    explicit TOKBottomDlg(QWidget *parent = nullptr);

    // The spin edit's text read as an integer; a text that is not one reads as MinValue.
    // The result is kept within MinValue..MaxValue.
    int SpinEditValue() const;
    // Sets the value, brought into MinValue..MaxValue.
    void SetSpinEditValue(int value);
    // The reading rule on its own, for any text.
    static int ValueFromText(const QString &text);

    void OKBtnClick();     // closes with the result OK (QDialog::Accepted, 1)
    void CancelBtnClick(); // closes with a result other than OK

    QFrame *Bevel1;
    QLabel *Label1;
    QSpinBox *SpinEdit1;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace tamsel
