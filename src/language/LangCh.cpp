// LangCh with the table of captions and hints, the help text load, and the language items.
#include "mainwindow/FormOfQarn.h"

#include "accessories/Calculator.h"
#include "accessories/Notes.h"
#include "app/Instance.h"
#include "app/ProgramDir.h"
#include "language/Bilingual.h"
#include "platform/AtomicFile.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QToolButton>

#include <stdexcept>

namespace {

using qarn::BiText;

// The help file's lines, whatever the line breaks (CR LF, LF or a lone CR); a final line
// break does not add an empty line.
QString readHelpFile(const QString& path) {
    QByteArray bytes;
    try {
        // A named pipe or a huge file in its place must not stall the window.
        bytes = qarn::readRegularFile(path, 16LL << 20);
    } catch (const qarn::FileError&) {
        throw std::runtime_error(QStringLiteral("Cannot open file %1").arg(path).toStdString());
    }
    // The decoder drops a leading byte-order mark, as editors on other systems write one.
    QString text = QStringDecoder(QStringDecoder::Utf8)(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    if (text.endsWith(QChar('\n')))
        text.chop(1);
    return text;
}

} // namespace

void TFormOfQarn::LangCh() {
    namespace msg = qarn::msg;
    const bool english = GetLanguage();
    auto caption = [english](QAction* item, const BiText& text) {
        setMenuCaption(item, text.pick(english));
    };
    auto title = [english](QMenu* menu, const BiText& text) { menu->setTitle(text.pick(english)); };
    auto hint = [english](QWidget* control, const BiText& text) {
        control->setToolTip(text.pick(english));
    };
    const bool notesShown = Form3 && Form3->isVisible();
    const bool calcShown = Form2 && Form2->isVisible();

    caption(Play1, IsPlaying ? msg::kPauseCaption : msg::kPlayCaption);
    caption(Open1, {"&Open", "&Открыть"});
    caption(Stop1, {"&Stop", "&Стоп"});
    title(Playlists1, {"Playlists", "&Плейлист"});
    caption(Nexttrack1, {"&Next track", "&След. файл"});
    caption(Lasttrack1, {"&Last track", "&Пред. файл"});
    caption(Del1, {"&Delete selected track", "&Удалить выделенный файл"});
    caption(Saveplaylist1, {"&Save playlist", "&Сохранить плейлист"});
    caption(Clearcurretplaylis1, {"C&lear curret playlist", "&Очистить плейлест"});
    title(settings1, {"&Settings", "&Настройки"});
    caption(Repeat, {"&Repeat", "&Повтор"});
    title(Style1, {"S&tyle", "С&тиль"});
    title(Border1, {"&Border", "&Окно"});
    caption(None1, {"&No frame", "&Без рамки"});
    caption(Default1, {"&Default", "&Стандарт"});
    caption(Transparent1, {"&Transparent", "&Прозрачное"});
    title(Theme1, {"&Form", "&Положение"});
    caption(Alwaysontop1, {"Always on &top", "По&верх окон"});
    caption(NormalForm, {"&Normal", "&Обычное"});
    caption(Themes1, {"&Themes", "&Тема"});
    caption(Playlist1, {"Play&list", "Плей&лист"});
    caption(Hideplaylistifinactive1,
            {"Hide playlist if inactive", "Скрывать плейлист когда плеер не активен"});
    caption(Saveplaylistonexit1, {"&Save playlist on exit", "Сохранять плейлист при выходе"});
    title(Language1, {"&Language", "&Язык"});
    title(Help1, {"&Help", "&Помощь"});
    caption(NQarnplayerhelp1, {"Qarn player &help", "&Справка"});
    caption(About1, {"&About", "&О программе"});
    GroupBox1->setTitle(BiText{"&Help", "&Справка"}.pick(english));
    caption(Shownotes1, notesShown ? msg::kHideNotesCaption : msg::kShowNotesCaption);
    title(Advanced1, {"&Advanced", "&Ещё"});
    caption(Showcalc1, calcShown ? msg::kHideCalcCaption : msg::kShowCalcCaption);
    caption(Setuntrancparent1, {"&Set untransparent", "&Сделать непрозрачным"});
    caption(Randomplay1, {"S&huffle", "&Случайная игра"});
    caption(Showpicviewer1, {"Show &pic viewer", "Показать ка&ртинки"});
    title(Visual1, {"&Visual effects", "Визуальные эффекты"});
    caption(Showfilenameostartbutton1,
            {"S&how filename on start button", "&Имя файла на кнопке пуск"});
    caption(Minimize1, AppActive ? msg::kMinimizeCaption : msg::kRestoreCaption);
    caption(Exit1, {"E&xit", "&Выход"});
    hint(Pause, {"Pause playing", "Пауза"});
    hint(Play, {"Play file", "Играть файл"});
    hint(Stop, {"Stop playing", "Остановить проигрование"});
    hint(VolumeT, {"Volume", "Громкость"});
    hint(CdEject, {"CD eject/close", "CD вынуть/вставить"});
    hint(Eject, {"Select file to play", "Выбрать файл"});
    hint(RepeatF, {"Turn repeat on", "Включить повтор"});
    hint(RepeatT, {"Turn repeat off", "Выключить повтор"});
    hint(Image1, {"Transparent", "Прозрачность"});
    hint(Minimity, {"Minimize", "Свернуть"});
    hint(Exity, {"Exit", "Выход"});

    // Last, so a missing file leaves every caption switched; the memo keeps its lines then.
    const QString helpFile =
        qarn::programFile(english ? QStringLiteral("HelpEng.txt") : QStringLiteral("HelpRus.txt"));
    HelpText->setPlainText(readHelpFile(helpFile));
}

void TFormOfQarn::English1Click() {
    English1->setChecked(true);
    Russian1->setChecked(false);
    SetLanguage(true);
    LangCh();
}

void TFormOfQarn::Russian1Click() {
    English1->setChecked(false);
    Russian1->setChecked(true);
    SetLanguage(false);
    LangCh();
}
