// HelpWindow - the program's help window.
#include "HelpWindow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "Twips.h"
#include "WeatherRules.h"

namespace {

constexpr int kFirstWidth = 9000;  // twips
constexpr int kFirstHeight = 9000;

QUrl page_url(int topic) {
    return QUrl(QStringLiteral("qrc:/help/") + QString::fromLatin1(help_page(topic)));
}

// The help page as a screen reader sees it: a document whose text can be read, not the
// label that a page browser is taken for.
class HelpPageAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit HelpPageAccessible(QTextBrowser *page) : QAccessibleWidget(page, QAccessible::Document) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        return s;
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? page()->toPlainText() : QAccessibleWidget::text(t);
    }

    // The text, by offsets into the page's plain text.
    QString text(int start, int end) const override { return page()->toPlainText().mid(start, end - start); }
    int characterCount() const override { return page()->document()->characterCount() - 1; }
    int cursorPosition() const override { return page()->textCursor().position(); }
    void setCursorPosition(int position) override {
        QTextCursor cursor = page()->textCursor();
        cursor.setPosition(std::clamp(position, 0, characterCount()));
        page()->setTextCursor(cursor);
    }
    void selection(int, int *start, int *end) const override {
        const QTextCursor cursor = page()->textCursor();
        *start = cursor.selectionStart();
        *end = cursor.selectionEnd();
    }
    int selectionCount() const override { return page()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { setCursorPosition(cursorPosition()); }
    void setSelection(int, int start, int end) override {
        QTextCursor cursor = page()->textCursor();
        cursor.setPosition(std::clamp(start, 0, characterCount()));
        cursor.setPosition(std::clamp(end, 0, characterCount()), QTextCursor::KeepAnchor);
        page()->setTextCursor(cursor);
    }
    QRect characterRect(int offset) const override {
        QTextCursor cursor(page()->document());
        cursor.setPosition(std::clamp(offset, 0, characterCount()));
        const QRect r = page()->cursorRect(cursor);
        return {page()->viewport()->mapToGlobal(r.topLeft()), r.size()};
    }
    int offsetAtPoint(const QPoint &point) const override {
        return page()->cursorForPosition(page()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int start, int) override {
        setCursorPosition(start);
        page()->ensureCursorVisible();
    }
    QString attributes(int offset, int *start, int *end) const override {
        *start = *end = offset;
        return {};
    }

private:
    QTextBrowser *page() const { return static_cast<QTextBrowser *>(widget()); }
};

QAccessibleInterface *help_page_accessible(const QString &classname, QObject *object) {
    if (classname == QLatin1String("QTextBrowser") && object->objectName() == QLatin1String("txtHelp"))
        return new HelpPageAccessible(static_cast<QTextBrowser *>(object));
    return nullptr;
}

}  // namespace

HelpWindow::HelpWindow(QWidget *parent) : QMainWindow(parent, Qt::Window) {
    static const bool accessible = (QAccessible::installFactory(help_page_accessible), true);
    (void)accessible;
    setObjectName(QStringLiteral("frmHelp"));
    auto *client = new QWidget(this);
    setCentralWidget(client);
    setWindowTitle(QStringLiteral("%1 Help").arg(QString::fromLatin1(kAppTitle)));

    cmdHelpContents = new QPushButton(tr("&Contents"), client);
    cmdHelpContents->setObjectName(QStringLiteral("cmdHelpContents"));
    cmdHelpBack = new QPushButton(tr("&Back"), client);
    cmdHelpBack->setObjectName(QStringLiteral("cmdHelpBack"));
    cmdHelpForward = new QPushButton(tr("&Forward"), client);
    cmdHelpForward->setObjectName(QStringLiteral("cmdHelpForward"));
    txtHelp = new QTextBrowser(client);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    txtHelp->setAccessibleName(tr("Help Page"));
    txtHelp->setOpenExternalLinks(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdHelpContents);
    buttons->addWidget(cmdHelpBack);
    buttons->addWidget(cmdHelpForward);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(client);
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
