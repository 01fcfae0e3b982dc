// HelpWindow - the program's help window.
#include "HelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "Twips.h"
#include "WeatherRules.h"

namespace {

constexpr int kFirstWidth = 9000;  // twips
constexpr int kFirstHeight = 9000;

QUrl page_url(int topic) {
    return QUrl(QStringLiteral("qrc:/help/") + QString::fromLatin1(help_page(topic)));
}

}  // namespace

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("%1 Help").arg(QString::fromLatin1(kAppTitle)));

    cmdHelpContents = new QPushButton(tr("&Contents"), this);
    cmdHelpContents->setObjectName(QStringLiteral("cmdHelpContents"));
    cmdHelpBack = new QPushButton(tr("&Back"), this);
    cmdHelpBack->setObjectName(QStringLiteral("cmdHelpBack"));
    cmdHelpForward = new QPushButton(tr("&Forward"), this);
    cmdHelpForward->setObjectName(QStringLiteral("cmdHelpForward"));
    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    txtHelp->setAccessibleName(tr("Help Page"));
    txtHelp->setOpenExternalLinks(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdHelpContents);
    buttons->addWidget(cmdHelpBack);
    buttons->addWidget(cmdHelpForward);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(txtHelp);
    resize(twips_size(this, kFirstWidth, kFirstHeight));

    connect(cmdHelpContents, &QPushButton::clicked, this, &HelpWindow::cmdHelpContents_clicked);
    connect(cmdHelpBack, &QPushButton::clicked, txtHelp, &QTextBrowser::backward);
    connect(cmdHelpForward, &QPushButton::clicked, txtHelp, &QTextBrowser::forward);
    connect(txtHelp, &QTextBrowser::historyChanged, this, &HelpWindow::txtHelp_historyChanged);
    connect(txtHelp, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(QStringLiteral("%1 Help - %2").arg(QString::fromLatin1(kAppTitle),
                                                                         txtHelp->documentTitle())); });
    txtHelp_historyChanged();
}

void HelpWindow::showTopic(int topic) {
    txtHelp->setSource(page_url(topic));
    show();
    raise();
    activateWindow();
}

QUrl HelpWindow::page() const { return txtHelp->source(); }

void HelpWindow::cmdHelpContents_clicked() { txtHelp->setSource(page_url(kHelpContents)); }

void HelpWindow::txtHelp_historyChanged() {
    cmdHelpBack->setEnabled(txtHelp->isBackwardAvailable());
    cmdHelpForward->setEnabled(txtHelp->isForwardAvailable());
}
