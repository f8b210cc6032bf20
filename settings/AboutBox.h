#pragma once
// The about box: the program's icon, name and version, the maker and the system it runs on.
#include <QDialog>

class QLabel;

namespace tamsel {

class VersionInfo;

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);

    QString ApplicationName() const;
    void SetApplicationName(const QString &name);
    QString VersionText() const;
    void SetVersionText(const QString &text);
    QString MakerText() const;
    QString SystemInfo() const;

    // Name from "ProductName", version text "Version" + "FileVersion" (no blank between).
    // Raises EVersionInfo when the information has no translation table.
    void ReadVersion(const VersionInfo &info);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void ShowIcon();

    QLabel *icon_;
    QLabel *name_;
    QLabel *version_;
    QLabel *maker_;
    QLabel *system_;
};

} // namespace tamsel
