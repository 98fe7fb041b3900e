// Language switching: the captions and hints of both languages, the help text reload and its
// failure, and the shipped help files.
#include "TestEnv.h"

#include "accessories/Calculator.h"
#include "accessories/Notes.h"
#include "app/ErrorBox.h"
#include "app/Instance.h"
#include "app/ProgramDir.h"
#include "mainwindow/FormOfQarn.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <memory>
#include <stdexcept>

namespace {

QStringList g_errors;
void recordError(const QString& text) {
    g_errors << text;
}

// Line breaks differ on purpose: the memo must show the same lines either way.
const QByteArray kEngFixture = "English help\r\nsecond line\r\n";
const QByteArray kRusFixture = "Русская справка\nвторая строка\n";
const QString kEngShown = QStringLiteral("English help\nsecond line");
const QString kRusShown = QStringLiteral("Русская справка\nвторая строка");

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// What the user reads on a control: a menu item's caption without the shortcut column, a
// submenu's or frame's title, a button's or label's text, or a hint.
QString shownText(TFormOfQarn& form, const QString& name, bool hint) {
    if (name == form.objectName())
        return form.windowTitle();
    QObject* o = form.findChild<QObject*>(name);
    if (!o)
        return QStringLiteral("<no %1>").arg(name);
    if (hint)
        return qobject_cast<QWidget*>(o)->toolTip();
    if (auto* a = qobject_cast<QAction*>(o))
        return a->text().section('\t', 0, 0);
    if (auto* m = qobject_cast<QMenu*>(o))
        return m->title();
    if (auto* g = qobject_cast<QGroupBox*>(o))
        return g->title();
    if (auto* b = qobject_cast<QAbstractButton*>(o))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(o))
        return l->text();
    return QStringLiteral("<no text on %1>").arg(name);
}

