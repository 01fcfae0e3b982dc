// The main window under test: messages recorded, file dialogs answered in advance,
// help requests recorded, and an application folder of the test's own (empty until a
// test puts converters or logs into it).
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>

#include "Desktop.h"
#include "Dialogs.h"
#include "WeatherWindow.h"

// Saves a picture of `w` into the folder named by WEATHER_SHOTS, when that is set.
inline void save_shot(QWidget *w, const QString &name) {
    const QString folder = qEnvironmentVariable("WEATHER_SHOTS");
    if (!folder.isEmpty()) w->grab().save(folder + "/" + name + "-" + QString::number(qRound(w->logicalDpiY() * w->devicePixelRatioF())) + "dpi.png");
}

// Qt texts in test failures, as text.
inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QByteArray &bytes, std::ostream *os) {
    *os << '"' << bytes.toStdString() << '"';
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        set_message_handler([this](QWidget *, const QString &text) { messages << text; });
        set_file_dialog_handler([this](QWidget *, FileDialogKind kind, const QString &filter) {
            dialogs << QString("%1 %2").arg(kind == FileDialogKind::Open ? "open" : "save", filter);
            return answers.isEmpty() ? QString() : answers.takeFirst();
        });
        set_help_handler([this](int topic) { helps << topic; });
        app = dir.filePath("app folder");  // a blank in the path, as on many desktops
        QDir().mkpath(app);
        set_application_folder(app);
        window = std::make_unique<WeatherWindow>();
    }
    void TearDown() override {
        window.reset();
        set_message_handler({});
        set_file_dialog_handler({});
        set_help_handler({});
        set_application_folder({});
    }

    template <class W = QWidget>
    W *find(const std::string &name) const {
        W *w = window->findChild<W *>(QString::fromStdString(name));
        if (!w) ADD_FAILURE() << "no control " << name;
        return w;
    }
    QString text(const char *name) const { return find<QLineEdit>(name)->displayText(); }
    void click(const std::string &name) const { find<QAbstractButton>(name)->click(); }
    // Clicks `button` with `path` as its file dialog's answer (empty: cancelled).
    void choose(const char *button, const QString &path) {
        answers << path;
        click(button);
    }
    QString file(const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    QString cell(int k) const { return find<QAbstractButton>("cmdDay_" + std::to_string(k))->text(); }
    void pick(int k) const { click("cmdDay_" + std::to_string(k)); }
    void add(const char *type) const {
        find<QComboBox>("cboDayType")->setCurrentText(type);
        click("cmdAddSpecialDate");
    }
    QStringList rows() const {
        QStringList out;
        auto *list = find<QTreeWidget>("ltvSpecialDays");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(0) + " " + list->topLevelItem(i)->text(1);
        return out;
    }
    // Own enabled state, whatever the frames around it.
    static bool own_enabled(const QWidget *w) { return !w->testAttribute(Qt::WA_ForceDisabled); }

    QTemporaryDir dir;
    QString app;  // the application folder the window sees
    std::unique_ptr<WeatherWindow> window;
    QStringList messages, answers, dialogs;
    QList<int> helps;  // topics asked for
};
