// The help panel inside the main window and the About box with its links.
#include "TestEnv.h"

#include "accessories/AboutQarn.h"
#include "app/ErrorBox.h"
#include "app/Instance.h"
#include "app/ProgramDir.h"
#include "mainwindow/FormOfQarn.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QUrl>

#include <memory>

namespace {

QStringList g_errors;
void recordError(const QString& text) {
    g_errors << text;
}

QList<QUrl> g_opened;

bool hasCyrillic(const QString& s) {
    for (QChar c : s)
        if (c.script() == QChar::Script_Cyrillic)
            return true;
    return false;
}

QColor fontColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

} // namespace

class TestHelpAndAbout : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TFormOfQarn> m_form;
    std::unique_ptr<TAboutQarn> m_about;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        for (const char* name : {"HelpEng.txt", "HelpRus.txt"}) {
            QFile f(m_dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("help from ") + name + "\n");
        }
        qarn::setProgramDir(m_dir.path());
        qarn::setErrorBoxHook(recordError);
        TAboutQarn::setUrlOpener([](const QUrl& url) { g_opened << url; });
        m_form = std::make_unique<TFormOfQarn>();
        m_about = std::make_unique<TAboutQarn>();
        FormOfQarn = m_form.get();
        AboutQarn = m_about.get();
    }

    void cleanupTestCase() {
        AboutQarn = nullptr;
        FormOfQarn = nullptr;
        m_about.reset();
        m_form.reset();
        TAboutQarn::setUrlOpener({});
        qarn::setErrorBoxHook(nullptr);
        qarn::setProgramDir(QString());
        QVERIFY(g_errors.isEmpty());
    }

    void init() { g_opened.clear(); }

    void helpPanelGrowsAndShrinksWindow() {
        TFormOfQarn& form = *m_form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const QSize closed = form.size();
        form.HelpText->setPlainText(QStringLiteral("typed by the user"));

        QTest::keyClick(&form, Qt::Key_F1);
        QVERIFY(form.GroupBox1->isVisible());
        QCOMPARE(form.height(), form.GroupBox1->geometry().bottom() + 1);
        QVERIFY(form.height() > closed.height());
        QCOMPARE(form.width(), closed.width());

        QTest::keyClick(&form, Qt::Key_F1); // already open: nothing more happens
        QVERIFY(form.GroupBox1->isVisible());

        QTest::mouseClick(form.Button2, Qt::LeftButton);
        QVERIFY(!form.GroupBox1->isVisible());
        QCOMPARE(form.size(), closed);

        // Opening and closing never reload the text.
        form.NQarnplayerhelp1->trigger();
        QCOMPARE(form.HelpText->toPlainText(), QStringLiteral("typed by the user"));
        form.Button2->click();
        form.hide();
    }

    void aboutBoxSpeaksOnlyTheCurrentLanguage_data() {
        QTest::addColumn<bool>("first");
        QTest::addColumn<bool>("second");
        QTest::newRow("ru then en") << false << true;
        QTest::newRow("en then ru") << true << false;
        QTest::newRow("en twice") << true << true;
    }

    void aboutBoxSpeaksOnlyTheCurrentLanguage() {
        QFETCH(bool, first);
        QFETCH(bool, second);
        TFormOfQarn& form = *m_form;
        TAboutQarn& about = *m_about;

        form.SetLanguage(first);
        form.About1->trigger();
        const QString firstNotice = about.FirstStrings->toPlainText();
        about.OKHideIt->click();
        QVERIFY(about.isHidden());

        form.SetLanguage(second);
        form.About1->trigger();
        QVERIFY(about.isVisible());
        QVERIFY(!about.isModal());
        QCOMPARE(about.focusWidget(), about.OKHideIt);

        QCOMPARE(about.FirstStrings->document()->blockCount(), 1);
        QCOMPARE(about.Memo2->document()->blockCount(), 1);
        QCOMPARE(hasCyrillic(about.FirstStrings->toPlainText()), !second);
        QCOMPARE(hasCyrillic(about.Memo2->toPlainText()), !second);
        QVERIFY(about.FirstStrings->toPlainText().contains(QStringLiteral("2023")));
        QCOMPARE(about.FirstStrings->toPlainText() == firstNotice, first == second);
        QCOMPARE(about.OffSite->text(),
                 second ? QStringLiteral("Official site:") : QStringLiteral("Официальный сайт"));
        // The link captions are the same in both languages.
        QCOMPARE(about.Mail->text(), TAboutQarn::mailAddress());
        QCOMPARE(about.Site->text(), TAboutQarn::siteAddress());
        QCOMPARE(about.size(), QSize(185, 161));

        // The frame's close button hides the box; it lives on for the next opening.
        QVERIFY(about.close());
        QVERIFY(about.isHidden());
        QCOMPARE(AboutQarn, &about);
    }

    void linkColoursFollowTheMouse_data() {
        QTest::addColumn<QString>("link");
        QTest::newRow("Site") << QStringLiteral("Site");
        QTest::newRow("Mail") << QStringLiteral("Mail");
    }

    void linkColoursFollowTheMouse() {
        QFETCH(QString, link);
        TAboutQarn& about = *m_about;
        m_form->About1->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* label = about.findChild<QLabel*>(link);
        QVERIFY(label);
        const QColor blue(0, 0, 255), orange(255, 128, 0), red(255, 0, 0);
        const QPoint inside = label->rect().center();
        QCOMPARE(fontColour(label), blue);

        QTest::mouseMove(label, inside);
        QTRY_COMPARE(fontColour(label), orange);
        QTest::mousePress(label, Qt::RightButton, {}, inside);
        QCOMPARE(fontColour(label), red);
        QTest::mouseRelease(label, Qt::RightButton, {}, inside);
        QCOMPARE(fontColour(label), blue);
        QTest::mouseMove(label, inside + QPoint(1, 0));
        QTRY_COMPARE(fontColour(label), orange);
        QTest::mouseMove(&about, about.OKHideIt->geometry().center());
        QTRY_COMPARE(fontColour(label), blue);
        QVERIFY(g_opened.isEmpty()); // the right button opens nothing
        about.hide();
    }

    void linksOpenTheirAddress_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QUrl>("expected");
        QTest::newRow("Site") << QStringLiteral("Site") << QUrl("http://qarn.example.org");
        QTest::newRow("Mail") << QStringLiteral("Mail") << QUrl("mailto:veresov@example.org");
    }

    void linksOpenTheirAddress() {
        QFETCH(QString, link);
        QFETCH(QUrl, expected);
        TAboutQarn& about = *m_about;
        m_form->About1->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* label = about.findChild<QLabel*>(link);

        QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
        QCOMPARE(g_opened, QList<QUrl>{expected});
        QCOMPARE(fontColour(label), QColor(0, 0, 255));

        // Pressed on the link but released elsewhere: no click.
        QTest::mousePress(label, Qt::LeftButton, {}, label->rect().center());
        QTest::mouseRelease(label, Qt::LeftButton, {}, label->rect().bottomRight() + QPoint(5, 5));
        QCOMPARE(g_opened.size(), 1);
        about.hide();
    }
};

// The private runtime folder must exist before the application object looks for it.
int main(int argc, char** argv) {
    qarn::test::ensurePrivateRuntimeDir();
    QApplication app(argc, argv);
    TestHelpAndAbout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_HelpAndAbout.moc"
