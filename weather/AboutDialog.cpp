// AboutDialog - the about window.
#include "AboutDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "Twips.h"

namespace {

constexpr int kClientWidth = 5520;  // twips
constexpr int kClientHeight = 2835;
constexpr double kLabelPoints = 9.75;

constexpr const char *kOrganisation = "Weather Tools Project";
constexpr const char *kLaboratory = "Hourly Weather Data Laboratory";

QLabel *centred_label(QWidget *parent, const char *name, const QString &text) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    QFont bold = label->font();
    bold.setBold(true);
    bold.setPointSizeF(kLabelPoints);
    label->setFont(bold);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(const QString &version, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About"));
    setFixedSize(twips_size(this, kClientWidth, kClientHeight));

    // The version is set at the window's load, in place of a design caption.
    Label1 = centred_label(this, "Label1", QStringLiteral("Weather Software ") + version);
    place(Label1, 120, 360, 5280, 315);
    Label2 = centred_label(this, "Label2", QString::fromLatin1(kOrganisation));
    place(Label2, 120, 840, 5280, 315);
    Label3 = centred_label(this, "Label3", QString::fromLatin1(kLaboratory));
    place(Label3, 120, 1320, 5280, 315);

    Command1 = new QPushButton(tr("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    place(Command1, (kClientWidth - 1215) / 2, 2040, 1215, 375);

    connect(Command1, &QPushButton::clicked, this, &AboutDialog::Command1_clicked);
}

void AboutDialog::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (placed_) return;
    placed_ = true;
    if (const QScreen *s = screen())
        move(pos() + s->availableGeometry().center() - frameGeometry().center());
}

// Hides the window; the next "About..." shows it again as it was.
void AboutDialog::Command1_clicked() { hide(); }
