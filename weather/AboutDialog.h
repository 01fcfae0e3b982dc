// AboutDialog - the about window: the program's name and version and the two lines of
// the organisation behind it, with "OK" below.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    // `version` is the program's version text ("2.2.0"), shown after "Weather Software ".
    explicit AboutDialog(const QString &version, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Command1_clicked();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *Command1 = nullptr;

    bool placed_ = false;  // centred on the screen at the first show
};