bool hasCyrillic(const QString& s) {
    for (QChar c : s)
        if (c.script() == QChar::Script_Cyrillic)
            return true;
    return false;
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TFormOfQarn> m_form;
    std::unique_ptr<TForm2> m_calc;
    std::unique_ptr<TForm3> m_notes;

    std::unique_ptr<TFormOfQarn> freshForm() { return std::make_unique<TFormOfQarn>(); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        writeFile(m_dir.filePath("HelpEng.txt"), kEngFixture);
        writeFile(m_dir.filePath("HelpRus.txt"), kRusFixture);
        qarn::setProgramDir(m_dir.path());
        qarn::setErrorBoxHook(recordError);
        m_calc = std::make_unique<TForm2>();
        m_notes = std::make_unique<TForm3>();
        Form2 = m_calc.get();
        Form3 = m_notes.get();
        m_form = freshForm();
        FormOfQarn = m_form.get();
    }

    void cleanupTestCase() {
        FormOfQarn = nullptr;
        Form2 = nullptr;
        Form3 = nullptr;
        m_form.reset();
        m_calc.reset();
        m_notes.reset();
        qarn::setErrorBoxHook(nullptr);
        qarn::setProgramDir(QString());
    }

    void init() {
        g_errors.clear();
        qarn::setProgramDir(m_dir.path());
    }

    void everyCaptionAndHint_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<bool>("notesShown");
        QTest::addColumn<bool>("calcShown");
        QTest::addColumn<bool>("active");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hint");
        QTest::addColumn<QString>("expected");

        enum State { Plain, Playing, NotesShown, CalcShown, Inactive };
        struct Row {
            const char* name;
            const char* en;
            const char* ru;
            State state = Plain;
            bool hint = false;
        };
        const Row rows[] = {
            {"Play1", "&Play", "&Играть"},
            {"Play1", "&Pause", "&Пауза", Playing},
            {"Open1", "&Open", "&Открыть"},
            {"Stop1", "&Stop", "&Стоп"},
            {"Playlists1", "Playlists", "&Плейлист"},
            {"Nexttrack1", "&Next track", "&След. файл"},
            {"Lasttrack1", "&Last track", "&Пред. файл"},
            {"Del1", "&Delete selected track", "&Удалить выделенный файл"},
            {"Saveplaylist1", "&Save playlist", "&Сохранить плейлист"},
            {"Clearcurretplaylis1", "C&lear curret playlist", "&Очистить плейлест"},
            {"settings1", "&Settings", "&Настройки"},
            {"Repeat", "&Repeat", "&Повтор"},
            {"Style1", "S&tyle", "С&тиль"},
            {"Border1", "&Border", "&Окно"},
            {"None1", "&No frame", "&Без рамки"},
            {"Default1", "&Default", "&Стандарт"},
            {"Transparent1", "&Transparent", "&Прозрачное"},
            {"Theme1", "&Form", "&Положение"},
            {"Alwaysontop1", "Always on &top", "По&верх окон"},
            {"NormalForm", "&Normal", "&Обычное"},
            {"Themes1", "&Themes", "&Тема"},
            {"Playlist1", "Play&list", "Плей&лист"},
            {"Hideplaylistifinactive1", "Hide playlist if inactive",
             "Скрывать плейлист когда плеер не активен"},
            {"Saveplaylistonexit1", "&Save playlist on exit", "Сохранять плейлист при выходе"},
            {"Language1", "&Language", "&Язык"},
            {"Help1", "&Help", "&Помощь"},
            {"NQarnplayerhelp1", "Qarn player &help", "&Справка"},
            {"About1", "&About", "&О программе"},
            {"GroupBox1", "&Help", "&Справка"},
            {"Shownotes1", "Show &notes", "Показать &заметки"},
            {"Shownotes1", "Hide &notes", "Спрятать &заметки", NotesShown},
            {"Advanced1", "&Advanced", "&Ещё"},
            {"Showcalc1", "Show &calc", "Показать &калькулятор"},
            {"Showcalc1", "Hide &calc", "Спрятать &калькулятор", CalcShown},
            {"Setuntrancparent1", "&Set untransparent", "&Сделать непрозрачным"},
            {"Randomplay1", "S&huffle", "&Случайная игра"},
            {"Showpicviewer1", "Show &pic viewer", "Показать ка&ртинки"},
            {"Visual1", "&Visual effects", "Визуальные эффекты"},
            {"Showfilenameostartbutton1", "S&how filename on start button",
             "&Имя файла на кнопке пуск"},
            {"Minimize1", "&Minimize", "&Свернуть"},
            {"Minimize1", "&Restore", "&Востановить", Inactive},
            {"Exit1", "E&xit", "&Выход"},
            {"Pause", "Pause playing", "Пауза", Plain, true},
            {"Play", "Play file", "Играть файл", Plain, true},
            {"Stop", "Stop playing", "Остановить проигрование", Plain, true},
            {"VolumeT", "Volume", "Громкость", Plain, true},
            {"CdEject", "CD eject/close", "CD вынуть/вставить", Plain, true},
            {"Eject", "Select file to play", "Выбрать файл", Plain, true},
            {"RepeatF", "Turn repeat on", "Включить повтор", Plain, true},
            {"RepeatT", "Turn repeat off", "Выключить повтор", Plain, true},
            {"Image1", "Transparent", "Прозрачность", Plain, true},
            {"Minimity", "Minimize", "Свернуть", Plain, true},
            {"Exity", "Exit", "Выход", Plain, true},
            // Texts the switch leaves alone.
            {"FormOfQarn", "Qarn_player", "Qarn_player"},
            {"Tracks", "Select track on CD or in playlist", "Select track on CD or in playlist",
             Plain, true},
            {"Label2", "Select theme", "Select theme"},
            {"Button1", "Ok", "Ok"},
            {"Button2", "Ok", "Ok"},
            {"English1", "&English", "&English"},
            {"Russian1", "&Русский", "&Русский"},
        };
        static const char* const kStateNames[] = {"", " playing", " notes shown", " calc shown",
                                                  " inactive"};
        for (bool english : {true, false}) {
            for (const Row& r : rows) {
                const QByteArray tag = QByteArray(english ? "en " : "ru ") + r.name +
                                       (r.hint ? " hint" : "") + kStateNames[r.state];
                QTest::newRow(tag.constData())
                    << english << (r.state == Playing) << (r.state == NotesShown)
                    << (r.state == CalcShown) << (r.state != Inactive) << QString(r.name) << r.hint
                    << QString::fromUtf8(english ? r.en : r.ru);
            }
        }
    }

    void everyCaptionAndHint() {
        QFETCH(bool, english);
        QFETCH(bool, playing);
        QFETCH(bool, notesShown);
        QFETCH(bool, calcShown);
        QFETCH(bool, active);
        QFETCH(QString, name);
        QFETCH(bool, hint);
        QFETCH(QString, expected);

        TFormOfQarn& form = *m_form;
        Form3->setVisible(notesShown);
        Form2->setVisible(calcShown);
        // Set after the windows are shown, which may report an activation of their own.
        form.IsPlaying = playing;
        form.AppActive = active;
        form.SetLanguage(english);
        form.LangCh();
        Form3->hide();
        Form2->hide();

        QCOMPARE(shownText(form, name, hint), expected);
        QCOMPARE(form.HelpText->toPlainText(), english ? kEngShown : kRusShown);
        QVERIFY(g_errors.isEmpty());
    }

    // What start-up does after reading the flag: a window straight from its design.
    void startsInEitherLanguage_data() {
        QTest::addColumn<bool>("english");
        QTest::newRow("English") << true;
        QTest::newRow("Russian") << false;
    }

    void startsInEitherLanguage() {
        QFETCH(bool, english);
        auto form = freshForm();
        form->SetLanguage(english);
        form->LangCh();
        // Design-time texts that differ from both languages of the table.
        QCOMPARE(shownText(*form, "Randomplay1", false),
                 english ? QStringLiteral("S&huffle") : QStringLiteral("&Случайная игра"));
        QCOMPARE(shownText(*form, "Pause", true),
                 english ? QStringLiteral("Pause playing") : QStringLiteral("Пауза"));
        QCOMPARE(form->HelpText->toPlainText(), english ? kEngShown : kRusShown);
        // A shortcut shown beside a caption survives the switch.
        QVERIFY(form->Clearcurretplaylis1->text().endsWith("\tCtrl+O"));
    }

    void menuItemSwitchesAndReloadsHelp_data() {
        QTest::addColumn<bool>("fromEnglish");
        QTest::addColumn<bool>("toEnglish");
        QTest::newRow("en to ru") << true << false;
        QTest::newRow("ru to en") << false << true;
        QTest::newRow("en again") << true << true;
        QTest::newRow("ru again") << false << false;
    }

    void menuItemSwitchesAndReloadsHelp() {
        QFETCH(bool, fromEnglish);
        QFETCH(bool, toEnglish);
        TFormOfQarn& form = *m_form;
        (fromEnglish ? form.English1 : form.Russian1)->trigger();
        form.HelpText->setPlainText(QStringLiteral("typed by the user"));

        (toEnglish ? form.English1 : form.Russian1)->trigger();

        QVERIFY(g_errors.isEmpty());
        QCOMPARE(form.GetLanguage(), toEnglish);
        QCOMPARE(form.English1->isChecked(), toEnglish);
        QCOMPARE(form.Russian1->isChecked(), !toEnglish);
        // The user's edits are gone even when the language did not change.
        QCOMPARE(form.HelpText->toPlainText(), toEnglish ? kEngShown : kRusShown);
        QCOMPARE(shownText(form, "Open1", false),
                 toEnglish ? QStringLiteral("&Open") : QStringLiteral("&Открыть"));
    }

    void missingRussianHelpReportsAfterCaptions() {
        QTemporaryDir dir;
        writeFile(dir.filePath("HelpEng.txt"), kEngFixture);
        qarn::setProgramDir(dir.path());
        auto form = freshForm();
        form->English1->trigger();
        QCOMPARE(form->HelpText->toPlainText(), kEngShown);

        form->Russian1->trigger();

        QCOMPARE(g_errors,
                 QStringList{QStringLiteral("Cannot open file %1/HelpRus.txt.").arg(dir.path())});
        QVERIFY(!form->GetLanguage());
        QVERIFY(form->Russian1->isChecked());
        QCOMPARE(shownText(*form, "Open1", false), QStringLiteral("&Открыть"));
        QCOMPARE(shownText(*form, "GroupBox1", false), QStringLiteral("&Справка"));
        QCOMPARE(shownText(*form, "Exity", true), QStringLiteral("Выход"));
        QCOMPARE(form->HelpText->toPlainText(), kEngShown);

        // At start-up nothing shows it: the failure goes to the caller, which swallows it.
        g_errors.clear();
        auto starting = freshForm();
        const QString before = starting->HelpText->toPlainText();
        starting->SetLanguage(false);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, starting->LangCh());
        QVERIFY(g_errors.isEmpty());
        QCOMPARE(starting->HelpText->toPlainText(), before);
        QCOMPARE(shownText(*starting, "Exit1", false), QStringLiteral("&Выход"));
    }

    // The files that ship with the player: UTF-8, in their language, and listing every key
    // the menu answers to.
    void shippedHelpFiles_data() {
        QTest::addColumn<bool>("english");
        QTest::newRow("HelpEng.txt") << true;
        QTest::newRow("HelpRus.txt") << false;
    }

    void shippedHelpFiles() {
        QFETCH(bool, english);
        const QString dataDir = QStringLiteral(QARN_SOURCE_DIR "/data");
        QFile file(dataDir + (english ? "/HelpEng.txt" : "/HelpRus.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(file.readAll());
        QVERIFY(!utf8.hasError());
        QCOMPARE(hasCyrillic(text), !english);

        qarn::setProgramDir(dataDir);
        auto form = freshForm();
        form->SetLanguage(english);
        form->LangCh();
        QVERIFY(g_errors.isEmpty());
        QCOMPARE(qsizetype(form->HelpText->document()->blockCount()), text.count('\n'));

        for (QAction* a : form->actions()) {
            const QString key = a->shortcut().toString(QKeySequence::PortableText);
            QVERIFY2(text.contains(key + " - "), qPrintable(key + " is not in the help"));
        }
    }
};

// The private runtime folder must exist before the application object looks for it.
int main(int argc, char** argv) {
    qarn::test::ensurePrivateRuntimeDir();
    QApplication app(argc, argv);
    TestLanguage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Language.moc"
